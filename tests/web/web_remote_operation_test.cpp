// Remote operation over real sockets: logging in and out, who may act and
// with what proof, the actions going through the toolbar's engine operations
// and their notes in the activity log, and failed logins slowed and counted.
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

const QByteArray JsonType = "Content-Type: application/json";

QByteArray Basic(const QByteArray &userAndPassword)
{
    return "Authorization: Basic " + userAndPassword.toBase64();
}

class RemoteOperation : public WebServerFixture
{
protected:
    void SetUp() override
    {
        WriteDevices({QStringLiteral("127.0.0.1:1"), QStringLiteral("127.0.0.1:2")});
        WriteStations({{"City FM", "98.5", "D0", 2, 1},
                       {"Metro", "101.2", "D0", 2, 1},
                       {"Far Away", "88.1", "D1", 2, 1}});
        Start();
        ConnectAll();
        engine.Tune(0, 0, false);
        engine.StartMeasuring(0);
        AddWebUser(QStringLiteral("alice"), WebRole::Operator, "alice-pass");
        AddWebUser(QStringLiteral("victor"), WebRole::Viewer, "victor-pass");
    }

    // Serves with failed logins slowed from the first failure on.
    void ServeWith(const QByteArray &token, WebRole tokenRole)
    {
        WebSignInSetup setup;
        setup.token = token;
        setup.tokenRole = tokenRole;
        setup.usersFile = DataFile(WebUsersFileName);
        setup.sessionIdleMs = 60 * 1000;
        setup.throttle.freeFailures = 2;
        server = std::make_unique<WebServer>(engine, setup);
        QString error;
        port = server->start(QHostAddress::LocalHost, 0, &error);
        ASSERT_NE(port, 0) << qPrintable(error);
    }

    HttpReply Login(const QByteArray &user, const QByteArray &password)
    {
        return Send(port, "POST", "/api/v1/login", {JsonType},
                    "{\"user\":\"" + user + "\",\"password\":\"" + password + "\"}");
    }

    // The cookie header and CSRF token of a logged in user.
    struct Session {
        QByteArray cookie;
        QByteArray csrf;
    };
    Session LogIn(const QByteArray &user, const QByteArray &password)
    {
        const HttpReply reply = Login(user, password);
        EXPECT_EQ(reply.status, 200) << reply.body.constData();
        const QByteArray setCookie = reply.header("Set-Cookie");
        return {"Cookie: " + setCookie.left(setCookie.indexOf(';')),
                Json(reply)[QLatin1String("csrf_token")].toString().toLatin1()};
    }

    HttpReply Act(const QByteArray &action, const QList<QByteArray> &headers,
                  const QByteArray &body = "{}", int device = 0)
    {
        return Send(port, "POST",
                    "/api/v1/devices/" + QByteArray::number(device) + "/actions/" + action, headers,
                    body);
    }
};

} // namespace

TEST_F(RemoteOperation, ALoginGivesASessionThatActsWithItsCsrfTokenUntilIdleOrLogout)
{
    ServeWith({}, WebRole::Viewer);
    EXPECT_EQ(Login("alice", "wrong").status, 401);
    EXPECT_EQ(Login("nobody", "alice-pass").status, 401);
    EXPECT_EQ(Send(port, "POST", "/api/v1/login", {"Content-Type: text/plain"},
                   "{\"user\":\"alice\",\"password\":\"alice-pass\"}")
                  .status,
              415)
        << "another site's form cannot log a browser in";
    clock.advanceMs(2000); // past the wait the two failures earned this address

    const HttpReply login = Login("alice", "alice-pass");
    ASSERT_EQ(login.status, 200);
    const QByteArray cookie = login.header("Set-Cookie");
    EXPECT_TRUE(cookie.startsWith("vantor_session="));
    EXPECT_TRUE(cookie.contains("; HttpOnly") && cookie.contains("; SameSite=Strict"));
    EXPECT_FALSE(cookie.contains("Secure")) << "plain HTTP on loopback";
    EXPECT_EQ(Json(login)[QLatin1String("role")].toString(), QStringLiteral("operator"));
    const Session alice = LogIn("alice", "alice-pass");

    // With users, nothing is shown to nobody; a browser is sent to log in.
    EXPECT_EQ(Get(port, "/api/v1/status").status, 401);
    const HttpReply page = Get(port, "/");
    EXPECT_EQ(page.status, 303);
    EXPECT_EQ(page.header("Location"), "/login");
    EXPECT_EQ(Get(port, "/login").status, 200);
    EXPECT_EQ(Get(port, "/api/v1/status", {alice.cookie}).status, 200);

    EXPECT_EQ(Act("pause", {alice.cookie, JsonType}).status, 403) << "no CSRF token";
    EXPECT_EQ(Act("pause", {alice.cookie, JsonType, "X-CSRF-Token: " + alice.csrf + "x"}).status,
              403);
    EXPECT_FALSE(Tables(engine).Devices[0].Paused);
    const HttpReply paused = Act("pause", {alice.cookie, "X-CSRF-Token: " + alice.csrf});
    ASSERT_EQ(paused.status, 200) << paused.body.constData();
    EXPECT_TRUE(Tables(engine).Devices[0].Paused);
    EXPECT_TRUE(Json(paused)[QLatin1String("device")][QLatin1String("paused")].toBool());
    EXPECT_TRUE(DeviceLog(0).contains(QStringLiteral("Web action pause by alice from 127.0.0.1")))
        << qPrintable(DeviceLog(0));

    // Idle a minute: the session is gone.
    clock.advanceMs(61 * 1000);
    EXPECT_EQ(Get(port, "/api/v1/status", {alice.cookie}).status, 401);

    const Session again = LogIn("alice", "alice-pass");
    EXPECT_EQ(Send(port, "POST", "/api/v1/logout", {again.cookie}).status, 403)
        << "another site cannot log a user out";
    const HttpReply logout =
        Send(port, "POST", "/api/v1/logout", {again.cookie, "X-CSRF-Token: " + again.csrf});
    EXPECT_EQ(logout.status, 204);
    EXPECT_TRUE(logout.header("Set-Cookie").contains("Max-Age=0"));
    EXPECT_EQ(Get(port, "/api/v1/status", {again.cookie}).status, 401);
}

