// What the web server answers: the token rule, the JSON status, the health
// check, the pictures and the page, over real sockets against an engine on
// the fake clock.
#include "engine_tables.h"
#include "web_server_fixture.h"
#include "web_startup.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTcpServer>

#include <memory>
#include <vector>

using namespace vantor;
using namespace vantor::test;

namespace {
QJsonObject Json(const HttpReply &reply)
{
    return QJsonDocument::fromJson(reply.body).object();
}
} // namespace

class WebServerTest : public WebServerFixture
{};

TEST_F(WebServerTest, WithATokenOnlyRequestsCarryingItAreAnswered)
{
    Serve("s3cret");
    const struct {
        QList<QByteArray> headers;
        int status;
    } cases[] = {
        {{}, 401},
        {{"Authorization: Bearer wrong"}, 401},
        {{"Authorization: Basic czNjcmV0"}, 401},
        {{"Authorization: Bearer s3cret"}, 200},
        {{"Authorization: Basic b3A6czNjcmV0"}, 200}, // a browser's login: op / s3cret
    };
    for (const QByteArray path : {"/metrics", "/api/v1/status", "/", "/nowhere"}) {
        for (const auto &c : cases) {
            const HttpReply reply = Get(port, path, c.headers);
            const int expected = c.status == 200 && path == "/nowhere" ? 404 : c.status;
            EXPECT_EQ(reply.status, expected)
                << path.constData() << " " << c.headers.value(0).constData();
            if (reply.status == 401) {
                EXPECT_EQ(reply.header("WWW-Authenticate"), "Bearer");
                EXPECT_TRUE(reply.headers.contains(
                    "WWW-Authenticate: Basic realm=\"Vantor\", charset=\"UTF-8\""))
                    << "a browser asks its user for the token";
            }
        }
    }
}

TEST_F(WebServerTest, StatusCarriesValuesConnectionStationAndAlarmStates)
{
    Serve();
    Receive({QStringLiteral("MAX=70.5 kHz"), QStringLiteral("AVE=41.0 kHz"),
             QStringLiteral("Signal Quality=5")});
    TDevice &d = Tables(engine).Devices[0];
    d.Name = QStringLiteral("Site \"North\" \\ 2 – Ø");
    engine.AddToActivityLog(0, QStringLiteral("line with\ta tab"));
    d.AlarmSetActive = true;
    d.AlarmSet.Basic[AlarmSilence].Enabled = true;
    d.AlarmStart[AlarmSilence] = clock.now(); // condition seen, duration not over: pending
    d.AlarmActive[AlarmOvermodulation] = true;
    d.AlarmSet.Basic[AlarmPilot].Enabled = false;
    d.AlarmStart[AlarmPilot] = clock.now(); // disabled kinds are never pending
    d.MeasuringCountdown = 42;

    const HttpReply reply = Get(port, "/api/v1/status");
    ASSERT_EQ(reply.status, 200);
    EXPECT_EQ(reply.header("Content-Type"), "application/json");
    const QJsonObject device = Json(reply)[QLatin1String("devices")].toArray().at(0).toObject();
    EXPECT_EQ(device[QLatin1String("name")].toString(), d.Name);
    EXPECT_TRUE(device[QLatin1String("connected")].toBool());
    EXPECT_TRUE(device[QLatin1String("measuring")].toBool());
    EXPECT_EQ(device[QLatin1String("station")][QLatin1String("frequency_mhz")].toString(),
              QStringLiteral("98.50"));
    EXPECT_EQ(device[QLatin1String("countdowns")][QLatin1String("measuring")].toInt(), 42);
    const QJsonObject values = device[QLatin1String("values")].toObject();
    EXPECT_EQ(values[QLatin1String("MAX")].toString(), QStringLiteral("70.5 kHz"));
    EXPECT_EQ(values[QLatin1String("Signal Quality")].toString(), QStringLiteral("5"));
    EXPECT_TRUE(values[QLatin1String("PI")].isNull()) << "not received yet";
    QStringList states;
    for (const QJsonValue a : device[QLatin1String("alarms")].toArray())
        states << a[QLatin1String("kind")].toString() + QLatin1Char('=') +
                      a[QLatin1String("state")].toString();
    EXPECT_EQ(states, QStringList({"silence=pending", "pi_mismatch=off", "time_error=off",
                                   "overmodulation=active", "signal_quality=off", "pilot=off",
                                   "modulation_power=off", "rf_level=off", "rds_level=off",
                                   "ps_mismatch=off", "ta_stuck=off", "radiotext_missing=off",
                                   "rds_errors=off", "group_types_missing=off"}));
    const QJsonArray activity = device[QLatin1String("activity")].toArray();
    ASSERT_FALSE(activity.isEmpty());
    EXPECT_TRUE(activity.last().toString().endsWith(QStringLiteral("line with\ta tab")));

    library.setConnected(d.Handle, false);
    const QJsonObject later =
        Json(Get(port, "/api/v1/status"))[QLatin1String("devices")].toArray().at(0).toObject();
    EXPECT_FALSE(later[QLatin1String("connected")].toBool());
}

