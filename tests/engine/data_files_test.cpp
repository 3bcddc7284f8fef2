// The data files of a station's modes under hard conditions: names too long
// for a file name, names that would leave the archive, files that cannot be
// made, and a full disk.
#include "engine_fixture.h"
#include "engine_tables.h"
#include "file_size_limit.h"
#include "platform_utils.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

using namespace vantor;
using namespace vantor::test;

namespace {

class DataFiles : public EngineFixture
{
protected:
    void WriteDevice(const QByteArray &name)
    {
        WriteFile(QStringLiteral("devices.ini"),
                  "[General]\r\nDeviceCount=1\r\n[Device0]\r\nName=" + name +
                      "\r\nConnection=10.0.0.5:7000\r\n");
    }

    // Stations on the device, measuring and decoding RDS at once.
    void WriteStations(const QList<QByteArray> &names, const QByteArray &device)
    {
        QByteArray ini = "[General]\r\nStationCount=" + QByteArray::number(names.size()) + "\r\n";
        for (int j = 0; j < names.size(); ++j)
            ini += "[Station" + QByteArray::number(j) + "]\r\nName=" + names[j] +
                   "\r\nFrequency=98.5\r\nDeviceName=" + device + "\r\nMeasuring=1\r\nRDS=-1\r\n";
        WriteFile(QStringLiteral("stations.ini"), ini);
    }

    TDevice &Dev() { return Tables(engine).Devices[0]; }

    // A combined mode at a station with a histogram and one second measured,
    // then finished, and the next tick, which archives its files.
    void RunCombinedMode(int station = 0)
    {
        engine.Tune(0, station, false);
        engine.StartMeasuring(0);
        engine.AddToLastData(0, QStringLiteral("Histogram Data"), QStringLiteral("  0:    3  "));
        Dev().HistoryCount = 1;
        clock.advanceSeconds(5);
        engine.FinishMode(0);
        engine.TimerWriteLogTimer();
    }

    // Every file below folder, relative to it.
    QStringList FilesBelow(const QString &folder) const
    {
        QStringList files;
        QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << QDir(folder).relativeFilePath(it.next());
        files.sort();
        return files;
    }
};

const QByteArray AllFiles = "[General]\r\nSaveHistogram=1\r\nKeepGraphs=1\r\nLogGraph1=1\r\n"
                            "GraphExt=1\r\n";

} // namespace

TEST_F(DataFiles, LongNamesAreShortenedAndNoFileIsLost)
{
    // 300 plain letters; 300 letters of two bytes each in a file name (the
    // settings files are 8-bit text).
    const QByteArray plain(300, 'n');
    const QByteArray wide = QByteArray("\xfc").repeated(300);
    WriteDevice(plain);
    WriteStations({wide, plain}, plain);
    WriteFile(QStringLiteral("config.ini"), AllFiles);
    Start();
    ConnectAll();
    for (int structure : {0, 1}) {
        engine.Prefs().SetInteger(QStringLiteral("Structure"), structure);
        for (int station : {0, 1}) {
            RunCombinedMode(station);
            clock.advanceSeconds(1);
        }
    }

    // Per station: CSV, RDS log, histogram data, histogram picture, graph.
    const QStringList recent = QDir(Tables(engine).Folders.RecentFolder).entryList(QDir::Files);
    EXPECT_EQ(recent.size(), 2 * 5) << recent.join(QLatin1Char('\n')).toStdString();
    const QStringList archive = FilesBelow(Tables(engine).Folders.StationLogsFolder);
    EXPECT_EQ(archive.size(), 2 * 5 + 2 * 2 * 5) << archive.join(QLatin1Char('\n')).toStdString();
    const QString plainStart = QStringLiteral("nnn");
    const QString wideStart = QString::fromLatin1(wide.left(3));
    for (const QString &file : archive) {
        for (const QString &part : file.split(QLatin1Char('/'))) {
            const qsizetype bytes = QFile::encodeName(part).size();
            EXPECT_LE(bytes, MaxFileNameBytes) << file.toStdString();
            if (part.startsWith(plainStart) || part.startsWith(wideStart)) {
                EXPECT_GT(bytes, MaxFileNameBytes - 2) << "cut no more than needed";
            }
        }
    }
    for (const QString &ending :
         {QStringLiteral(".csv"), QStringLiteral(".lumex"), QStringLiteral(" - histogram.csv"),
          QStringLiteral(" - histogram.jpg"), QStringLiteral(" - MAX.jpg")})
        EXPECT_TRUE(QFileInfo::exists(Tables(engine).Folders.RecentFolder +
                                      DataFileName(QString::fromLatin1(wide), ending)))
            << ending.toStdString();
    // Per-station folders carry the shortened name, the files their usual names.
    EXPECT_TRUE(archive.contains(DataFileName(QString::fromLatin1(wide), QString()) +
                                 QStringLiteral("/2024-05-01 12-00-17.lumex")));

    const QStringList logs = QDir(Tables(engine).Folders.AppLogsFolder).entryList(QDir::Files);
    EXPECT_TRUE(logs.contains(
        DataFileName(QString::fromLatin1(plain), QStringLiteral(" - 2024-05-01.log"))))
        << logs.join(QLatin1Char(' ')).toStdString();
    EXPECT_FALSE(DeviceLog(0).contains(QStringLiteral("Cannot"))) << DeviceLog(0).toStdString();
}

