// The scheduler on the fake clock: whole station visits, the three
// scheduling modes, pause, and the catch-up rules, in milliseconds.
#include "engine_fixture.h"
#include "engine_tables.h"

#include <QRegularExpression>
#include <QTimeZone>

using namespace vantor;
using namespace vantor::test;

namespace {

class Scheduler : public EngineFixture
{
protected:
    void StartConnected(const QList<QByteArray> &deviceExtra)
    {
        QStringList entries;
        for (int i = 0; i < deviceExtra.size(); ++i)
            entries << QStringLiteral("10.0.0.%1:7000").arg(i + 1);
        WriteDevices(entries, deviceExtra);
        Start();
        ConnectAll();
    }

    // The device's mode, second by second, as runs: "1x120 2x60 0x1 ...".
    QString Timeline(int device, int seconds)
    {
        QStringList runs;
        int last = -1, count = 0;
        for (int s = 0; s < seconds; ++s) {
            RunSeconds(1);
            const TDevice &d = Tables(engine).Devices[device];
            const int state = d.StationActive ? d.Mode : -1;
            const int key = state * 100 + d.StationIndex;
            if (key != last && count > 0) {
                runs << QStringLiteral("%1@%2x%3").arg(last / 100).arg(last % 100).arg(count);
                count = 0;
            }
            last = key;
            ++count;
        }
        runs << QStringLiteral("%1@%2x%3").arg(last / 100).arg(last % 100).arg(count);
        return runs.join(QLatin1Char(' '));
    }
};

} // namespace

TEST_F(Scheduler, MeasuringThenRdsThenTheNextStation)
{
    WriteStations({{"A", "98.5", "D0", 2, 1}, {"B", "99.1", "D0", 1, 0}});
    StartConnected({"SchedulingMode=1\r\n"});
    // Mode@station for each run of seconds, seen at the end of each second: the
    // tuning second, measuring 120 s and RDS 60 s at A (the sixtieth counted in
    // the second that tunes B), then B, then A again. A visit lasts exactly its
    // minutes, tuning second included.
    EXPECT_EQ(Timeline(0, 242), QStringLiteral("0@0x1 1@0x120 2@0x59 0@1x1 1@1x59 0@0x1 1@0x1"));
}

TEST_F(Scheduler, RdsFirstWhenTheStationAsksForIt)
{
    WriteStations({{"A", "98.5", "D0", 2, 1, "RDS/Measuring"}});
    StartConnected({"SchedulingMode=1\r\n"});
    EXPECT_EQ(Timeline(0, 181), QStringLiteral("0@0x1 2@0x60 1@0x119 0@0x1"));
}

TEST_F(Scheduler, NegativeRdsRunsTheCombinedModeWithBothFiles)
{
    WriteStations({{"Combined FM", "98.5", "D0", 1, -1}});
    StartConnected({"SchedulingMode=0\r\n"});
    engine.Tune(0, 0, true);
    EXPECT_EQ(Timeline(0, 62), QStringLiteral("3@0x60 -1@-1x2"));
    const QStringList archive =
        QDir(Tables(engine).Folders.StationLogsFolder).entryList(QDir::Files);
    EXPECT_EQ(archive.filter(QStringLiteral(".csv")).size(), 1)
        << qPrintable(archive.join(QLatin1Char(',')));
    EXPECT_EQ(archive.filter(QStringLiteral(".lumex")).size(), 1);
}

