// How the command line and "[Web]" of "config.ini" together start the web
// server of a running station, or keep it off with the reason in "app.log".
#include "command_line.h"
#include "engine_fixture.h"
#include "engine_tables.h"
#include "http_client.h"
#include "web_status_start.h"

#include <QTcpServer>

using namespace vantor;
using namespace vantor::test;

class WebStatusStart : public EngineFixture
{
protected:
    CommandLine Options(const QStringList &arguments)
    {
        const CommandLineResult parsed =
            ParseCommandLine(QStringList{QStringLiteral("vantor")} + arguments);
        EXPECT_TRUE(parsed.options.has_value()) << qPrintable(parsed.error);
        return parsed.options.value_or(CommandLine{});
    }
    QString FreePort()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        return QString::number(probe.serverPort());
    }
};

TEST_F(WebStatusStart, CommandLineTurnsItOnAndTheTokenFileGuardsIt)
{
    WriteFile(QStringLiteral("config.ini"), "[Web]\r\nEnable=0\r\nToken=from-ini\r\n");
    WriteFile(QStringLiteral("token"), "from-file\nsecond line\n");
    Start();
    const QString port = FreePort();
    const auto server =
        StartWebStatus(engine, Data(),
                       Options({QStringLiteral("--http"), port, QStringLiteral("--http-token-file"),
                                DataFile(QStringLiteral("token"))}));
    ASSERT_NE(server, nullptr) << qPrintable(AppLines());
    const quint16 p = port.toUShort();
    EXPECT_EQ(Get(p, "/healthz", {"Authorization: Bearer from-ini"}).status, 401);
    EXPECT_EQ(Get(p, "/api/v1/status", {"Authorization: Bearer from-file"}).status, 200);
}

TEST_F(WebStatusStart, StaysOffWithTheReasonLogged)
{
    WriteFile(QStringLiteral("empty-token"), "\n");
    WriteFile(QStringLiteral("config.ini"),
              "[Web]\r\nEnable=1\r\nAddress=0.0.0.0\r\nPort=" + FreePort().toLatin1() + "\r\n");
    Start();
    const struct {
        QStringList arguments;
        const char *logged;
    } cases[] = {
        {{}, "Web server not started: listening on 0.0.0.0 needs an access token"},
        {{QStringLiteral("--http-token-file"), DataFile(QStringLiteral("empty-token"))},
         "Web server not started: no token in "},
        {{QStringLiteral("--http-token-file"), DataFile(QStringLiteral("missing"))},
         "Web server not started: no token in "},
    };
    for (const auto &c : cases) {
        Tables(engine).G.AppActivityLines.clear();
        EXPECT_EQ(StartWebStatus(engine, Data(), Options(c.arguments)), nullptr);
        EXPECT_TRUE(AppLines().contains(QLatin1String(c.logged))) << qPrintable(AppLines());
    }
}

TEST(WebCommandLine, RejectsAListenAddressThatIsNone)
{
    const CommandLineResult parsed = ParseCommandLine(
        {QStringLiteral("vantor"), QStringLiteral("--http"), QStringLiteral("localhost")});
    EXPECT_FALSE(parsed.options.has_value());
    EXPECT_EQ(parsed.exitCode, 2);
    EXPECT_TRUE(parsed.error.contains(QLatin1String("--http needs [ADDR:]PORT")));
}