TEST_F(WebServerTest, HealthFailsOnceTheReceiveTickStops)
{
    WebLimits limits;
    limits.healthStaleMs = 300;
    Serve({}, limits);
    EXPECT_EQ(Get(port, "/healthz").status, 503) << "before the first tick";
    ReceiveTick();
    EXPECT_EQ(Get(port, "/healthz").status, 200);
    EXPECT_TRUE(waitFor([&] { return Get(port, "/healthz").status == 503; }, 3000));
    ReceiveTick();
    EXPECT_EQ(Get(port, "/healthz").status, 200);
}

TEST_F(WebServerTest, PicturesAreDrawnAtTheAskedSizeWithinTheLimit)
{
    WebLimits limits;
    limits.maxPictureSide = 640;
    Serve({}, limits);
    Receive({QStringLiteral("MAX=70.5 kHz")});
    const struct {
        const char *path;
        int status;
        QSize size;
    } cases[] = {
        {"/device/0/histogram.png?width=300&height=200", 200, {300, 200}},
        {"/device/0/histogram.png", 200, {480, 300}},
        {"/device/0/histogram.png?width=100000&height=-5", 200, {640, 16}},
        {"/device/0/graph/MAX.png?width=320&height=240", 200, {320, 240}},
        {"/device/0/graph/MAX%20Hold.png?width=320&height=240", 200, {320, 240}},
        {"/device/0/graph/2.png?width=200&height=100", 200, {200, 100}},
        {"/device/1/histogram.png", 404, {}},
        {"/device/0/graph/Nothing.png", 404, {}},
        {"/device/0/graph/21.png", 404, {}},
        {"/device/0/graph/../../histogram.png", 404, {}},
    };
    for (const auto &c : cases) {
        const HttpReply reply = Get(port, c.path);
        ASSERT_EQ(reply.status, c.status) << c.path;
        if (c.status == 200) {
            EXPECT_EQ(reply.header("Content-Type"), "image/png") << c.path;
            EXPECT_EQ(reply.image().size(), c.size) << c.path;
        }
    }
}

TEST_F(WebServerTest, ThePageAndItsPartsComeFromTheProgramWithAStrictPolicy)
{
    Serve();
    const struct {
        const char *path;
        const char *script;
    } pages[] = {{"/", "/overview.js"},
                 {"/device/0", "/status_page.js"},
                 {"/alarms", "/alarms.js"},
                 {"/login", "/login.js"}};
    for (const auto &p : pages) {
        const HttpReply page = Get(port, p.path);
        ASSERT_EQ(page.status, 200) << p.path;
        EXPECT_TRUE(page.body.contains(p.script)) << p.path;
        EXPECT_FALSE(page.body.contains("http://") || page.body.contains("https://"))
            << p.path << ": no external resource";
        EXPECT_FALSE(page.body.contains("<script>")) << p.path << ": no inline script";
    }
    EXPECT_EQ(Get(port, "/device/1").status, 404) << "no such device";
    EXPECT_EQ(Get(port, "/status_page.js").header("Content-Type"),
              "text/javascript; charset=utf-8");
    EXPECT_EQ(Get(port, "/status_page.css").status, 200);
    for (const QByteArray path : {"/", "/api/v1/status", "/metrics", "/nowhere"}) {
        const QByteArray policy = Get(port, path).header("Content-Security-Policy");
        EXPECT_TRUE(policy.startsWith("default-src 'none'")) << path.constData();
        EXPECT_FALSE(policy.contains("unsafe")) << path.constData();
    }
}

