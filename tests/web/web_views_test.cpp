// What a viewer is shown, over real sockets: the overview and the values as
// numbers with units, the alarm history, the log files and their downloads
// (never a file outside the listing), HEAD, whole pages, the security
// headers on every answer, and a fresh station without devices.
#include "engine_tables.h"
#include "web_server_fixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace vantor;
using namespace vantor::test;

namespace {

QJsonObject Json(const HttpReply &reply)
{
    return QJsonDocument::fromJson(reply.body).object();
}

class WebViews : public WebServerFixture
{};

class FreshStation : public EngineFixture
{};

} // namespace

TEST_F(WebViews, TheOverviewAndTheStatusGiveValuesAsNumbersWithUnits)
{
    Serve();
    Receive({QStringLiteral("MAX=70.5 kHz"), QStringLiteral("Level=-3 dBuV"),
             QStringLiteral("Signal Quality=5"), QStringLiteral("PI=D3C2")});
    TDevice &d = Tables(engine).Devices[0];
    d.AlarmSetActive = true;
    d.AlarmSet.Basic[AlarmSilence].Enabled = true;
    d.AlarmSet.Basic[AlarmPilot].Enabled = true;
    d.AlarmStart[AlarmPilot] = clock.now();
    d.AlarmActive[AlarmOvermodulation] = true;
    d.MeasuringCountdown = 42;

    const QJsonObject overview = Json(Get(port, "/api/v1/overview"));
    const QJsonArray kinds = overview[QLatin1String("alarm_kinds")].toArray();
    ASSERT_EQ(kinds.size(), AlarmKindCount) << "one column per kind of the engine's table";
    EXPECT_EQ(kinds[0][QLatin1String("name")].toString(), AlarmKindNames[0]);
    const QJsonObject row = overview[QLatin1String("devices")].toArray().at(0).toObject();
    EXPECT_EQ(row[QLatin1String("mode")].toString(), QStringLiteral("measuring"));
    EXPECT_EQ(row[QLatin1String("countdown")].toInt(), 42);
    EXPECT_EQ(row[QLatin1String("station")][QLatin1String("frequency_mhz")].toString(),
              QStringLiteral("98.50"));
    const QJsonObject values = row[QLatin1String("values")].toObject();
    EXPECT_EQ(values[QLatin1String("MAX")][QLatin1String("value")].toDouble(), 70.5);
    EXPECT_EQ(values[QLatin1String("MAX")][QLatin1String("unit")].toString(),
              QStringLiteral("kHz"));
    EXPECT_EQ(values[QLatin1String("Level")][QLatin1String("value")].toDouble(), -3);
    EXPECT_EQ(values[QLatin1String("Signal Quality")][QLatin1String("unit")].toString(), QString());
    EXPECT_TRUE(values[QLatin1String("Pilot")].isNull()) << "not received";
    const QJsonObject alarms = row[QLatin1String("alarms")].toObject();
    EXPECT_EQ(alarms[QLatin1String("silence")].toString(), QStringLiteral("off"));
    EXPECT_EQ(alarms[QLatin1String("pilot")].toString(), QStringLiteral("pending"));
    EXPECT_EQ(alarms[QLatin1String("overmodulation")].toString(), QStringLiteral("active"));
    EXPECT_EQ(alarms[QLatin1String("rf_level")].toString(), QStringLiteral("disabled"));

    // The status keeps its texts and gains the numbers beside them.
    const QJsonObject device =
        Json(Get(port, "/api/v1/status"))[QLatin1String("devices")].toArray().at(0).toObject();
    EXPECT_EQ(device[QLatin1String("values")][QLatin1String("MAX")].toString(),
              QStringLiteral("70.5 kHz"));
    const QJsonObject quantities = device[QLatin1String("quantities")].toObject();
    EXPECT_EQ(quantities[QLatin1String("MAX")][QLatin1String("value")].toDouble(), 70.5);
    EXPECT_TRUE(quantities[QLatin1String("PI")].isNull()) << "a code, no number";
}

