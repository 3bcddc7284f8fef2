// The server's answers checked against docs/openapi.yaml: each request below
// is made over a real socket, and tests/web/openapi_check.py looks up its
// operation, its status, its media type and fits the JSON to the schema.
#include "engine_tables.h"
#include "test_support.h"
#include "web_server_fixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

using namespace vantor;
using namespace vantor::test;

namespace {

struct Asked {
    QByteArray method;
    QByteArray target;
    QList<QByteArray> headers;
    QByteArray body;
    int status;
};

QString SourceFile(const char *path)
{
    return qEnvironmentVariable("VANTOR_SOURCE_DIR") + QLatin1Char('/') + QLatin1String(path);
}

class OpenApi : public WebServerFixture
{
protected:
    void SetUp() override
    {
        WebServerFixture::SetUp();
        engine.ReplaceStations({TStation{}});
        Tables(engine).Stations[0].Name = QStringLiteral("City FM");
        Tables(engine).Stations[0].Frequency = QStringLiteral("98.5");
        Tables(engine).Stations[0].DeviceName = Tables(engine).Devices[0].Name;
        AddWebUser(QStringLiteral("alice"), WebRole::Operator, "alice-pass");
        Serve("tok");
    }

    // The answers as the checker reads them; each status as expected here.
    QJsonArray Exchanges(const QList<Asked> &asked)
    {
        QJsonArray exchanges;
        for (const Asked &a : asked) {
            const HttpReply reply = Send(port, a.method, a.target, a.headers, a.body);
            EXPECT_EQ(reply.status, a.status) << a.method.constData() << ' ' << a.target.constData()
                                              << ' ' << reply.body.constData();
            const QByteArray type = reply.header("Content-Type");
            const QJsonDocument json = type.startsWith("application/json")
                                           ? QJsonDocument::fromJson(reply.body)
                                           : QJsonDocument();
            exchanges.append(QJsonObject{
                {QStringLiteral("method"), QString::fromLatin1(a.method)},
                {QStringLiteral("path"),
                 QUrl::fromPercentEncoding(a.target.left(
                     a.target.indexOf('?') < 0 ? a.target.size() : a.target.indexOf('?')))},
                {QStringLiteral("status"), reply.status},
                {QStringLiteral("type"), QString::fromLatin1(type)},
                {QStringLiteral("body"),
                 json.isObject() ? QJsonValue(json.object()) : QJsonValue(QJsonValue::Null)}});
        }
        return exchanges;
    }

    // The checker's exit code and what it printed.
    std::pair<int, QByteArray> Check(const QJsonArray &exchanges)
    {
        const QString file = tmp.filePath(QStringLiteral("exchanges.json"));
        writeAll(file, QJsonDocument(exchanges).toJson());
        QProcess checker;
        checker.setProcessChannelMode(QProcess::MergedChannels);
        checker.start(QStringLiteral("/usr/bin/python3"), {SourceFile("tests/web/openapi_check.py"),
                                                           SourceFile("docs/openapi.yaml"), file});
        if (!checker.waitForFinished(60000))
            return {-1, "the checker did not finish"};
        return {checker.exitCode(), checker.readAll()};
    }
};

} // namespace