TEST_F(WebServerTest, NoFileIsServedByAPathFromTheRequest)
{
    Serve();
    WriteFile(QStringLiteral("secret.txt"), "do-not-serve");
    for (const QByteArray path :
         {"/../data/secret.txt", "/%2e%2e/data/secret.txt", "/status_page.js/../secret.txt",
          "/data/secret.txt", "//etc/passwd", "/web/status_page.html"}) {
        const HttpReply reply = Get(port, path);
        EXPECT_EQ(reply.status, 404) << path.constData();
        EXPECT_FALSE(reply.body.contains("do-not-serve")) << path.constData();
    }
    EXPECT_EQ(
        Exchange(port, "POST /metrics HTTP/1.1\r\nHost: x\r\nContent-Length: 0\r\n\r\n").status,
        405);
}

TEST_F(WebServerTest, StartingLogsWhereItListensOrWhyNot)
{
    QTcpServer occupied;
    ASSERT_TRUE(occupied.listen(QHostAddress::LocalHost, 0));
    const auto web = [](bool enabled, const char *address, int listenPort, const char *token,
                        bool allowPlainHttp = false) {
        WebSettings s;
        s.enabled = enabled;
        s.address = QLatin1String(address);
        s.port = listenPort;
        s.token = QLatin1String(token);
        s.allowPlainHttp = allowPlainHttp;
        return s;
    };
    const struct {
        WebSettings settings;
        bool runs;
        QString logged;
    } cases[] = {
        {web(false, "127.0.0.1", 0, ""), false, {}},
        {web(true, "127.0.0.1", 0, ""), true,
         QStringLiteral("Web server: listening on http://127.0.0.1:")},
        {web(true, "0.0.0.0", 0, "tok"), false,
         QStringLiteral("Web server not started: listening on 0.0.0.0 needs HTTPS")},
        {web(true, "0.0.0.0", 0, "tok", true), true, QStringLiteral("(access token required)")},
        {web(true, "[::1]", 0, ""), false,
         QStringLiteral("Web server not started: \"[::1]\" is not an IP address")},
        {web(true, "127.0.0.1", occupied.serverPort(), ""), false,
         QStringLiteral("Web server not started: cannot listen on 127.0.0.1:") +
             QString::number(occupied.serverPort()) + QStringLiteral(": ")},
    };
    const QRegularExpression loopback(QStringLiteral("listening on http://127\\.0\\.0\\.1:(\\d+)"));
    std::vector<std::unique_ptr<WebServer>> started;
    quint16 shown = 0;
    for (const auto &c : cases) {
        Tables(engine).G.AppActivityLines.clear();
        started.push_back(StartWebServer(engine, c.settings));
        EXPECT_EQ(started.back() != nullptr, c.runs) << qPrintable(c.settings.address);
        if (c.logged.isEmpty()) {
            EXPECT_TRUE(AppLines().isEmpty()) << qPrintable(AppLines());
        } else {
            EXPECT_TRUE(AppLines().contains(c.logged)) << qPrintable(AppLines());
        }
        if (const auto listening = loopback.match(AppLines()); listening.hasMatch())
            shown = listening.captured(1).toUShort();
    }
    // The station measures on beside the servers that failed, and the one
    // listening where it said shows what was measured since.
    ASSERT_NE(shown, 0);
    Receive({QStringLiteral("MAX=80.5 kHz")});
    const QJsonObject device =
        Json(Get(shown, "/api/v1/status"))[QLatin1String("devices")].toArray().at(0).toObject();
    EXPECT_EQ(device[QLatin1String("values")][QLatin1String("MAX")].toString(),
              QStringLiteral("80.5 kHz"));
}
