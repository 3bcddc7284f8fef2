// Tuning, the three modes with their files and archive copies, Stop and Pause.
#include "engine_fixture.h"
#include "engine_tables.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>

using namespace vantor;
using namespace vantor::test;

namespace {

class Modes : public EngineFixture
{
protected:
    void SetUp() override
    {
        WriteDevices({QStringLiteral("10.0.0.5:7000")});
        WriteStations({{"Radio 1", "98.5", "D0", 2, 1, "Measuring/RDS", "Pins", "*a1"},
                       {"Radio/2", "99.1", "D0", 1, -1}});
        WriteFile(QStringLiteral("alarms.ini"),
                  "[General]\r\nAlarmSetCount=1\r\n[AlarmSet0]\r\nName=Pins\r\n"
                  "SD_DrivePin2=1\r\nSD_Pin2Polarity=1\r\nPI_DrivePin2=1\r\nPI_Pin2Polarity=0\r\n"
                  "OM_DrivePin4=1\r\nOM_Pin4Polarity=0\r\n");
    }

    TDevice &Dev() { return Tables(engine).Devices[0]; }

    QStringList Archive(const QString &sub = {}) const
    {
        QStringList files =
            QDir(engine.FolderPaths().StationLogsFolder + sub).entryList(QDir::Files);
        files.sort();
        return files;
    }
};

} // namespace

TEST_F(Modes, ManualTuningNeedsAUsableDevice)
{
    Start();
    engine.TimerConnectTimer(); // registered, not connected
    library.clearCalls();
    engine.Tune(0, 0, true);
    EXPECT_TRUE(DeviceLog(0).endsWith(QStringLiteral("Not connected")));
    EXPECT_FALSE(Dev().StationActive);
    EXPECT_TRUE(library.commands(0).isEmpty());
    // Out-of-range indexes do nothing.
    engine.Tune(0, 2, false);
    engine.Tune(5, 0, false);
    EXPECT_FALSE(Dev().StationActive);
}

TEST_F(Modes, TuningCopiesTheStationAndSetsTheReceiver)
{
    const QString exe = tmp.path() + QStringLiteral("/bin");
    QDir().mkpath(exe);
    const QString argsFile = tmp.path() + QStringLiteral("/station-args");
    ASSERT_TRUE(WriteRecordingScript(exe + QStringLiteral("/station.sh"), argsFile));
    engine.Start(exe, Data());
    ConnectAll();
    Dev().Paused = true;
    Dev().LastData.Set(QStringLiteral("MAX"), QStringLiteral("1"));
    library.pushResponse(0, QStringLiteral("MAX=77"));
    news.clear();

    engine.RunGuarded([&] { engine.Tune(0, 0, true); });

    EXPECT_TRUE(Dev().StationActive);
    EXPECT_FALSE(Dev().Paused);
    EXPECT_EQ(Dev().StationIndex, 0);
    EXPECT_EQ(Dev().Station.Name, QStringLiteral("Radio 1"));
    EXPECT_TRUE(Dev().LastData.empty());
    EXPECT_EQ(Dev().MeasuringCountdown, 120);
    EXPECT_EQ(Dev().RDSCountdown, 60);
    EXPECT_TRUE(Dev().AlarmSetActive);
    EXPECT_EQ(Dev().AlarmSet.Name, QStringLiteral("Pins"));
    EXPECT_DOUBLE_EQ(Dev().IgnoreUntil, clock.now() + 4 * OneSecond);
    EXPECT_TRUE(DeviceLog(0).endsWith(QStringLiteral("Manually tuning to 98.5 - Radio 1")));
    // Off-commands, frequency, resting pin levels (pin 2 rests low as the
    // silence detector, the lowest kind driving it, wants it high; pin 4 rests
    // high), the station's own command.
    EXPECT_EQ(library.commands(0),
              (QStringList{QStringLiteral("*m"), QStringLiteral("*p"), QStringLiteral("*r"),
                           QStringLiteral("098500*F"), QStringLiteral("ARJ:GD*X"),
                           QStringLiteral("ARL:GH*X"), QStringLiteral("*a1")}));
    EXPECT_EQ(library.calls(QStringLiteral("ClearValues")).size(), 1u);
    library.SetDevice(0);
    EXPECT_EQ(library.ReadBufferLength(), 0) << "stale answers dropped";
    ASSERT_EQ(news.batches.size(), 1) << "one announcement for the whole tuning";
    EXPECT_EQ(news.devicesWith(Tuned), QList<int>{0});
    EXPECT_EQ(news.devicesWith(ModeChanged), QList<int>{0}) << "the old mode finished";
    ASSERT_TRUE(waitFor([&] { return QFileInfo::exists(argsFile); }));
    EXPECT_EQ(readAll(argsFile), "Radio|1|D0|\n" + QDir(exe).canonicalPath().toLatin1() + "\n");

    // A station without an alarm set: no evaluation, no pin commands.
    library.clearCalls();
    engine.Tune(0, 1, false);
    EXPECT_FALSE(Dev().AlarmSetActive);
    EXPECT_TRUE(library.commands(0).filter(QStringLiteral("AR")).isEmpty());
    EXPECT_TRUE(DeviceLog(0).endsWith(QStringLiteral("Tuning to 99.1 - Radio/2")));
}

