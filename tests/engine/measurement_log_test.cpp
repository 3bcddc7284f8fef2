// The CSV measurement log: line composition, the logging period with its
// catch-up rule, the ignore window and the day roll-over.
#include "engine_fixture.h"
#include "engine_tables.h"

#include <QFileInfo>
#include <QLocale>

using namespace vantor;
using namespace vantor::test;

namespace {

class MeasurementLog : public EngineFixture
{
protected:
    void StartMeasuringDevice(const QByteArray &config = {})
    {
        WriteDevices({QStringLiteral("10.0.0.5:7000")});
        WriteStations({{"Radio 1", "98.5", "D0", 10, 0}});
        if (!config.isEmpty())
            WriteFile(QStringLiteral("config.ini"), config);
        Start();
        ConnectAll();
        engine.Tune(0, 0, false);
        engine.StartMeasuring(0);
        clock.advanceMs(4000); // past the ignore window
    }

    QList<QByteArray> CsvLines()
    {
        QList<QByteArray> lines =
            readAll(Tables(engine).Folders.RecentFolder + QStringLiteral("Radio 1.csv"))
                .split('\n');
        lines.removeLast();
        return lines.mid(1); // without the header
    }

    // 200 ms writing ticks.
    void WriteTicks(int count)
    {
        for (int k = 0; k < count; ++k) {
            clock.advanceMs(200);
            engine.TimerWriteLogTimer();
        }
    }
};

} // namespace

TEST_F(MeasurementLog, DefaultPresetWithOnlyTheLevelReceived)
{
    StartMeasuringDevice();
    engine.AddToLastData(0, QStringLiteral("Level"), QStringLiteral("63.2 dBuV"));
    engine.TimerWriteLogTimer();
    ASSERT_EQ(CsvLines().size(), 1);
    EXPECT_EQ(CsvLines()[0], QByteArray("\"2024.05.01 12:00:04\";\"\";\"63") +
                                 QLocale::system().decimalPoint().toLatin1() +
                                 "2\";\"\";\"\";\"\";\"\"\r");
}

TEST_F(MeasurementLog, CompositionTokensAndValueCleaning)
{
    StartMeasuringDevice(
        "[General]\r\nLineComposition=#\"date\",\"time\" | \"Pm\" \"PI\" \"MAX\" \"Stereo\"#\r\n");
    engine.AddToLastData(0, QStringLiteral("Pm"), QStringLiteral("-2.5 dBr"));
    engine.AddToLastData(0, QStringLiteral("MAX"), QStringLiteral("75.0 kHz"));
    engine.TimerWriteLogTimer();
    const QByteArray dot = QLocale::system().decimalPoint().toLatin1();
    ASSERT_EQ(CsvLines().size(), 1);
    // "PI" is no column and stays until a value of that name arrives.
    EXPECT_EQ(CsvLines()[0], "\"2024.05.01\",\"12:00:04\" | \"-2" + dot + "5\" \"PI\" \"75" + dot +
                                 "0\" \"Stereo\"\r");
    engine.AddToLastData(0, QStringLiteral("PI"), QStringLiteral("D3C3"));
    WriteTicks(5);
    EXPECT_TRUE(CsvLines().last().contains("\"D3C3\""));
}

TEST_F(MeasurementLog, AQuoteInAReceivedNameOrValueCannotAddOrRemoveFields)
{
    StartMeasuringDevice("[General]\r\nLineComposition=#\"time\";\"Pm\";\"Level\"#\r\n");
    // A name with quotes would match two fields of the composition at once.
    engine.AddToLastData(0, QStringLiteral("Pm\";\"Level"), QStringLiteral("5"));
    engine.AddToLastData(0, QStringLiteral("Pm"), QStringLiteral("1\";\"INJECTED"));
    engine.AddToLastData(0, QStringLiteral("Level"), QStringLiteral("\"63 dBuV"));
    engine.TimerWriteLogTimer();
    ASSERT_EQ(CsvLines().size(), 1);
    EXPECT_EQ(CsvLines()[0], "\"12:00:04\";\"1;INJECTED\";\"63\"\r");
}

TEST_F(MeasurementLog, KnownValuesAreLoggedAfterAFloodOfUnknownNames)
{
    StartMeasuringDevice();
    for (int n = 0; n < 2 * RecentDataList::MaxEntries; ++n)
        library.pushResponse(0, QStringLiteral("Junk%1=%1").arg(n));
    for (const char *r : {"Signal Quality=4", "Level=63.2 dBuV", "MAX=75.0 kHz", "Pilot=6.8 kHz",
                          "RDS=3.0 kHz", "Pm=-2.5 dBr"})
        library.pushResponse(0, QString::fromLatin1(r));
    clock.advanceMs(200);
    engine.TimerReceiveTimer();
    engine.TimerWriteLogTimer();
    const QByteArray dot = QLocale::system().decimalPoint().toLatin1();
    ASSERT_EQ(CsvLines().size(), 1);
    EXPECT_EQ(CsvLines()[0], "\"2024.05.01 12:00:04\";\"4\";\"63" + dot + "2\";\"75" + dot +
                                 "0\";\"6" + dot + "8\";\"3" + dot + "0\";\"-2" + dot + "5\"\r");
    EXPECT_EQ(DeviceLog(0).count(QStringLiteral("unknown value names")), 1);
}