TEST_F(DataFiles, DotNamedStationsGiveVisibleFilesInsideTheStationLogs)
{
    WriteDevice("D0");
    WriteStations({"..", ".", "\" . \""}, "D0");
    WriteFile(QStringLiteral("config.ini"), "[General]\r\nStructure=1\r\nLogHistogram=0\r\n");
    Start();
    ConnectAll();
    for (int station : {0, 1, 2})
        RunCombinedMode(station);

    // Their files in Recent are visible, none hidden or nameless.
    EXPECT_EQ(FilesBelow(Tables(engine).Folders.StationLogsFolder),
              (QStringList{QStringLiteral("Recent/_.csv"), QStringLiteral("Recent/_.lumex"),
                           QStringLiteral("Recent/__.csv"), QStringLiteral("Recent/__.lumex"),
                           QStringLiteral("Recent/___.csv"), QStringLiteral("Recent/___.lumex"),
                           QStringLiteral("_/2024-05-01 12-00-10.csv"),
                           QStringLiteral("_/2024-05-01 12-00-10.lumex"),
                           QStringLiteral("__/2024-05-01 12-00-05.csv"),
                           QStringLiteral("__/2024-05-01 12-00-05.lumex"),
                           QStringLiteral("___/2024-05-01 12-00-15.csv"),
                           QStringLiteral("___/2024-05-01 12-00-15.lumex")}));
    EXPECT_EQ(QDir(Data()).entryList(QDir::Files),
              (QStringList{QStringLiteral("config.ini"), QStringLiteral("devices.ini"),
                           QStringLiteral("stations.ini")}));
}

TEST_F(DataFiles, FilesThatCannotBeMadeAreReportedInTheDeviceLog)
{
    WriteDevice("D0");
    WriteStations({"Blocked"}, "D0");
    WriteFile(QStringLiteral("config.ini"), AllFiles);
    Start();
    // A folder where a file belongs cannot be replaced by a file.
    for (const char *name : {"Blocked.csv", "Blocked.lumex", "Blocked - histogram.csv",
                             "Blocked - histogram.jpg", "Blocked - MAX.jpg"})
        QDir().mkpath(Tables(engine).Folders.RecentFolder + QLatin1String(name) +
                      QStringLiteral("/x"));
    ConnectAll();
    RunCombinedMode();

    const QString log = DeviceLog(0);
    for (const char *name : {"Blocked.csv", "Blocked.lumex", "Blocked - histogram.csv"})
        EXPECT_TRUE(log.contains(QStringLiteral("[D0] Cannot create ") +
                                 Tables(engine).Folders.RecentFolder + QLatin1String(name) +
                                 QStringLiteral(": ")))
            << name << '\n'
            << log.toStdString();
    for (const char *name : {"Blocked - histogram.jpg", "Blocked - MAX.jpg"})
        EXPECT_TRUE(log.contains(QStringLiteral("[D0] Cannot save the picture ") +
                                 Tables(engine).Folders.RecentFolder + QLatin1String(name)))
            << name << '\n'
            << log.toStdString();
    EXPECT_TRUE(FilesBelow(Tables(engine).Folders.StationLogsFolder).isEmpty());
}

