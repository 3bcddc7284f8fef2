// End to end in real headless Chromium: the status page of a station on the
// simulator updates its values and alarm colours, shows a fault injected
// through the simulator within two seconds, and says so when the station
// stops. VANTOR_WEB_SCREENSHOT names a file to keep a screenshot in.
#include "test_support.h"
#include "web_driver.h"
#include "web_station_helpers.h"

#include <QElapsedTimer>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace vantor::test;

namespace {
// What the page shows of device 0.
const QString PageState = QStringLiteral(R"(
const link = document.getElementById("link");
const card = document.getElementById("device-0");
const cell = name => card && card.querySelector(`td[data-value="${name}"]`).textContent;
const alarm = kind => card && card.querySelector(`li[data-kind="${kind}"]`);
const silence = alarm("silence");
return {
  link: link.dataset.state, linkText: link.textContent,
  connection: card ? card.querySelector('[data-field="connection"]').textContent : "",
  station: card ? card.querySelector('[data-field="station"]').textContent : "",
  max: cell("MAX"), ave: cell("AVE"),
  silence: silence ? silence.dataset.state : "",
  silenceColour: silence ? getComputedStyle(silence).backgroundColor : "",
  offColour: card ? getComputedStyle(alarm("pi_mismatch")).backgroundColor : "",
  histogramLoaded: card ? card.querySelector("img.histogram").naturalWidth : 0
};)");

QString Field(const QJsonValue &state, const char *name)
{
    const QJsonValue v = state[QLatin1String(name)];
    return v.isDouble() ? QString::number(v.toDouble()) : v.toString();
}
} // namespace

TEST(StatusPageInChromium, FollowsTheStationItsFaultsAndItsEnd)
{
    if (!WebDriver::Available())
        GTEST_SKIP() << "chromium or chromedriver is not installed (scripts/setup installs them)";
    WebStation station;
    ASSERT_TRUE(station.start());
    WebDriver browser;
    ASSERT_TRUE(browser.start(1100, 760));
    ASSERT_TRUE(
        browser.open(QStringLiteral("http://127.0.0.1:%1/device/0").arg(station.webPort())));

    QJsonValue state;
    const auto shows = [&](const std::function<bool()> &condition, int timeoutMs) {
        return waitFor(
            [&] {
                state = browser.run(PageState);
                return condition();
            },
            timeoutMs);
    };
    ASSERT_TRUE(shows([&] { return Field(state, "max").endsWith(QLatin1String("kHz")); }, 30000))
        << qPrintable(QJsonDocument(state.toObject()).toJson());
    EXPECT_EQ(Field(state, "link"), QStringLiteral("live"));
    EXPECT_EQ(Field(state, "connection"), QStringLiteral("connected"));
    EXPECT_TRUE(
        Field(state, "station").startsWith(QStringLiteral("City FM — 98.50 MHz — measuring")))
        << qPrintable(Field(state, "station"));
    EXPECT_EQ(Field(state, "silence"), QStringLiteral("off"));
    const QString offColour = Field(state, "offColour");
    EXPECT_EQ(Field(state, "silenceColour"), offColour);

    // The values move with every second of the simulator's noise.
    const QString firstValues = Field(state, "max") + Field(state, "ave");
    EXPECT_TRUE(
        shows([&] { return Field(state, "max") + Field(state, "ave") != firstValues; }, 10000));
    EXPECT_TRUE(
        shows([&] { return Field(state, "histogramLoaded") == QLatin1String("480"); }, 15000));

    // Silence on the air: the detector's condition holds at once (pending,
    // yellow), and after its 4 s the alarm is raised (red).
    ASSERT_EQ(station.simulator().control(QStringLiteral("set 98.5 AVE 5")).value(0).left(2),
              QStringLiteral("OK"));
    QElapsedTimer sinceFault;
    sinceFault.start();
    EXPECT_TRUE(shows([&] { return Field(state, "silence") != QLatin1String("off"); }, 2000))
        << "the fault shows within 2 s";
    EXPECT_LT(sinceFault.elapsed(), 2500);
    if (Field(state, "silence") == QLatin1String("pending")) {
        EXPECT_EQ(Field(state, "silenceColour"), QStringLiteral("rgb(255, 255, 0)"));
    }
    ASSERT_TRUE(shows([&] { return Field(state, "silence") == QLatin1String("active"); }, 10000));
    EXPECT_EQ(Field(state, "silenceColour"), QStringLiteral("rgb(255, 0, 0)"));

    if (const QByteArray keep = qgetenv("VANTOR_WEB_SCREENSHOT"); !keep.isEmpty())
        writeAll(QString::fromLocal8Bit(keep), browser.screenshot());

    // The station stops: the page says so rather than showing old values as live.
    ASSERT_TRUE(station.stopProgram());
    ASSERT_TRUE(shows([&] { return Field(state, "link") == QLatin1String("lost"); }, 5000));
    EXPECT_TRUE(Field(state, "linkText").contains(QLatin1String("not answering")));
}