TEST_F(MeasurementLog, OnlyTheDateTimeTokenWritesNoDataLines)
{
    StartMeasuringDevice("[General]\r\nLineComposition=#\"datetime\"#\r\n");
    engine.AddToLastData(0, QStringLiteral("Level"), QStringLiteral("63.2 dBuV"));
    WriteTicks(20);
    EXPECT_TRUE(CsvLines().isEmpty());
    EXPECT_EQ(readAll(Tables(engine).Folders.RecentFolder + QStringLiteral("Radio 1.csv")),
              "\"datetime\"\r\n");
}

TEST_F(MeasurementLog, APeriodKeepsItsPhaseAndCatchesUpShortHoldUps)
{
    StartMeasuringDevice();
    engine.AddToLastData(0, QStringLiteral("Level"), QStringLiteral("40"));
    engine.TimerWriteLogTimer(); // 12:00:04.000, next due 12:00:05.000
    WriteTicks(10);              // two more lines
    ASSERT_EQ(CsvLines().size(), 3);

    // Held up 2.5 s past 12:00:06: the lines due at :07 and :08 are written by
    // the next ticks, one each.
    clock.advanceMs(2500);
    engine.TimerWriteLogTimer();
    EXPECT_EQ(CsvLines().size(), 4);
    engine.TimerWriteLogTimer();
    EXPECT_EQ(CsvLines().size(), 5);
    engine.TimerWriteLogTimer();
    EXPECT_EQ(CsvLines().size(), 5) << "caught up: the schedule is past now again";

    // Held up 5 s: one line, and the schedule restarts from that moment.
    clock.advanceMs(5000);
    engine.TimerWriteLogTimer();
    engine.TimerWriteLogTimer();
    EXPECT_EQ(CsvLines().size(), 6);
    WriteTicks(4);
    EXPECT_EQ(CsvLines().size(), 6);
    WriteTicks(1);
    EXPECT_EQ(CsvLines().size(), 7);
}

TEST_F(MeasurementLog, NoLinesInsideTheIgnoreWindowOrWhenNotMeasuring)
{
    StartMeasuringDevice();
    engine.AddToLastData(0, QStringLiteral("Level"), QStringLiteral("40"));
    engine.IgnoreRX(0, 4);
    WriteTicks(19);
    EXPECT_TRUE(CsvLines().isEmpty());
    WriteTicks(2);
    EXPECT_EQ(CsvLines().size(), 1);
    library.setConnected(0, false);
    WriteTicks(10);
    EXPECT_EQ(CsvLines().size(), 1);
}

TEST_F(MeasurementLog, MidnightReopensActivityLogsUnderTheNewDate)
{
    StartMeasuringDevice();
    engine.AddToLastData(0, QStringLiteral("Level"), QStringLiteral("40"));
    clock.set(QDateTime(QDate(2024, 5, 1), QTime(23, 59, 59), Qt::UTC));
    engine.TimerWriteLogTimer();
    clock.advanceMs(1000);
    engine.TimerWriteLogTimer();
    const QString newFile =
        Tables(engine).Folders.AppLogsFolder + QStringLiteral("D0 - 2024-05-02.log");
    EXPECT_TRUE(QFileInfo::exists(newFile));
    EXPECT_TRUE(Tables(engine).Devices[0].ActivityLogOpen);
    EXPECT_TRUE(CsvLines().last().startsWith("\"2024.05.02 00:00:00\""));
    engine.AddToActivityLog(0, QStringLiteral("after midnight"));
    EXPECT_TRUE(readAll(newFile).endsWith("[D0] after midnight\r\n"));
    EXPECT_FALSE(
        readAll(Tables(engine).Folders.AppLogsFolder + QStringLiteral("D0 - 2024-05-01.log"))
            .contains("after midnight"));
}

TEST_F(MeasurementLog, DeletesOldFilesAtTheChangeOfDayOnlyWhenAsked)
{
    for (bool deleteOld : {false, true}) {
        FakeDeviceLibrary lib;
        RecordingView v;
        Engine e(clock, lib, v);
        WriteFile(QStringLiteral("config.ini"),
                  deleteOld ? "[General]\r\nDeleteOld=1\r\nDeleteOlderThan=1\r\n" : "");
        clock.set(QDateTime(QDate(2024, 5, 1), QTime(23, 59, 59), Qt::UTC));
        e.Start(tmp.path(), Data());
        const QString old = Tables(e).Folders.EmailsSentFolder + QStringLiteral("old.eml");
        ASSERT_TRUE(writeAllWrittenAt(old, clock.currentDateTime().addDays(-10)));
        clock.advanceMs(2000);
        e.TimerWriteLogTimer();
        EXPECT_EQ(QFileInfo::exists(old), !deleteOld);
    }
}

TEST_F(MeasurementLog, LinesGoOnWhenLocalTimeGoesBack)
{
    StartMeasuringDevice();
    engine.AddToLastData(0, QStringLiteral("Level"), QStringLiteral("40"));
    WriteTicks(10);
    ASSERT_EQ(CsvLines().size(), 2);
    engine.IgnoreRX(0, 4);
    clock.advanceSeconds(5);

    // An hour back, as at the autumn change of daylight saving: the device's
    // ignore window and the line schedule must not wait for the hour to pass.
    clock.set(clock.currentDateTime().addSecs(-3600));
    engine.TimerMeasuringTimer();
    WriteTicks(10);
    EXPECT_EQ(CsvLines().size(), 4);
    EXPECT_TRUE(CsvLines().last().startsWith("\"2024.05.01 11:00:"));
}