TEST_F(DataFiles, AnActivityLogThatCannotBeOpenedIsReportedInTheApplicationLog)
{
    WriteDevice("D0");
    WriteStations({"Radio 1"}, "D0");
    Start();
    const QString path =
        DeviceLogFileName(Tables(engine).Folders.AppLogsFolder, QStringLiteral("D0"), clock.now());
    QDir().mkpath(path + QStringLiteral("/x"));
    ConnectAll();
    EXPECT_TRUE(AppLines().contains(QStringLiteral("[application] Cannot open the activity log ") +
                                    path + QStringLiteral(": ")))
        << AppLines().toStdString();
    EXPECT_TRUE(DeviceLog(0).contains(QStringLiteral("Cannot open the activity log ")));
}

namespace {

class FullDisk : public DataFiles
{
protected:
    void SetUp() override
    {
        WriteDevice("D0");
        WriteStations({"Radio 1"}, "D0");
    }

    void StartMode(const QByteArray &config)
    {
        WriteFile(QStringLiteral("config.ini"), config);
        Start();
        ConnectAll();
        engine.Tune(0, 0, false);
        engine.StartMeasuring(0);
        clock.advanceMs(4000); // past the ignore window
    }

    QString Recent(const char *name) const
    {
        return engine.FolderPaths().RecentFolder + QLatin1String(name);
    }

    // The RDS log's text after one group, in a mode without a CSV file.
    QByteArray StartRdsLogWithOneGroup()
    {
        StartMode("[General]\r\nLogMeasuring=0\r\n");
        library.pushResponse(0, QStringLiteral("G=D3C304000000ABCD"));
        ReceiveSecond();
        return readAll(Recent("Radio 1.lumex"));
    }

    // Logging periods of one second with a level received.
    void WriteLines(int count)
    {
        engine.AddToLastData(0, QStringLiteral("Level"), QStringLiteral("63.2 dBuV"));
        for (int k = 0; k < count; ++k) {
            clock.advanceMs(1000);
            engine.TimerWriteLogTimer();
        }
    }
};

constexpr const char *NoLimit = "no file size limit (RLIMIT_FSIZE) can be set here";

} // namespace

TEST_F(FullDisk, TheRdsLogKeepsWholeLinesOnly)
{
    const QByteArray before = StartRdsLogWithOneGroup();
    ASSERT_EQ(before.size(), 42);
    {
        FileSizeLimit full(before.size() + 100);
        if (!full.active())
            GTEST_SKIP() << NoLimit;
        for (int k = 0; k < 3; ++k)
            library.pushResponse(0, QStringLiteral("G=D3C304000000ABCD"));
        ReceiveSecond();
    }
    EXPECT_EQ(readAll(Recent("Radio 1.lumex")), before);
    EXPECT_TRUE(
        DeviceLog(0).contains(QStringLiteral("[D0] Cannot write to ") + Recent("Radio 1.lumex")))
        << DeviceLog(0).toStdString();
    // Logging stays off for the rest of the mode.
    library.pushResponse(0, QStringLiteral("G=D3C304000000ABCD"));
    ReceiveSecond();
    EXPECT_EQ(readAll(Recent("Radio 1.lumex")), before);
}