TEST_F(Scheduler, InfiniteLoopWorksThroughItsOwnStationsAndStartsAgain)
{
    WriteStations(
        {{"A", "98.5", "D0", 1, 0}, {"B", "99.1", "D1", 1, 0}, {"C", "100.2", "D0", 1, 0}});
    StartConnected({"SchedulingMode=1\r\n", "SchedulingMode=0\r\n"});
    EXPECT_EQ(Timeline(0, 121), QStringLiteral("0@0x1 1@0x59 0@2x1 1@2x59 0@0x1"));
    const QStringList lines = Tables(engine).Devices[0].ActivityLines->filter(
        QRegularExpression(QStringLiteral("scheduling|Scheduling|Tuning to")));
    QStringList messages;
    for (const QString &l : lines)
        messages << l.mid(25);
    EXPECT_EQ(messages, (QStringList{QStringLiteral("New scheduling event"),
                                     QStringLiteral("Tuning to 98.5 - A"),
                                     QStringLiteral("Tuning to 100.2 - C"),
                                     QStringLiteral("Scheduling tasks finished"),
                                     QStringLiteral("New scheduling event"),
                                     QStringLiteral("Tuning to 98.5 - A")}));
    // The manual device was never started.
    EXPECT_FALSE(Tables(engine).Devices[1].StationActive);

    // The operator's Stop is followed by a new start from the first station.
    engine.StopByUser(0);
    EXPECT_FALSE(Tables(engine).Devices[0].StationActive);
    RunSeconds(1);
    EXPECT_EQ(Tables(engine).Devices[0].StationIndex, 0);
}

TEST_F(Scheduler, ManualModeStopsAtTheEndOfTheStation)
{
    WriteStations({{"A", "98.5", "D0", 1, 0}, {"B", "99.1", "D0", 1, 0}});
    StartConnected({QByteArray()});
    RunSeconds(5);
    EXPECT_FALSE(Tables(engine).Devices[0].StationActive) << "manual mode starts nothing by itself";
    engine.Tune(0, 0, true);
    EXPECT_EQ(Timeline(0, 63), QStringLiteral("1@0x60 -1@-1x3"));
}

TEST_F(Scheduler, PredefinedTimesStartOnTheListedMinuteOfTheWeekdayOnly)
{
    // 2024-05-01 is a Wednesday (Day3).
    WriteStations({{"A", "98.5", "D0", 1, 0}});
    StartConnected({"SchedulingMode=2\r\nDay3=16:05, 6:10;22:00\r\nDay4=6:05\r\n"});
    clock.set(QDateTime(QDate(2024, 5, 1), QTime(6, 4, 58), Qt::UTC));
    Tables(engine).G.LastSecondMark = clock.utcMilliseconds();
    RunSeconds(70);
    EXPECT_FALSE(Tables(engine).Devices[0].StationActive)
        << "16:05 is not 6:05, and 6:05 is Thursday's";
    clock.set(QDateTime(QDate(2024, 5, 1), QTime(6, 9, 58), Qt::UTC));
    Tables(engine).G.LastSecondMark = clock.utcMilliseconds();
    RunSeconds(1);
    EXPECT_FALSE(Tables(engine).Devices[0].StationActive);
    RunSeconds(1);
    EXPECT_TRUE(Tables(engine).Devices[0].StationActive);
    EXPECT_TRUE(DeviceLog(0).contains(QStringLiteral("New scheduling event")));
    // After the visit the device waits for the next listed time.
    RunSeconds(62);
    EXPECT_FALSE(Tables(engine).Devices[0].StationActive);
    EXPECT_TRUE(DeviceLog(0).endsWith(QStringLiteral("Scheduling tasks finished")));
}

TEST_F(Scheduler, APausedDeviceKeepsItsStationModeAndCountdowns)
{
    WriteStations({{"A", "98.5", "D0", 2, 1}});
    StartConnected({"SchedulingMode=1\r\n"});
    RunSeconds(10);
    const int left = Tables(engine).Devices[0].MeasuringCountdown;
    engine.TogglePause(0);
    RunSeconds(300);
    EXPECT_EQ(Tables(engine).Devices[0].MeasuringCountdown, left);
    EXPECT_EQ(Tables(engine).Devices[0].Mode, ModeMeasuringPart);
    EXPECT_EQ(Tables(engine).Devices[0].StationIndex, 0);
    engine.TogglePause(0);
    RunSeconds(3);
    EXPECT_EQ(Tables(engine).Devices[0].MeasuringCountdown, left - 3);
}