TEST_F(WebViews, TheAlarmHistoryIsNewestFirstAndFiltered)
{
    Serve();
    engine.ActivateAlarm(0, AlarmSilence);
    clock.advanceSeconds(60);
    engine.ActivateAlarm(0, AlarmPilot);
    clock.advanceSeconds(60);
    engine.DeactivateAlarm(0, AlarmSilence);

    const QJsonArray all = Json(Get(port, "/api/v1/alarms"))[QLatin1String("alarms")].toArray();
    ASSERT_EQ(all.size(), 2);
    EXPECT_EQ(all[0][QLatin1String("kind")].toString(), QStringLiteral("pilot"));
    EXPECT_TRUE(all[0][QLatin1String("active")].toBool());
    EXPECT_EQ(all[1][QLatin1String("kind")].toString(), QStringLiteral("silence"));
    EXPECT_FALSE(all[1][QLatin1String("cleared")].isNull());
    const struct {
        QByteArray query;
        int status;
        int count;
    } cases[] = {
        {"?kind=silence", 200, 1}, {"?device=D0&kind=pilot", 200, 1},
        {"?device=D9", 200, 0},    {"?limit=1", 200, 1},
        {"?limit=0", 400, 0},      {"?limit=x", 400, 0},
    };
    for (const auto &c : cases) {
        const HttpReply reply = Get(port, "/api/v1/alarms" + c.query);
        EXPECT_EQ(reply.status, c.status) << c.query.constData();
        EXPECT_EQ(Json(reply)[QLatin1String("alarms")].toArray().size(), c.count)
            << c.query.constData();
    }
}

TEST_F(WebViews, ALogIsDownloadedOnlyByItsListedNameAndNothingOutsideIsRead)
{
    Serve();
    writeAll(tmp.filePath(QStringLiteral("secret.txt")), "outside the data folder\n");
    writeAll(DataFile(QStringLiteral("config.ini")), "[Web]\r\nToken=secret\r\n");
    const QJsonArray files =
        Json(Get(port, "/api/v1/logs?kind=activity"))[QLatin1String("files")].toArray();
    ASSERT_FALSE(files.isEmpty());
    const QString name = files[0][QLatin1String("name")].toString();
    ASSERT_TRUE(name.startsWith(QStringLiteral("AppLogs/"))) << qPrintable(name);

    const HttpReply listed =
        Get(port, "/api/v1/logs/download?name=" + QUrl::toPercentEncoding(name));
    ASSERT_EQ(listed.status, 200);
    EXPECT_EQ(listed.body, readAll(DataFile(name)));
    EXPECT_TRUE(listed.header("Content-Disposition").startsWith("attachment; filename=\""));

    const QByteArray leaf = QUrl::toPercentEncoding(name.section(u'/', 1));
    const QList<QByteArray> refused = {
        "../secret.txt",
        "AppLogs/../../secret.txt",
        "AppLogs%2F..%2F..%2Fsecret.txt",
        QByteArray("AppLogs%252F") + leaf,
        "config.ini",
        "/etc/passwd",
        QUrl::toPercentEncoding(tmp.filePath(QStringLiteral("secret.txt"))),
        QUrl::toPercentEncoding(DataFile(name)),
        leaf,
        QByteArray("AppLogs//") + leaf,
        "",
        QUrl::toPercentEncoding(name + QLatin1Char(' '))};
    for (const QByteArray &asked : refused) {
        const HttpReply reply = Get(port, "/api/v1/logs/download?name=" + asked);
        EXPECT_EQ(reply.status, 404) << asked.constData();
        EXPECT_FALSE(reply.body.contains("outside") || reply.body.contains("Token"))
            << asked.constData();
    }
    EXPECT_EQ(Get(port, "/api/v1/logs?kind=mail").status, 400);
}

TEST_F(WebViews, HeadIsAnsweredLikeGetWithoutTheBody)
{
    Serve();
    for (const QByteArray path : {"/", "/api/v1/status", "/healthz", "/nowhere"}) {
        const HttpReply get = Get(port, path);
        const HttpReply head = Send(port, "HEAD", path, {"Connection: close"});
        EXPECT_EQ(head.status, get.status) << path.constData();
        EXPECT_EQ(head.header("Content-Type"), get.header("Content-Type")) << path.constData();
        EXPECT_EQ(head.header("Content-Length").toInt(), get.body.size()) << path.constData();
        EXPECT_TRUE(head.body.isEmpty()) << path.constData();
    }
}

