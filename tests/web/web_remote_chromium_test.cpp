// Remote operation end to end in headless Chromium against the program on the
// simulator: an operator logs in, tunes the device to another station and
// pauses it; a viewer sees no controls and cannot act even with a forged
// request; a request without the CSRF token is refused; an idle session ends.
#include "http_client.h"
#include "test_support.h"
#include "web_driver.h"
#include "web_station_helpers.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace vantor::test;

namespace {

// What the device page shows, and whether its controls are there.
const QString DevicePage = QStringLiteral(R"(
const card = document.getElementById("device-0");
const controls = document.getElementById("controls");
return {
  path: location.pathname,
  station: card ? card.querySelector('[data-field="station"]').textContent : "",
  controls: controls && !controls.hidden ? controls.querySelectorAll("button").length : 0,
  message: (document.getElementById("action-message") || {}).textContent || ""
};)");

// A request the page's own script did not make, sent from the page with the
// session's cookie: status of a POST of the action, with the CSRF token when
// withToken (read from the session, as a forger could not).
QString ForgedPost(const char *action, bool withToken)
{
    return QStringLiteral(R"(
let token = "";
if (%2) {
  const s = new XMLHttpRequest();
  s.open("GET", "/api/v1/session", false);
  s.send();
  token = JSON.parse(s.responseText).csrf_token || "";
}
const x = new XMLHttpRequest();
x.open("POST", "/api/v1/devices/0/actions/%1", false);
x.setRequestHeader("Content-Type", "application/json");
if (token) x.setRequestHeader("X-CSRF-Token", token);
x.send("{}");
return x.status;)")
        .arg(QLatin1String(action), withToken ? QStringLiteral("true") : QStringLiteral("false"));
}

QString LogIn(const char *user, const char *password)
{
    return QStringLiteral(R"(
document.getElementById("user").value = "%1";
document.getElementById("password").value = "%2";
document.getElementById("submit").click();
return true;)")
        .arg(QLatin1String(user), QLatin1String(password));
}

QString ClickButton(const char *label)
{
    return QStringLiteral(R"(
const b = [...document.querySelectorAll("#controls button")].find(b => b.textContent === "%1");
if (b) b.click();
return !!b;)")
        .arg(QLatin1String(label));
}

class RemoteInChromium : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!WebDriver::Available())
            GTEST_SKIP()
                << "chromium or chromedriver is not installed (scripts/setup installs them)";
    }

    // Logs the user in at the login page the browser is sent to, then opens
    // the device's page.
    void OpenAs(const char *user, const char *password)
    {
        ASSERT_TRUE(browser.start(1100, 760));
        ASSERT_TRUE(browser.open(base() + QStringLiteral("/")));
        ASSERT_TRUE(shows([&] { return Field("path") == QLatin1String("/login"); }, 10000))
            << "a browser without a session goes to the login";
        browser.run(LogIn(user, password));
        ASSERT_TRUE(shows([&] { return Field("path") == QLatin1String("/"); }, 10000));
        ASSERT_TRUE(browser.open(base() + QStringLiteral("/device/0")));
        ASSERT_TRUE(
            shows([&] { return Field("station").startsWith(QLatin1String("City FM")); }, 30000))
            << qPrintable(QJsonDocument(state.toObject()).toJson());
    }

    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(station.webPort()); }

    bool shows(const std::function<bool()> &condition, int timeoutMs)
    {
        return waitFor(
            [&] {
                state = browser.run(DevicePage);
                return condition();
            },
            timeoutMs);
    }

    QString Field(const char *name) const
    {
        const QJsonValue v = state[QLatin1String(name)];
        return v.isDouble() ? QString::number(v.toDouble()) : v.toString();
    }

    // Device 0 of the JSON status, asked with Basic credentials.
    QJsonObject StatusDevice(const QByteArray &userAndPassword)
    {
        const HttpReply reply = Get(static_cast<quint16>(station.webPort()), "/api/v1/status",
                                    {"Authorization: Basic " + userAndPassword.toBase64()});
        return QJsonDocument::fromJson(reply.body)[QLatin1String("devices")][0].toObject();
    }

    WebStation station;
    WebDriver browser;
    QJsonValue state;
};

} // namespace