TEST_F(Scheduler, StallsAreCaughtUpForUpTo100Seconds)
{
    WriteStations({{"A", "98.5", "D0", 10, 0}});
    StartConnected({"SchedulingMode=1\r\n"});
    RunSeconds(1);
    const int start = Tables(engine).Devices[0].MeasuringCountdown;
    clock.advanceMs(5000);
    engine.TimerMeasuringTimer();
    EXPECT_EQ(Tables(engine).Devices[0].MeasuringCountdown, start - 5);
    clock.advanceMs(180000);
    engine.TimerMeasuringTimer();
    EXPECT_EQ(Tables(engine).Devices[0].MeasuringCountdown, start - 6);
    // Part seconds carry over; a clock going back counts nothing.
    clock.advanceMs(600);
    engine.TimerMeasuringTimer();
    clock.advanceMs(600);
    engine.TimerMeasuringTimer();
    EXPECT_EQ(Tables(engine).Devices[0].MeasuringCountdown, start - 7);
    clock.advanceMs(-60000);
    engine.TimerMeasuringTimer();
    EXPECT_EQ(Tables(engine).Devices[0].MeasuringCountdown, start - 7);
}

TEST_F(Scheduler, UnconnectedDevicesCountNothing)
{
    WriteStations({{"A", "98.5", "D0", 1, 0}});
    WriteDevices({QStringLiteral("10.0.0.1:7000")}, {"SchedulingMode=1\r\n"});
    Start();
    RunSeconds(10);
    EXPECT_FALSE(Tables(engine).Devices[0].StationActive);
    EXPECT_EQ(Tables(engine).Devices[0].SilentSeconds, 999);
}

namespace {
QDateTime Berlin(int month, int day, int h, int m)
{
    return QDateTime(QDate(2026, month, day), QTime(h, m), QTimeZone("Europe/Berlin"));
}
} // namespace

// 2026-03-29 and 2026-10-25 are Sundays (Day7) on which Berlin changes between
// winter and summer time at 2:00 and 3:00.
TEST_F(Scheduler, AStartTimeInTheSpringGapStartsOnceAtTheFirstMinuteAfterIt)
{
    WriteStations({{"A", "98.5", "D0", 1, 0}});
    StartConnected({"SchedulingMode=2\r\nDay7=2:30\r\n"});
    clock.set(Berlin(3, 29, 1, 58));
    Tables(engine).G.LastSecondMark = clock.utcMilliseconds();
    RunSeconds(119); // to 01:59:59 winter time
    EXPECT_FALSE(Tables(engine).Devices[0].StationActive);
    RunSeconds(1); // 03:00:00 summer time
    ASSERT_EQ(clock.currentDateTime().time(), QTime(3, 0));
    EXPECT_TRUE(Tables(engine).Devices[0].StationActive);
    RunSeconds(3600);
    EXPECT_EQ(DeviceLog(0).count(QStringLiteral("New scheduling event")), 1);
    EXPECT_FALSE(Tables(engine).Devices[0].StationActive);
}

TEST_F(Scheduler, TheHourThatComesTwiceInAutumnStartsAListedTimeOnce)
{
    WriteStations({{"A", "98.5", "D0", 1, 0}});
    StartConnected({"SchedulingMode=2\r\nDay7=2:30\r\n"});
    clock.set(Berlin(10, 25, 2, 29));
    Tables(engine).G.LastSecondMark = clock.utcMilliseconds();
    RunSeconds(61);
    EXPECT_TRUE(Tables(engine).Devices[0].StationActive);
    RunSeconds(2 * 3600); // through 2:30 winter time, an hour later
    EXPECT_EQ(DeviceLog(0).count(QStringLiteral("New scheduling event")), 1);

    // A week later 2:30 comes once again, and starts the device again.
    clock.set(Berlin(11, 1, 2, 29));
    Tables(engine).G.LastSecondMark = clock.utcMilliseconds();
    RunSeconds(120);
    EXPECT_EQ(DeviceLog(0).count(QStringLiteral("New scheduling event")), 2);
}