TEST_F(WebViews, EveryPageIsAWholeDocumentWithItsOwnTitleAndScript)
{
    Serve();
    const struct {
        QByteArray path;
        QByteArray title;
        QByteArray script;
    } pages[] = {
        {"/", "Vantor station — overview", "/overview.js"},
        {"/alarms", "Vantor station — alarm history", "/alarms.js"},
        {"/login", "Vantor station — log in", "/login.js"},
        {"/device/0", "Vantor station", "/status_page.js"},
    };
    for (const auto &page : pages) {
        const QByteArray body = Get(port, page.path).body;
        EXPECT_TRUE(body.startsWith("<!DOCTYPE html>\n<html lang=\"en\">"))
            << page.path.constData();
        EXPECT_TRUE(body.contains(QByteArray("<title>" + page.title + "</title>")))
            << page.path.constData();
        EXPECT_EQ(body.count("<title>"), 1) << page.path.constData();
        EXPECT_TRUE(body.contains(QByteArray("<script src=\"" + page.script + "\"></script>")))
            << page.path.constData();
        EXPECT_TRUE(body.endsWith("</body>\n</html>\n")) << page.path.constData();
        EXPECT_FALSE(body.contains('@')) << "a frame placeholder left: " << page.path.constData();
    }
}

TEST_F(WebViews, EveryAnswerRefusalsIncludedCarriesTheSecurityHeaders)
{
    Serve("tok");
    const QList<QByteArray> token = {"Authorization: Bearer tok"};
    const struct {
        QByteArray method;
        QByteArray path;
        QList<QByteArray> headers;
        int status;
    } cases[] = {
        {"GET", "/", token, 200},
        {"GET", "/api/v1/status", token, 200},
        {"GET", "/device/0/histogram.png", token, 200},
        {"GET", "/login", {}, 200},
        {"GET", "/api/v1/status", {}, 401},
        {"POST", "/api/v1/devices/0/actions/pause", token, 403},
        {"DELETE", "/api/v1/status", token, 405},
        {"GET", "/nowhere", token, 404},
        {"POST", "/api/v1/login", {"Content-Type: application/json"}, 400},
    };
    for (const auto &c : cases) {
        const HttpReply reply = Send(port, c.method, c.path, c.headers);
        EXPECT_EQ(reply.status, c.status) << c.method.constData() << ' ' << c.path.constData();
        EXPECT_EQ(reply.header("X-Content-Type-Options"), "nosniff") << c.path.constData();
        EXPECT_EQ(reply.header("Cache-Control"), "no-store") << c.path.constData();
        EXPECT_EQ(reply.header("Referrer-Policy"), "no-referrer") << c.path.constData();
    }
}

TEST_F(FreshStation, WithoutDevicesThePagesAndTheJsonAreEmptyNotBroken)
{
    Start();
    WebServer server(engine, QByteArray());
    QString error;
    const quint16 port = server.start(QHostAddress::LocalHost, 0, &error);
    ASSERT_NE(port, 0) << qPrintable(error);
    for (const QByteArray path : {"/", "/alarms", "/api/v1/logs"})
        EXPECT_EQ(Get(port, path).status, 200) << path.constData();
    EXPECT_EQ(Get(port, "/device/0").status, 404);
    const QJsonObject status = Json(Get(port, "/api/v1/status"));
    EXPECT_TRUE(status[QLatin1String("devices")].toArray().isEmpty());
    EXPECT_FALSE(status[QLatin1String("uptime")].toString().isEmpty());
    const QJsonObject overview = Json(Get(port, "/api/v1/overview"));
    EXPECT_TRUE(overview[QLatin1String("devices")].isArray());
    EXPECT_TRUE(overview[QLatin1String("devices")].toArray().isEmpty());
    EXPECT_EQ(Json(Get(port, "/api/v1/alarms"))[QLatin1String("alarms")].toArray().size(), 0);
    EXPECT_EQ(Send(port, "POST", "/api/v1/devices/0/actions/pause", {}, "{}").status, 403)
        << "without credentials anybody looks and nobody acts";
}