TEST_F(FullDisk, RdsLinesLeftWhenTheModeEndsOnAFullDiskAreToldAndNotArchived)
{
    const QByteArray before = StartRdsLogWithOneGroup();
    ASSERT_EQ(before.size(), 42);
    library.pushResponse(0, QStringLiteral("G=D3C304000000ABCD"));
    ReceiveTick();
    {
        FileSizeLimit full(before.size() + 10);
        if (!full.active())
            GTEST_SKIP() << NoLimit;
        engine.FinishMode(0);
    }
    EXPECT_EQ(readAll(Recent("Radio 1.lumex")), before);
    EXPECT_TRUE(
        DeviceLog(0).contains(QStringLiteral("[D0] Cannot write to ") + Recent("Radio 1.lumex")))
        << DeviceLog(0).toStdString();
    EXPECT_EQ(FilesBelow(Tables(engine).Folders.StationLogsFolder),
              QStringList{QStringLiteral("Recent/Radio 1.lumex")});
}

TEST_F(FullDisk, TheCsvStaysHeaderOnlyUntilTheModeEndsAndTheNextModeLogsAgain)
{
    StartMode("[General]\r\nLogRDS=0\r\nLogHistogram=0\r\n");
    const QByteArray header = readAll(Recent("Radio 1.csv"));
    ASSERT_FALSE(header.isEmpty());
    {
        FileSizeLimit full(header.size() + 10);
        if (!full.active())
            GTEST_SKIP() << NoLimit;
        WriteLines(1);
    }
    EXPECT_EQ(readAll(Recent("Radio 1.csv")), header);
    EXPECT_TRUE(
        DeviceLog(0).contains(QStringLiteral("[D0] Cannot write to ") + Recent("Radio 1.csv")));
    // Space is back, but this mode's file is not written again, nor archived.
    WriteLines(3);
    EXPECT_EQ(readAll(Recent("Radio 1.csv")), header);
    engine.FinishMode(0);
    EXPECT_EQ(FilesBelow(Tables(engine).Folders.StationLogsFolder),
              QStringList{QStringLiteral("Recent/Radio 1.csv")});

    engine.StartMeasuring(0);
    clock.advanceMs(4000);
    WriteLines(2);
    EXPECT_EQ(readAll(Recent("Radio 1.csv")).count('\n'), 3);
}

TEST_F(FullDisk, AFailedArchiveCopyIsLoggedAndTheRecentFileKept)
{
    StartMode("[General]\r\nLogRDS=0\r\n");
    WriteLines(10);
    const QByteArray csv = readAll(Recent("Radio 1.csv"));
    ASSERT_GT(csv.size(), 300);
    {
        FileSizeLimit full(200);
        if (!full.active())
            GTEST_SKIP() << NoLimit;
        engine.FinishMode(0); // at 12:00:14
    }
    const QString kept = Recent("Radio 1 - 2024-05-01 12-00-14.csv");
    EXPECT_EQ(readAll(kept), csv);
    EXPECT_TRUE(DeviceLog(0).contains(QStringLiteral("[D0] Cannot archive ") +
                                      Tables(engine).Folders.StationLogsFolder +
                                      QStringLiteral("Radio 1 - 2024-05-01 12-00-14.csv: ")))
        << DeviceLog(0).toStdString();
    EXPECT_TRUE(DeviceLog(0).contains(QStringLiteral("; kept as ") + kept));
    // No part copy in the archive.
    EXPECT_EQ(FilesBelow(Tables(engine).Folders.StationLogsFolder),
              QStringList{QStringLiteral("Recent/Radio 1 - 2024-05-01 12-00-14.csv")});

    // The next mode of the station starts a new file beside the kept one.
    engine.StartMeasuring(0);
    EXPECT_EQ(readAll(kept), csv);
    EXPECT_TRUE(QFileInfo::exists(Recent("Radio 1.csv")));
}

