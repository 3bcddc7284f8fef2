// The web server's settings: what the "[Web]" section and the command line
// may say.
#include "engine_fixture.h"
#include "web_settings.h"

#include <gtest/gtest.h>

using namespace vantor;
using namespace vantor::test;

TEST(ListenAddress, TakesPortWithOptionalAddress)
{
    const struct {
        const char *text;
        bool ok;
        const char *address;
        int port;
    } cases[] = {
        {"8080", true, "127.0.0.1", 8080}, {"0.0.0.0:9100", true, "0.0.0.0", 9100},
        {"[::1]:81", true, "::1", 81},     {"localhost:82", true, "localhost", 82},
        {"::1:81", false, "", 0}, // IPv6 without brackets is ambiguous
        {":8080", false, "", 0},           {"0", false, "", 0},
        {"65536", false, "", 0},           {"web", false, "", 0},
        {"1.2.3.4:", false, "", 0},
    };
    for (const auto &c : cases) {
        QString address = QStringLiteral("127.0.0.1");
        int port = 0;
        ASSERT_EQ(ParseListenAddress(QLatin1String(c.text), &address, &port), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(address, QLatin1String(c.address)) << c.text;
            EXPECT_EQ(port, c.port) << c.text;
        }
    }
}

class WebSettingsFile : public EngineFixture
{};

// The Preferences save rewrites "config.ini" in place: the "[Web]" keys it
// does not know stay as they were, and read back the same.
TEST_F(WebSettingsFile, SurvivesTheEngineSavingItsSettings)
{
    WriteFile(QStringLiteral("config.ini"),
              "[General]\r\nSameAlarmDelay=7\r\n[Web]\r\nEnable=1\r\nAddress=0.0.0.0\r\n"
              "Port=9181\r\nToken=abc def\r\n");
    Start();
    engine.Prefs().SetInteger(QStringLiteral("SameAlarmDelay"), 9);
    engine.SaveSettings();

    const QByteArray saved = readAll(DataFile(QStringLiteral("config.ini")));
    EXPECT_TRUE(saved.contains("SameAlarmDelay=9")) << "the save did rewrite the file";
    const WebSettings web = ReadWebSettings(IniFile(DataFile(QStringLiteral("config.ini"))));
    EXPECT_TRUE(web.enabled);
    EXPECT_EQ(web.address, QStringLiteral("0.0.0.0"));
    EXPECT_EQ(web.port, 9181);
    EXPECT_EQ(web.token, QStringLiteral("abc def"));
}