TEST_F(Modes, TheTuneButtonNeedsADeviceForTheStation)
{
    WriteStations({{"Radio 1", "98.5", "Nobody", 1, 0}, {"Radio 2", "99.1", "D0", 1, 0}});
    Start();
    ConnectAll();
    EXPECT_EQ(
        engine.TuneStation(0),
        QStringLiteral(
            "No valid device assigned to this station. \rAssign a device in the Station List."));
    EXPECT_FALSE(Dev().StationActive);
    EXPECT_TRUE(engine.TuneStation(1).isEmpty());
    EXPECT_TRUE(Dev().StationActive);
}

TEST_F(Modes, ModesSwitchTheOutputsAndArchiveTheirFiles)
{
    WriteFile(QStringLiteral("config.ini"), "[General]\r\nStructure=1\r\n");
    Start();
    ConnectAll();
    engine.Tune(0, 0, false);
    library.clearCalls();

    engine.StartMeasuring(0);
    EXPECT_EQ(library.commands(0).join(QLatin1Char(' ')), QStringLiteral("*m *p *r *E *1 *M *P"));
    EXPECT_EQ(Dev().Mode, ModeMeasuringPart);
    const QString csv = Tables(engine).Folders.RecentFolder + QStringLiteral("Radio 1.csv");
    EXPECT_EQ(Dev().MeasurementLogName, csv);
    EXPECT_EQ(readAll(csv),
              "\"datetime\";\"Signal Quality\";\"Level\";\"MAX\";\"Pilot\";\"RDS\";\"Pm\"\r\n");

    clock.advanceSeconds(120);
    library.clearCalls();
    engine.StartRDS(0);
    EXPECT_EQ(library.commands(0).join(QLatin1Char(' ')),
              QStringLiteral("*m *p *r *m *p *D *R *6"));
    EXPECT_EQ(Dev().Mode, ModeRdsPart);
    EXPECT_TRUE(Dev().MeasurementLogName.isEmpty());
    EXPECT_EQ(Archive(QStringLiteral("Radio 1")),
              QStringList{QStringLiteral("2024-05-01 12-02-00.csv")});

    clock.advanceSeconds(60);
    news.clear();
    engine.Stop(0);
    EXPECT_TRUE(news.batches.isEmpty()) << "told when the handler ends, not before";
    engine.Announce();
    EXPECT_EQ(news.devicesWith(Stopped), QList<int>{0});
    EXPECT_FALSE(Dev().StationActive);
    EXPECT_EQ(Dev().StationIndex, -1);
    EXPECT_EQ(Archive(QStringLiteral("Radio 1")),
              (QStringList{QStringLiteral("2024-05-01 12-02-00.csv"),
                           QStringLiteral("2024-05-01 12-03-00.lumex")}));
    EXPECT_TRUE(
        QFileInfo::exists(Tables(engine).Folders.RecentFolder + QStringLiteral("Radio 1.lumex")));
}

TEST_F(Modes, CombinedModeKeepsBothFilesAndFlatArchiveNamesAreSafe)
{
    Start();
    ConnectAll();
    engine.Tune(0, 1, false);
    library.clearCalls();
    engine.StartMeasuring(0);
    EXPECT_EQ(Dev().Mode, ModeMeasuringPart | ModeRdsPart);
    EXPECT_TRUE(library.commands(0).endsWith(QStringLiteral("*R")));
    EXPECT_EQ(Dev().RDSLogName,
              Tables(engine).Folders.RecentFolder + QStringLiteral("Radio_2.lumex"));
    EXPECT_EQ(Dev().MeasurementLogName,
              Tables(engine).Folders.RecentFolder + QStringLiteral("Radio_2.csv"));
    engine.FinishMode(0);
    EXPECT_EQ(Archive(), (QStringList{QStringLiteral("Radio_2 - 2024-05-01 12-00-00.csv"),
                                      QStringLiteral("Radio_2 - 2024-05-01 12-00-00.lumex")}));
    // Finishing again archives nothing more.
    engine.FinishMode(0);
    EXPECT_EQ(Archive().size(), 2);
}