TEST_F(FullDisk, NoEmptyCsvOrPictureIsLeftBehind)
{
    WriteFile(QStringLiteral("config.ini"), AllFiles + "LogRDS=0\r\n");
    Start();
    ConnectAll();
    engine.Tune(0, 0, false);
    {
        // Not even the CSV header fits.
        FileSizeLimit full(10);
        if (!full.active())
            GTEST_SKIP() << NoLimit;
        engine.StartMeasuring(0);
        engine.AddToLastData(0, QStringLiteral("Histogram Data"),
                             QStringLiteral("  0:    3  ").repeated(10));
        Dev().HistoryCount = 1;
        clock.advanceSeconds(5);
        engine.FinishMode(0);
    }
    const QString log = DeviceLog(0);
    for (const char *name : {"Radio 1.csv", "Radio 1 - histogram.csv"})
        EXPECT_TRUE(log.contains(QStringLiteral("[D0] Cannot write to ") + Recent(name)))
            << name << '\n'
            << log.toStdString();
    for (const char *name : {"Radio 1 - histogram.jpg", "Radio 1 - MAX.jpg"})
        EXPECT_TRUE(log.contains(QStringLiteral("[D0] Cannot save the picture ") + Recent(name)))
            << name << '\n'
            << log.toStdString();
    EXPECT_EQ(FilesBelow(Tables(engine).Folders.StationLogsFolder), QStringList())
        << "no empty or cut file, nor a temporary one";
}

// Many modes starting and ending in the same tick (a schedule starting many
// devices at one listed time): a tick makes only its share of their files,
// the rest are made over the next ticks, and every line given to a file
// before it was made reaches it and its archive copy, also when its mode ends
// first.
TEST_F(EngineFixture, ModeFilesStartedOrEndedTogetherAreMadeOverTicksWithoutLosingALine)
{
    constexpr int Count = 25; // two files each: five ticks' share
    QStringList connections;
    QByteArray stations = "[General]\r\nStationCount=" + QByteArray::number(Count) + "\r\n";
    for (int i = 0; i < Count; ++i) {
        connections << QStringLiteral("10.0.0.%1:7000").arg(i + 1);
        stations += "[Station" + QByteArray::number(i) + "]\r\nName=S" + QByteArray::number(i) +
                    "\r\nFrequency=98.5\r\nDeviceName=D" + QByteArray::number(i) +
                    "\r\nMeasuring=1\r\nRDS=-1\r\n";
    }
    WriteDevices(connections);
    WriteFile(QStringLiteral("stations.ini"), stations);
    WriteFile(QStringLiteral("config.ini"), "[General]\r\nLogHistogram=0\r\n");
    Start();
    ConnectAll();
    const auto made = [&] {
        return QDir(Tables(engine).Folders.RecentFolder).entryList(QDir::Files).size();
    };

    engine.TimerMeasuringTimer(); // a tick begins
    for (int i = 0; i < Count; ++i) {
        engine.Tune(i, i, false);
        engine.StartMeasuring(i);
    }
    EXPECT_EQ(made(), 10) << "one tick's share";
    clock.advanceMs(4000); // past the ignore window
    for (int i = 0; i < Count; ++i) {
        engine.AddToLastData(i, QStringLiteral("Level"), QStringLiteral("63 dBuV"));
        library.pushResponse(i, QStringLiteral("G=D3C304000000ABCD"));
    }
    ReceiveSecond();
    clock.advanceMs(200);
    engine.TimerWriteLogTimer(); // makes its share, then writes a line for every device
    EXPECT_EQ(made(), 20);
    for (int k = 0; k < 2; ++k) {
        clock.advanceMs(1000);
        engine.TimerWriteLogTimer();
    }
    EXPECT_EQ(made(), 40);

    // They end together, the last ones before their files were made: a tick
    // archives only its share, the rest follow over the next ticks in turn.
    const auto archived = [&](const QString &station) {
        return QDir(Tables(engine).Folders.StationLogsFolder)
            .entryList(QDir::Files)
            .filter(station + QStringLiteral(" - "));
    };
    for (int i = 0; i < Count; ++i)
        engine.FinishMode(i);
    EXPECT_TRUE(archived(QStringLiteral("S%1").arg(Count - 1)).isEmpty());
    // The next visits of the same stations start before the copies are made:
    // the archive still gets the finished visits' files.
    for (int i = 0; i < Count; ++i) {
        engine.Tune(i, i, false);
        engine.StartMeasuring(i);
    }
    for (int k = 0; k < 15; ++k) {
        clock.advanceMs(200);
        engine.TimerWriteLogTimer();
    }
    const QString header = engine.Prefs().Text(QStringLiteral("LineComposition"));
    for (int i = 0; i < Count; ++i) {
        const QString station = QStringLiteral("S%1").arg(i);
        const QStringList files = archived(station);
        ASSERT_EQ(files.size(), 2) << i;
        const QString archive =
            Tables(engine).Folders.StationLogsFolder + files.filter(".csv").value(0);
        const QByteArray csv = readAll(archive);
        EXPECT_TRUE(csv.startsWith(QByteArray(header.toLatin1() + "\r\n"))) << i;
        EXPECT_EQ(csv.count('\n'), 4) << "the header and three lines, " << i;
        const QString rds =
            Tables(engine).Folders.StationLogsFolder + files.filter(".lumex").value(0);
        EXPECT_TRUE(readAll(rds).startsWith("D3C304000000ABCD")) << i;
        EXPECT_EQ(readAll(Tables(engine).Folders.RecentFolder + station + ".csv").count('\n'), 1)
            << "the next visit's header, " << i;
    }
    EXPECT_FALSE(DeviceLog(Count - 1).contains(QStringLiteral("Cannot")))
        << DeviceLog(Count - 1).toStdString();
}