TEST_F(RemoteOperation, OnlyOperatorsActAndOnlyWithProofThatNoOtherSiteSentIt)
{
    ServeWith("tok", WebRole::Viewer);
    const Session victor = LogIn("victor", "victor-pass");
    const struct {
        const char *what;
        QByteArray method;
        QList<QByteArray> headers;
        int status;
    } cases[] = {
        {"nobody", "POST", {JsonType}, 401},
        {"a viewer's session with its token",
         "POST",
         {victor.cookie, "X-CSRF-Token: " + victor.csrf},
         403},
        {"a viewer by Basic", "POST", {Basic("victor:victor-pass"), JsonType}, 403},
        {"the viewer's token", "POST", {"Authorization: Bearer tok", JsonType}, 403},
        {"an operator by Basic, as a form",
         "POST",
         {Basic("alice:alice-pass"), "Content-Type: application/x-www-form-urlencoded"},
         403},
        {"an operator by Basic, as plain text", "POST", {Basic("alice:alice-pass")}, 403},
        {"an operator's wrong password", "POST", {Basic("alice:alice-pas"), JsonType}, 401},
        {"an action as GET", "GET", {Basic("alice:alice-pass")}, 405},
        {"a preflight", "OPTIONS", {Basic("alice:alice-pass")}, 405},
    };
    for (const auto &c : cases) {
        const HttpReply reply = Send(port, c.method, "/api/v1/devices/0/actions/stop", c.headers,
                                     c.method == "POST" ? "{}" : "");
        EXPECT_EQ(reply.status, c.status) << c.what;
        EXPECT_TRUE(reply.header("Access-Control-Allow-Origin").isEmpty()) << c.what;
        EXPECT_TRUE(Tables(engine).Devices[0].StationActive) << c.what << " stopped the device";
    }
    EXPECT_FALSE(DeviceLog(0).contains(QStringLiteral("Stopped by user")));
    const HttpReply stopped = Act("stop", {Basic("alice:alice-pass"), JsonType});
    ASSERT_EQ(stopped.status, 200) << stopped.body.constData();
    EXPECT_FALSE(Tables(engine).Devices[0].StationActive);
    EXPECT_TRUE(DeviceLog(0).contains(QStringLiteral("Stopped by user")));
    EXPECT_TRUE(DeviceLog(0).contains(QStringLiteral("Web action stop by alice from 127.0.0.1")));

    // The token acts where it is made an operator's.
    ServeWith("tok", WebRole::Operator);
    EXPECT_EQ(Act("resume", {"Authorization: Bearer tok", JsonType}).status, 200);
    EXPECT_TRUE(DeviceLog(0).contains(QStringLiteral("Web action resume by token from")));
}