TEST_F(Modes, TheEndOfMeasuringSavesHistogramAndPictures)
{
    WriteFile(QStringLiteral("config.ini"),
              "[General]\r\nSaveHistogram=1\r\nKeepGraphs=1\r\nLogGraph1=1\r\nLogGraph10=1\r\n"
              "GraphWidth=320\r\nGraphHeight=200\r\nGraphExt=0\r\n");
    Start();
    ConnectAll();
    engine.Tune(0, 0, false);
    engine.StartMeasuring(0);
    engine.AddToLastData(0, QStringLiteral("Histogram Data"), QStringLiteral("  0:    3  "));
    Dev().History.resize(5);
    for (std::size_t s = 0; s < 5; ++s) {
        Dev().History[s] = {clock.now(), {}};
        Dev().History[s].Values.fill(60.0f + static_cast<float>(s));
        clock.advanceSeconds(1);
    }
    Dev().HistoryCount = 5;
    engine.FinishMode(0);

    const QString recent = Tables(engine).Folders.RecentFolder;
    EXPECT_EQ(readAll(recent + QStringLiteral("Radio 1 - histogram.csv")), "  0:    3  ");
    // The pictures are drawn at the preferred size and saved by their names.
    for (const char *picture :
         {"Radio 1 - histogram.bmp", "Radio 1 - MAX.bmp", "Radio 1 - Level.bmp"}) {
        QImageReader reader(recent + QLatin1String(picture));
        EXPECT_EQ(reader.format(), "bmp") << picture;
        EXPECT_EQ(reader.size(), QSize(320, 200)) << picture;
    }
    EXPECT_FALSE(QFileInfo::exists(recent + QStringLiteral("Radio 1 - AVE.bmp")));
    EXPECT_EQ(Archive(),
              (QStringList{QStringLiteral("Radio 1 - 2024-05-01 12-00-05 - histogram.csv"),
                           QStringLiteral("Radio 1 - 2024-05-01 12-00-05.csv"),
                           QStringLiteral("Radio 1 - Level - 2024-05-01 12-00-05.bmp"),
                           QStringLiteral("Radio 1 - MAX - 2024-05-01 12-00-05.bmp"),
                           QStringLiteral("Radio 1 - histogram - 2024-05-01 12-00-05.bmp")}));
    EXPECT_EQ(news.statusTexts, (QStringList{QStringLiteral("Saving data ..."), QString()}));

    // Less than one usable second of measuring saves nothing of the kind.
    QDir(recent).removeRecursively();
    QDir().mkpath(recent);
    Dev().HistoryCount = 0;
    engine.StartMeasuring(0);
    engine.FinishMode(0);
    EXPECT_FALSE(QFileInfo::exists(recent + QStringLiteral("Radio 1 - histogram.bmp")));
    EXPECT_FALSE(QFileInfo::exists(recent + QStringLiteral("Radio 1 - MAX.bmp")));
}

TEST_F(Modes, StopAndPauseFromTheOperator)
{
    Start();
    ConnectAll();
    news.clear();
    engine.RunGuarded([&] { engine.StopByUser(0); });
    EXPECT_TRUE(DeviceLog(0).endsWith(QStringLiteral("Stopped by user")));
    EXPECT_TRUE(news.devicesWith(Stopped).isEmpty()) << "an idle device is not stopped again";
    engine.RunGuarded([&] { engine.TogglePause(0); });
    EXPECT_EQ(news.devicesWith(PauseChanged), QList<int>{0});
    EXPECT_TRUE(Dev().Paused);
    engine.TogglePause(0);
    EXPECT_FALSE(Dev().Paused);
}

TEST_F(Modes, LogFilesThatCannotBeCreatedLeaveTheModeRunning)
{
    WriteStations({{"Blocked", "98.5", "D0", 1, -1}});
    Start();
    QDir().mkpath(Tables(engine).Folders.RecentFolder + QStringLiteral("Blocked.csv/x"));
    QDir().mkpath(Tables(engine).Folders.RecentFolder + QStringLiteral("Blocked.lumex/x"));
    ConnectAll();
    engine.Tune(0, 0, false);
    engine.StartMeasuring(0);
    EXPECT_EQ(Dev().Mode, ModeMeasuringPart | ModeRdsPart);
    EXPECT_TRUE(Dev().MeasurementLogName.isEmpty());
    EXPECT_TRUE(Dev().RDSLogName.isEmpty());
    engine.FinishMode(0);
    EXPECT_TRUE(Archive().isEmpty());
}

TEST_F(Modes, ShutDownStopsTheDeviceAndFilesItsLogs)
{
    Start();
    ConnectAll();
    engine.Tune(0, 1, false);
    engine.StartMeasuring(0);
    library.clearCalls();
    EXPECT_TRUE(engine.FormClose());
    EXPECT_FALSE(Dev().StationActive);
    EXPECT_EQ(library.commands(0),
              (QStringList{QStringLiteral("*m"), QStringLiteral("*p"), QStringLiteral("*r")}));
    EXPECT_EQ(Archive(), (QStringList{QStringLiteral("Radio_2 - 2024-05-01 12-00-00.csv"),
                                      QStringLiteral("Radio_2 - 2024-05-01 12-00-00.lumex")}));
    EXPECT_EQ(library.calls(QStringLiteral("Disconnect")).size(), 1u);
}