TEST_F(OpenApi, TheServersAnswersFitTheDescription)
{
    Receive({QStringLiteral("MAX=70.5 kHz"), QStringLiteral("PI=D3C2")});
    engine.ActivateAlarm(0, AlarmSilence);
    const QByteArray token = "Authorization: Bearer tok";
    const QByteArray json = "Content-Type: application/json";
    const QByteArray alice = "Authorization: Basic " + QByteArray("alice:alice-pass").toBase64();
    const HttpReply login =
        Send(port, "POST", "/api/v1/login", {json}, R"({"user":"alice","password":"alice-pass"})");
    const QByteArray cookie =
        "Cookie: " + login.header("Set-Cookie").left(login.header("Set-Cookie").indexOf(';'));
    const QByteArray csrf =
        "X-CSRF-Token: " +
        QJsonDocument::fromJson(login.body)[QLatin1String("csrf_token")].toString().toLatin1();
    const QByteArray logFile = QUrl::toPercentEncoding(
        QJsonDocument::fromJson(Get(port, "/api/v1/logs", {token})
                                    .body)[QLatin1String("files")][0][QLatin1String("name")]
            .toString());
    const QJsonArray exchanges = Exchanges({
        {"GET", "/", {token}, {}, 200},
        {"GET", "/", {}, {}, 303},
        {"GET", "/device/0", {token}, {}, 200},
        {"GET", "/device/9", {token}, {}, 404},
        {"GET", "/alarms", {token}, {}, 200},
        {"GET", "/login", {}, {}, 200},
        {"GET", "/api/v1/status", {token}, {}, 200},
        {"GET", "/api/v1/status", {}, {}, 401},
        {"HEAD", "/api/v1/status", {token, "Connection: close"}, {}, 200},
        {"GET", "/api/v1/overview", {token}, {}, 200},
        {"GET", "/api/v1/stations", {token}, {}, 200},
        {"GET", "/api/v1/session", {token}, {}, 200},
        {"GET", "/api/v1/session", {cookie}, {}, 200},
        {"GET", "/healthz", {token}, {}, 200},
        {"GET", "/metrics", {token}, {}, 200},
        {"GET", "/device/0/histogram.png", {token}, {}, 200},
        {"GET", "/device/0/graph/MAX%20Hold.png", {token}, {}, 200},
        {"GET", "/device/0/graph/Nothing.png", {token}, {}, 404},
        {"POST", "/api/v1/login", {json}, R"({"user":"alice","password":"no"})", 401},
        {"POST", "/api/v1/login", {json}, R"({"user":"alice"})", 400},
        {"POST", "/api/v1/login", {"Content-Type: text/plain"}, "x", 415},
        {"GET", "/api/v1/alarms", {token}, {}, 200},
        {"GET", "/api/v1/alarms?kind=silence&limit=5", {token}, {}, 200},
        {"GET", "/api/v1/alarms?limit=0", {token}, {}, 400},
        {"GET", "/api/v1/logs", {token}, {}, 200},
        {"GET", "/api/v1/logs?kind=x", {token}, {}, 400},
        {"GET", "/api/v1/logs/download?name=" + logFile, {token}, {}, 200},
        {"GET", "/api/v1/logs/download?name=..%2Fconfig.ini", {token}, {}, 404},
        {"POST", "/api/v1/devices/0/actions/pause", {token, json}, "{}", 403},
        {"POST", "/api/v1/devices/0/actions/pause", {cookie}, "{}", 403},
        {"POST", "/api/v1/devices/0/actions/pause", {}, "{}", 401},
        {"GET", "/api/v1/devices/0/actions/pause", {alice}, {}, 405},
        {"POST", "/api/v1/devices/0/actions/pause", {cookie, csrf}, "{}", 200},
        {"POST", "/api/v1/devices/0/actions/resume", {alice, json}, {}, 200},
        {"POST", "/api/v1/devices/0/actions/tune", {alice, json}, R"({"station":"City FM"})", 200},
        {"POST", "/api/v1/devices/0/actions/tune", {alice, json}, R"({"station":"Jazz"})", 404},
        {"POST", "/api/v1/devices/0/actions/tune", {alice, json}, R"([1])", 400},
        {"POST",
         "/api/v1/devices/0/actions/quick-station",
         {alice, json},
         R"({"frequency_mhz":"99.1","mode":"full"})",
         200},
        {"POST", "/api/v1/devices/0/actions/quick-station", {alice, json}, "{}", 400},
        {"POST", "/api/v1/devices/0/actions/rds", {alice, json}, {}, 200},
        {"POST", "/api/v1/devices/0/actions/stop", {alice, json}, {}, 200},
        {"POST", "/api/v1/devices/0/actions/rds", {alice, json}, {}, 409},
        {"POST", "/api/v1/logout", {cookie}, {}, 403},
        {"POST", "/api/v1/logout", {cookie, csrf}, {}, 204},
    });
    const auto [exitCode, output] = Check(exchanges);
    EXPECT_EQ(exitCode, 0) << output.constData();
}

// The checker finds what does not fit, so its silence above means something.
TEST_F(OpenApi, TheCheckerFindsAnswersThatDoNotFit)
{
    const auto exchange = [](const char *method, const char *path, int status,
                             const QJsonValue &body) {
        return QJsonObject{{QStringLiteral("method"), QLatin1String(method)},
                           {QStringLiteral("path"), QLatin1String(path)},
                           {QStringLiteral("status"), status},
                           {QStringLiteral("type"), QStringLiteral("application/json")},
                           {QStringLiteral("body"), body}};
    };
    const QJsonObject noDevices{{QStringLiteral("time"), QStringLiteral("t")},
                                {QStringLiteral("uptime"), QStringLiteral("u")}};
    const QJsonObject badMode = QJsonDocument::fromJson(R"({"time":"t","alarm_kinds":[],
        "devices":[{"index":0,"name":"D0","connected":true,"station":null,"mode":"busy",
        "paused":false,"countdown":0,"values":{},"alarms":{}}]})")
                                    .object();
    for (const QJsonObject &wrong : {exchange("GET", "/api/v1/status", 200, noDevices),
                                     exchange("GET", "/api/v1/overview", 200, badMode),
                                     exchange("GET", "/api/v1/status", 418, QJsonValue::Null),
                                     exchange("PUT", "/api/v1/status", 200, QJsonValue::Null),
                                     exchange("GET", "/api/v2/status", 200, QJsonValue::Null)}) {
        const auto [exitCode, output] = Check({wrong});
        EXPECT_EQ(exitCode, 1) << QJsonDocument(wrong).toJson().constData() << output.constData();
    }
}