TEST_F(RemoteOperation, ActionsKeepTheToolbarsRulesAndMessages)
{
    ServeWith("tok", WebRole::Operator);
    const QList<QByteArray> op = {"Authorization: Bearer tok", JsonType};
    const HttpReply tuned = Act("tune", op, R"({"station":"Metro"})");
    ASSERT_EQ(tuned.status, 200) << tuned.body.constData();
    const QJsonObject station =
        Json(tuned)[QLatin1String("device")][QLatin1String("station")].toObject();
    EXPECT_EQ(station[QLatin1String("name")].toString(), QStringLiteral("Metro"));
    EXPECT_EQ(station[QLatin1String("frequency_mhz")].toString(), QStringLiteral("101.20"));
    EXPECT_TRUE(
        library.commands(Tables(engine).Devices[0].Handle).contains(QStringLiteral("101200*F")));
    EXPECT_TRUE(DeviceLog(0).contains(QStringLiteral("Manually tuning to 101.2 - Metro")));

    const struct {
        const char *action;
        const char *body;
        int status;
        const char *error;
    } refused[] = {
        {"tune", R"({"station":"Far Away"})", 404, "No station of that name for this device"},
        {"tune", R"({"station":"Nowhere"})", 404, "No station of that name for this device"},
        {"tune", R"({})", 400, "Give \"station\", a station's name"},
        {"tune", "not json", 400, "The body is no JSON object"},
        {"quick-station", R"({"frequency_mhz":"63.9"})", 400, ""},
        {"quick-station", R"({"frequency_mhz":"98.55"})", 400, ""},
        {"quick-station", R"({"frequency_mhz":"98.5","mode":"loud"})", 400, ""},
        {"launch", "{}", 404, ""},
    };
    for (const auto &c : refused) {
        const HttpReply reply = Act(c.action, op, c.body);
        EXPECT_EQ(reply.status, c.status) << c.action << ' ' << c.body;
        if (*c.error) {
            EXPECT_EQ(Json(reply)[QLatin1String("error")].toString(), QLatin1String(c.error));
        }
    }
    EXPECT_EQ(Tables(engine).Devices[0].Station.Name, QStringLiteral("Metro"))
        << "nothing refused tuned";

    const HttpReply quick = Act("quick-station", op, R"({"frequency_mhz":"99.7","mode":"rds"})");
    ASSERT_EQ(quick.status, 200) << quick.body.constData();
    EXPECT_EQ(Tables(engine).Devices[0].StationIndex, -1);
    EXPECT_TRUE(Tables(engine).Devices[0].Station.Frequency.startsWith(QStringLiteral("99")));
    EXPECT_EQ(Tables(engine).Devices[0].Station.RDS, 9999999) << "RDS decoding until stopped";

    // A link that is down: refused with the tuning's own message, the
    // device's station kept.
    Tables(engine).Devices[1].ConnectCountdown = 5;
    const HttpReply down = Act("tune", op, R"({"station":"Far Away"})", 1);
    EXPECT_EQ(down.status, 409);
    EXPECT_EQ(Json(down)[QLatin1String("error")].toString(), QStringLiteral("Not connected"));
    const QString before = Tables(engine).Devices[1].Station.Name;
    EXPECT_EQ(Act("quick-station", op, R"({"frequency_mhz":"90.0"})", 1).status, 409);
    EXPECT_EQ(Tables(engine).Devices[1].Station.Name, before)
        << "a refused quick entry changes nothing";
    EXPECT_EQ(Act("pause", op, "{}", 7).status, 404) << "no such device";
}

TEST_F(RemoteOperation, FailedLoginsWaitLongerEachTimeAndAreCounted)
{
    ServeWith("tok", WebRole::Viewer);
    QList<int> waits;
    for (int attempt = 0; attempt < 6; ++attempt) {
        HttpReply reply = Login("alice", "guess");
        if (reply.status == 429) {
            waits.append(reply.header("Retry-After").toInt());
            EXPECT_EQ(Get(port, "/api/v1/status", {Basic("alice:alice-pass")}).status, 429)
                << "Basic waits alike";
            clock.advanceMs(waits.last() * 1000);
            reply = Login("alice", "guess");
        }
        EXPECT_EQ(reply.status, 401) << attempt;
    }
    // Two free failures, then 1 s, doubled each time.
    EXPECT_EQ(waits, (QList<int>{1, 2, 4, 8}));
    const QByteArray metrics = Get(port, "/metrics", {"Authorization: Bearer tok"}).body;
    EXPECT_EQ(MetricValue(metrics, "vantor_web_logins_failed_total"), 6);
    EXPECT_EQ(MetricValue(metrics, "vantor_web_logins_refused_total"), 8);
    clock.advanceMs(16 * 1000);
    EXPECT_EQ(Login("alice", "alice-pass").status, 200);
    EXPECT_EQ(MetricValue(Get(port, "/metrics", {"Authorization: Bearer tok"}).body,
                          "vantor_web_sessions"),
              1);
}