// At midnight every device starts a new day's log: a tick opens only its share
// of them, the rest over the next ticks, and lines written in between reach
// the new day's file, not the old one.
TEST_F(EngineFixture, ANewDaysActivityLogsAreOpenedOverTicksWithoutLosingALine)
{
    constexpr int Count = 25;
    QStringList connections;
    for (int i = 0; i < Count; ++i)
        connections << QStringLiteral("10.0.0.%1:7000").arg(i + 1);
    WriteDevices(connections);
    Start();
    ConnectAll();
    clock.set(QDateTime(QDate(2024, 5, 1), QTime(23, 59, 59, 900), Qt::UTC));
    engine.TimerWriteLogTimer();
    const auto newDayLogs = [&] {
        return QDir(Tables(engine).Folders.AppLogsFolder)
            .entryList({QStringLiteral("D* - 2024-05-02.log")}, QDir::Files)
            .size();
    };

    clock.advanceMs(200);
    engine.TimerWriteLogTimer();
    EXPECT_EQ(newDayLogs(), 10) << "one tick's share";
    for (int i = 0; i < Count; ++i)
        engine.AddToActivityLog(i, QStringLiteral("after midnight"));
    for (int k = 0; k < 2; ++k) {
        clock.advanceMs(200);
        engine.TimerWriteLogTimer();
    }
    EXPECT_EQ(newDayLogs(), Count);
    for (int i = 0; i < Count; ++i) {
        const QString name = QStringLiteral("D%1").arg(i);
        const QByteArray today = readAll(Tables(engine).Folders.AppLogsFolder + name +
                                         QStringLiteral(" - 2024-05-02.log"));
        EXPECT_TRUE(today.endsWith(QByteArray("[" + name.toLatin1() + "] after midnight\r\n")))
            << i;
        EXPECT_FALSE(readAll(Tables(engine).Folders.AppLogsFolder + name +
                             QStringLiteral(" - 2024-05-01.log"))
                         .contains("after midnight"))
            << i;
    }
}