TEST_F(RemoteInChromium, AnOperatorTunesAnotherStationAndPausesTheDevice)
{
    station.setFile(QStringLiteral("stations.ini"),
                    "[General]\r\nStationCount=2\r\n"
                    "[Station0]\r\nName=City FM\r\nFrequency=98.5\r\nDeviceName=Tx Site\r\n"
                    "Measuring=1\r\nRDS=0\r\nAlarmSetName=Watch\r\n"
                    "[Station1]\r\nName=Jazz\r\nFrequency=99.7\r\nDeviceName=Tx Site\r\n"
                    "Measuring=1\r\nRDS=0\r\nAlarmSetName=Watch\r\n");
    ASSERT_TRUE(
        station.addWebUser(QStringLiteral("alice"), QStringLiteral("operator"), "alice-pass"));
    ASSERT_TRUE(station.start());
    OpenAs("alice", "alice-pass");
    ASSERT_TRUE(shows([&] { return Field("controls").toInt() > 0; }, 10000));

    EXPECT_EQ(browser.run(ForgedPost("stop", false)).toInt(), 403) << "no CSRF token";
    EXPECT_TRUE(StatusDevice("alice:alice-pass")[QLatin1String("station")].isObject())
        << "the device was not stopped";

    browser.run(QStringLiteral("document.getElementById('station-choice').value = 'Jazz'; "
                               "return true;"));
    ASSERT_TRUE(browser.run(ClickButton("Tune the station")).toBool());
    EXPECT_TRUE(shows(
        [&] { return Field("station").startsWith(QStringLiteral("Jazz — 99.70 MHz")); }, 10000))
        << qPrintable(Field("station")) << " / " << qPrintable(Field("message"));
    const QJsonObject device = StatusDevice("alice:alice-pass");
    EXPECT_EQ(device[QLatin1String("station")][QLatin1String("name")].toString(),
              QStringLiteral("Jazz"));
    EXPECT_EQ(device[QLatin1String("station")][QLatin1String("frequency_mhz")].toString(),
              QStringLiteral("99.70"));
    bool noted = false;
    for (const QJsonValue line : device[QLatin1String("activity")].toArray())
        noted = noted || line.toString().contains(
                             QLatin1String("Web action tune Jazz by alice from 127.0.0.1"));
    EXPECT_TRUE(noted) << "the device's activity log tells who tuned it, from where";

    ASSERT_TRUE(browser.run(ClickButton("Pause")).toBool());
    EXPECT_TRUE(shows([&] { return Field("station").endsWith(QLatin1String(" (paused)")); }, 10000))
        << qPrintable(Field("station"));
    EXPECT_TRUE(StatusDevice("alice:alice-pass")[QLatin1String("paused")].toBool());
}

TEST_F(RemoteInChromium, AViewerSeesNoControlsCannotActAndTheIdleSessionEnds)
{
    station.setFile(QStringLiteral("config.ini"), "[Web]\r\nSessionIdleSeconds=10\r\n");
    ASSERT_TRUE(
        station.addWebUser(QStringLiteral("victor"), QStringLiteral("viewer"), "victor-pass"));
    ASSERT_TRUE(station.start());
    OpenAs("victor", "victor-pass");
    // The session's answer has come once the bar shows who is looking.
    ASSERT_TRUE(waitFor(
        [&] {
            return browser
                .run(QStringLiteral("return document.getElementById('session').textContent;"))
                .toString()
                .contains(QLatin1String("viewer"));
        },
        10000));
    shows([] { return true; }, 0);
    EXPECT_EQ(Field("controls"), QStringLiteral("0")) << "no controls for a viewer";
    EXPECT_EQ(browser.run(ForgedPost("stop", true)).toInt(), 403)
        << "refused with the session's own CSRF token";
    EXPECT_EQ(browser.run(ForgedPost("pause", false)).toInt(), 403);
    EXPECT_FALSE(StatusDevice("victor:victor-pass")[QLatin1String("paused")].toBool());

    // Ten seconds without a request end the session: the page goes to the
    // login at its next refresh. The page asks every second, so it is
    // closed first.
    ASSERT_TRUE(browser.open(QStringLiteral("about:blank")));
    QElapsedTimer idle;
    idle.start();
    ASSERT_TRUE(waitFor([&] { return idle.elapsed() > 11000; }, 15000));
    ASSERT_TRUE(browser.open(base() + QStringLiteral("/device/0")));
    EXPECT_TRUE(shows([&] { return Field("path") == QLatin1String("/login"); }, 10000))
        << qPrintable(Field("path"));
}
