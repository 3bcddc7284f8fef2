// The "[Web]" key that makes the access token an operator's.
#include "ini_file.h"
#include "web_settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vantor;

TEST(TokenRole, OnlyAnExplicitOperatorLetsTheTokenAct)
{
    const struct {
        QByteArray line;
        bool isOperator;
    } cases[] = {
        {"", false},
        {"TokenRole=operator\r\n", true},
        {"TokenRole= Operator \r\n", true},
        {"TokenRole=viewer\r\n", false},
        {"TokenRole=operators\r\n", false},
        {"TokenRole=1\r\n", false},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("config.ini"));
    for (const auto &c : cases) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[Web]\r\nEnable=1\r\nToken=abc\r\n" + c.line);
        file.close();
        const WebSettings settings = ReadWebSettings(IniFile(path));
        EXPECT_EQ(settings.tokenIsOperator, c.isOperator) << c.line.toStdString();
        EXPECT_EQ(settings.token, QStringLiteral("abc"));
    }
}
