// The status tick: traffic totals, uptime, countdowns, and the daily report
// once a day of uptime; the LED frequency text.
#include "engine_fixture.h"
#include "engine_tables.h"

#include <QFileInfo>
#include <QTimeZone>

using namespace vantor;
using namespace vantor::test;

TEST(LedFrequencyText, PadsToTwoDecimals)
{
    struct Case {
        const char *in, *out;
    };
    for (const Case c : {Case{"98,1", "98.10"}, Case{"100", "100.00"}, Case{"98.125", "98.125"},
                         Case{"98.5", "98.50"}, Case{"", ".00"}})
        EXPECT_EQ(LedFrequencyText(QLatin1String(c.in)), QLatin1String(c.out)) << c.in;
}

namespace {
class StatusDisplay : public EngineFixture
{
protected:
    void SetUp() override
    {
        WriteDevices({QStringLiteral("10.0.0.5:7000"), QStringLiteral("10.0.0.6:7000")},
                     {"Email=ops@example.com\r\n", "Email=ops@example.com\r\n"});
        WriteFile(QStringLiteral("config.ini"),
                  "[Email]\r\nEnable=1\r\nFrom=vantor@example.com\r\n[General]\r\n");
        Start();
    }

    // Five status ticks: one second of the once-a-second work.
    void StatusSecond()
    {
        for (int k = 0; k < 5; ++k) {
            clock.advanceMs(200);
            engine.TimerStatusTimer();
        }
    }

    int Reports()
    {
        return static_cast<int>(
            QDir(Tables(engine).Folders.EmailsSentFolder).entryList(QDir::Files).size());
    }
};
} // namespace

TEST_F(StatusDisplay, TrafficFollowsTheActivityFilter)
{
    Tables(engine).Devices[0].BytesSent = 3'000'000'000LL; // beyond 32 bits
    Tables(engine).Devices[0].BytesReceived = 10;
    Tables(engine).Devices[1].BytesSent = 5;
    Tables(engine).Devices[1].BytesReceived = 7;
    EXPECT_EQ(engine.Traffic(0), (TrafficTotals{3'000'000'005LL, 17}));
    EXPECT_EQ(engine.Traffic(2), (TrafficTotals{5, 7}));
    EXPECT_EQ(engine.Traffic(7), (TrafficTotals{0, 0}));
    EXPECT_EQ(engine.Traffic(-1), (TrafficTotals{0, 0}));
}

TEST_F(StatusDisplay, EveryFifthTickCountsASecond)
{
    clock.advanceMs(2 * 86400000LL + (7 * 3600 + 5 * 60 + 9) * 1000LL - 1000);
    Tables(engine).G.LastUptimeDays = 2;
    StatusSecond();
    EXPECT_EQ(news.statusTicks, (QList<bool>{false, false, false, false, true}));
    EXPECT_EQ(engine.UptimeText(), QStringLiteral("2 days, 7:05:09"));
    EXPECT_EQ(CountdownText(42, true), QStringLiteral("42 (paused)"));
    EXPECT_EQ(CountdownText(60, false), QStringLiteral("60"));
}

TEST_F(StatusDisplay, TheDailyReportGoesOutOnceADayOfUptime)
{
    // Switched on 30 hours after start-up: nothing at once, the next at 48 hours.
    clock.advanceSeconds(30 * 3600);
    StatusSecond();
    EXPECT_EQ(Tables(engine).G.LastUptimeDays, 1);
    engine.Prefs().SetFlag(QStringLiteral("SendDailyReports"), true);
    StatusSecond();
    EXPECT_EQ(Reports(), 0);
    clock.advanceSeconds(18 * 3600 - 4); // uptime 47:59:58
    StatusSecond();
    EXPECT_EQ(Reports(), 0);
    StatusSecond(); // 48:00:00
    ASSERT_EQ(Reports(), 1);
    const QString copy =
        Tables(engine).Folders.EmailsSentFolder +
        QDir(Tables(engine).Folders.EmailsSentFolder).entryList(QDir::Files).first();
    const QByteArray mail = readAll(copy);
    EXPECT_TRUE(mail.contains("Subject: Vantor Daily Report\r\n"));
    EXPECT_TRUE(mail.contains("To: ops@example.com\r\n")) << "one copy for a shared address";
    EXPECT_TRUE(mail.contains("Just to inform you that the Vantor is running"));
    StatusSecond();
    EXPECT_EQ(Reports(), 1);
}

namespace {
// Started at noon the day before the spring change in Berlin (2026-03-29).
class StatusDisplayAcrossSpringChange : public StatusDisplay
{
protected:
    void SetUp() override
    {
        clock.set(QDateTime(QDate(2026, 3, 28), QTime(12, 0), QTimeZone("Europe/Berlin")));
        StatusDisplay::SetUp();
        engine.Prefs().SetFlag(QStringLiteral("SendDailyReports"), true);
    }
};
} // namespace

TEST_F(StatusDisplayAcrossSpringChange, ADayOfUptimeIsTwentyFourHoursWhateverTheLocalClockDoes)
{
    clock.advanceSeconds(23 * 3600 + 1800); // 12:30 summer time, a local day later
    StatusSecond();
    EXPECT_EQ(Reports(), 0);
    EXPECT_EQ(engine.UptimeText(), QStringLiteral("0 days, 23:30:01"));
    clock.advanceSeconds(1800);
    StatusSecond();
    EXPECT_EQ(Reports(), 1);
}
