// Start-up, settings files and shut-down of the engine on a fake clock and a
// fake device library.
#include "engine.h"
#include "engine_tables.h"
#include "fake_clock.h"
#include "fake_device_library.h"
#include "recording_view.h"
#include "test_support.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vantor;
using namespace vantor::test;

namespace {

class EngineStartup : public ::testing::Test
{
protected:
    QString Data() const { return tmp.path() + QStringLiteral("/data"); }
    QString DataFile(const char *name) const
    {
        return Data() + QLatin1Char('/') + QLatin1String(name);
    }

    void Write(const char *name, const QByteArray &content)
    {
        QDir().mkpath(Data());
        ASSERT_TRUE(writeAll(DataFile(name), content));
    }

    QString AppLog() const
    {
        return QString::fromLatin1(readAll(Data() + QStringLiteral("/AppLogs/app.log")));
    }

    QTemporaryDir tmp;
    FakeClock clock{QDateTime(QDate(2024, 5, 1), QTime(13, 5, 9), Qt::UTC)};
    FakeDeviceLibrary library;
    RecordingView view;
    Engine engine{clock, library, view};
    EngineRecorder news{engine};
};

} // namespace

TEST_F(EngineStartup, FreshFolderGetsItsTreeLogAndStartValues)
{
    engine.Start(tmp.path() + QStringLiteral("/bin"), Data());

    EXPECT_EQ(Tables(engine).Folders.DataFolder, Data() + QLatin1Char('/'));
    EXPECT_EQ(Tables(engine).Folders.AppLogsFolder, Data() + QStringLiteral("/AppLogs/"));
    EXPECT_EQ(Tables(engine).Folders.EmailsSentFolder, Data() + QStringLiteral("/EmailsSent/"));
    EXPECT_EQ(Tables(engine).Folders.StationLogsFolder, Data() + QStringLiteral("/StationLogs/"));
    EXPECT_EQ(Tables(engine).Folders.RecentFolder, Data() + QStringLiteral("/StationLogs/Recent/"));
    EXPECT_TRUE(QFileInfo(Tables(engine).Folders.RecentFolder).isDir());

    EXPECT_EQ(AppLog(), QStringLiteral("2024.05.01 13:05:09 [application] Starting up...\r\n"
                                       "2024.05.01 13:05:09 [application] TUNIX.DLL version ") +
                            library.Version() + QStringLiteral("\r\n"));
    EXPECT_EQ(view.shownLines.size(), 2);
    EXPECT_TRUE(Tables(engine).Devices.empty());
    EXPECT_EQ(Tables(engine).G.ConnectIndex, -1);
    EXPECT_EQ(Tables(engine).G.RdsOutputDevice, -1);
    EXPECT_EQ(Tables(engine).G.RdsOutputPort, -1);
    EXPECT_DOUBLE_EQ(Tables(engine).G.StartTime, ToDateTime(QDate(2024, 5, 1), QTime(13, 5, 9)));
    // Milliseconds from 1899-12-30 to 2024-05-01 13:05:09 UTC.
    EXPECT_EQ(Tables(engine).G.LastSecondMark, (45413LL * 86400 + 13 * 3600 + 5 * 60 + 9) * 1000);
    ASSERT_EQ(library.calls(QStringLiteral("SetTCPReconnectTimeout")).size(), 1u);
    EXPECT_EQ(library.calls(QStringLiteral("SetTCPReconnectTimeout"))[0].args,
              QStringList{QStringLiteral("0")});
}

TEST_F(EngineStartup, SubfoldersThatCannotBeMadeFallBackToTheDataFolder)
{
    Write("EmailsSent", "a file where the folder belongs");
    QDir().mkpath(Data() + QStringLiteral("/AppLogs/app.log"));
    engine.Start(tmp.path(), Data());
    EXPECT_EQ(Tables(engine).Folders.EmailsSentFolder, Data() + QLatin1Char('/'));
    // "app.log" cannot be opened: lines go to memory and screen only.
    EXPECT_FALSE(Tables(engine).G.AppLogOpen);
    EXPECT_EQ(Tables(engine).G.AppActivityLines.size(), 2);
    EXPECT_EQ(view.shownLines.size(), 2);
}

TEST_F(EngineStartup, LoadsTheSettingsFilesAsWritten)
{
    Write("devices.ini", "[General]\r\nDeviceCount=2\r\n"
                         "[Device0]\r\nName=Tx Site\r\nConnection=127.0.0.1:7000\r\n"
                         "Email=ops@example.com\r\nSchedulingMode=2\r\nDay1=6:00 18:30\r\n"
                         "Day7=9:15\r\n");
    Write("stations.ini", "[General]\r\nStationCount=3\r\n"
                          "[Station0]\r\nName=Radio 1\r\nFrequency=98.5\r\nDeviceName=Tx Site\r\n"
                          "PI=D3C3 D3C4\r\nCommands=\"*a1\"\r\nMeasuring=abc\r\nRDS=-1\r\n"
                          "AlarmSetName=Strict\r\n"
                          "[station1]\r\nname=Radio 2\r\nMEASURING=0x10\r\nRDS=$2\r\n"
                          "[Station7]\r\nName=Gone\r\n");
    Write("alarms.ini", "[General]\r\nAlarmSetCount=1\r\n"
                        "[AlarmSet0]\r\nName=Strict\r\nPI_Enabled=2\r\nRT_Enabled=1\r\n"
                        "SD_Duration=15\r\nOM_DrivePin3=1\r\nOM_Pin3Polarity=1\r\n"
                        "RF_Minimum=x\r\nDefaultEmail=noc@example.com\r\n");
    engine.Start(tmp.path(), Data());

    ASSERT_EQ(Tables(engine).Devices.size(), 2u);
    ASSERT_EQ(Tables(engine).DevicesToSave.size(), 2u);
    const TDevice &d = Tables(engine).Devices[0];
    EXPECT_EQ(d.Name, QStringLiteral("Tx Site"));
    EXPECT_EQ(d.Connection, QStringLiteral("127.0.0.1:7000"));
    EXPECT_EQ(d.SchedulingMode, 2);
    EXPECT_EQ(d.Schedule[0].Times, QStringLiteral("6:00 18:30"));
    EXPECT_EQ(d.Schedule[6].Times, QStringLiteral("9:15"));
    EXPECT_EQ(d.Handle, -1);
    EXPECT_EQ(Tables(engine).DevicesToSave[0].Email, QStringLiteral("ops@example.com"));
    // A count beyond the sections present gives empty devices.
    EXPECT_TRUE(Tables(engine).Devices[1].Name.isEmpty());
    EXPECT_EQ(Tables(engine).Devices[1].SchedulingMode, 0);

    ASSERT_EQ(Tables(engine).Stations.size(), 3u);
    const TStation &s = Tables(engine).Stations[0];
    EXPECT_EQ(s.PI, QStringLiteral("D3C3 D3C4"));
    EXPECT_EQ(s.Commands, QStringLiteral("*a1"));
    EXPECT_EQ(s.Measuring, 0);
    EXPECT_EQ(s.RDS, -1);
    EXPECT_EQ(Tables(engine).Stations[1].Name,
              QStringLiteral("Radio 2")); // names ignore letter case
    EXPECT_EQ(Tables(engine).Stations[1].Measuring, 16);
    EXPECT_EQ(Tables(engine).Stations[1].RDS, 2);
    QStringList stationBox;
    for (const TStation &station : Tables(engine).Stations)
        stationBox << StationBoxText(station);
    EXPECT_EQ(stationBox, (QStringList{QStringLiteral("98.5 - Radio 1 (Tx Site)"),
                                       QStringLiteral(" - Radio 2 ()"), QStringLiteral(" -  ()")}));
    EXPECT_EQ(news.stationAnnouncements, 1) << "one announcement for the whole list";

    ASSERT_EQ(Tables(engine).AlarmSets.size(), 1u);
    const TAlarmSet &a = Tables(engine).AlarmSets[0];
    EXPECT_TRUE(a.Basic[AlarmPiMismatch].Enabled);
    EXPECT_EQ(a.Basic[AlarmSilence].Duration, 15);
    EXPECT_EQ(a.Basic[AlarmTimeError].Duration, 600);
    EXPECT_TRUE(a.Basic[AlarmOvermodulation].DrivePin3);
    EXPECT_EQ(a.Basic[AlarmOvermodulation].Pin3Polarity, 1);
    EXPECT_EQ(a.RF_Minimum, 40);
    EXPECT_EQ(a.DefaultEmail, QStringLiteral("noc@example.com"));
}

TEST_F(EngineStartup, ACountBeyondTheFileIsReadAsTheSectionsPresentAndLoggedOnce)
{
    Write("stations.ini", "[General]\r\nStationCount=2147483647\r\n"
                          "[Station0]\r\nName=Radio 1\r\n[Station1]\r\nName=Radio 2\r\n");
    Write("devices.ini", "[General]\r\nDeviceCount=1000000\r\n[Device0]\r\nName=Tx Site\r\n");
    engine.Start(tmp.path(), Data());
    EXPECT_EQ(Tables(engine).Stations.size(), 2u);
    EXPECT_EQ(Tables(engine).Devices.size(), 1u);
    const QStringList lines = AppLog().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4) << AppLog().toStdString();
    EXPECT_TRUE(lines[1].contains(QStringLiteral("TUNIX.DLL version")));
    EXPECT_TRUE(lines[2].endsWith(QStringLiteral(
        "[application] DeviceCount=1000000 in devices.ini is more than the file holds; 1 read")));
    EXPECT_TRUE(lines[3].endsWith(QStringLiteral("[application] StationCount=2147483647 in "
                                                 "stations.ini is more than the file holds; 2 "
                                                 "read")));
    ASSERT_TRUE(engine.FormClose());
    EXPECT_TRUE(readAll(DataFile("stations.ini")).contains("StationCount=2\r\n"));
}

TEST_F(EngineStartup, ConfigIniIsSavedForItsOwnerOnlyAndTheOtherFilesKeepTheirMode)
{
    const auto mode = [&](const char *name) {
        return QFileInfo(DataFile(name)).permissions() & QFileDevice::Permissions::fromInt(0x7077);
    };
    const QFileDevice::Permissions rw = QFile::ReadOwner | QFile::WriteOwner;
    const QFileDevice::Permissions shared = rw | QFile::ReadGroup;
    for (const char *name : {"config.ini", "devices.ini"}) {
        Write(name, "[General]\r\n");
        ASSERT_TRUE(QFile::setPermissions(DataFile(name), shared | QFile::ReadOther));
    }
    engine.Start(tmp.path(), Data());
    // Narrowed at once, not only by the save at exit, and said once.
    EXPECT_EQ(mode("config.ini"), rw);
    EXPECT_EQ(mode("devices.ini"), shared | QFile::ReadOther);
    const QString appLog = QString::fromLatin1(
        readAll(Tables(engine).Folders.AppLogsFolder + QStringLiteral("app.log")));
    EXPECT_EQ(appLog.count(QStringLiteral("config.ini, which holds the mail password; it is now "
                                          "readable by its owner only")),
              1);
    ASSERT_TRUE(engine.FormClose());
    EXPECT_EQ(mode("config.ini"), rw);
    EXPECT_EQ(mode("devices.ini"), shared | QFile::ReadOther);

    // A file already kept to its owner, even more strictly, is left as it is
    // and nothing is said.
    ASSERT_TRUE(QFile::setPermissions(DataFile("config.ini"), QFile::ReadOwner));
    Engine again{clock, library, view};
    again.Start(tmp.path(), Data());
    EXPECT_EQ(mode("config.ini"), QFile::ReadOwner);
    EXPECT_EQ(QString::fromLatin1(
                  readAll(Tables(engine).Folders.AppLogsFolder + QStringLiteral("app.log")))
                  .count(QStringLiteral("readable by its owner only")),
              1);
    ASSERT_TRUE(QFile::setPermissions(DataFile("config.ini"), rw));
}

TEST_F(EngineStartup, SavingWritesEveryKeyAndKeepsWhatItDoesNotWrite)
{
    Write("stations.ini", "; hand-written note\r\n[General]\r\nStationCount=1\r\n"
                          "[Station0]\r\nName=Radio 1\r\nExtra=kept\r\n"
                          "[Station7]\r\nName=Gone\r\n");
    Write("alarms.ini", "[General]\r\nAlarmSetCount=1\r\n[AlarmSet0]\r\nName=Strict\r\n");
    engine.Start(tmp.path(), Data());
    Tables(engine).Stations[0].Measuring = 2;
    engine.SaveSettings();

    const QByteArray stations = readAll(DataFile("stations.ini"));
    EXPECT_TRUE(stations.startsWith("; hand-written note\r\n[General]\r\nStationCount=1\r\n"
                                    "[Station0]\r\nName=Radio 1\r\nExtra=kept\r\n"
                                    "Frequency=\r\nDeviceName=\r\nPS=\r\nPI=\r\nCommands=\r\n"
                                    "ModeOrder=\r\nEmail=\r\nMeasuring=2\r\nRDS=0\r\n"
                                    "AlarmSetName=\r\n"))
        << stations.constData();
    EXPECT_TRUE(stations.contains("[Station7]\r\nName=Gone\r\n"));

    const QByteArray alarms = readAll(DataFile("alarms.ini"));
    EXPECT_EQ(alarms.count("DefaultEmail="), 1);
    EXPECT_TRUE(alarms.contains("DefaultEmail=@\r\nSD_Enabled=0\r\nSD_SendEmail=0\r\n"
                                "SD_RunFile=0\r\nSD_FileName=\r\nSD_Params=\r\nSD_Duration=60\r\n"
                                "SD_DrivePin1=0\r\nSD_DrivePin2=0\r\nSD_DrivePin3=0\r\n"
                                "SD_DrivePin4=0\r\nSD_Pin1Polarity=0\r\nSD_Pin2Polarity=0\r\n"
                                "SD_Pin3Polarity=0\r\nSD_Pin4Polarity=0\r\nPI_Enabled=0\r\n"));
    EXPECT_TRUE(alarms.contains("TM_Duration=600\r\n"));
    // The RDS kinds follow the nine, their limits the nine's limits.
    EXPECT_TRUE(alarms.contains("RL_Pin4Polarity=0\r\nPS_Enabled=0\r\n"));
    EXPECT_TRUE(alarms.endsWith("GT_Pin4Polarity=0\r\nSD_Minimum=25\r\nTM_IgnoreHourOffset=0\r\n"
                                "TM_MaxError=60\r\nOM_MaxHoldLimit=88\r\nOM_MaxAtLimit=78\r\n"
                                "OM_AveLimit=78\r\nSQ_SignalQuality=1\r\nPL_Minimum=5800\r\n"
                                "PL_Maximum=7700\r\nPM_Maximum=4\r\nRF_Minimum=40\r\n"
                                "RL_Minimum=0\r\nRL_Maximum=8300\r\nRE_MaxShare=10\r\n"
                                "GT_GroupTypes=0A\r\n"));

    // What was saved loads back the same.
    Engine reloaded(clock, library, view);
    reloaded.Start(tmp.path(), Data());
    ASSERT_EQ(Tables(reloaded).Stations.size(), 1u);
    EXPECT_EQ(Tables(reloaded).Stations[0].Measuring, 2);
    EXPECT_EQ(Tables(reloaded).AlarmSets[0].Name, QStringLiteral("Strict"));
}

TEST_F(EngineStartup, ScheduleKeysComeFromTheRunningDeviceAtTheSamePosition)
{
    Write("devices.ini",
          "[General]\r\nDeviceCount=1\r\n[Device0]\r\nName=A\r\nConnection=COM1\r\n");
    engine.Start(tmp.path(), Data());
    Tables(engine).Devices[0].SchedulingMode = 1;
    Tables(engine).Devices[0].Schedule[2].Times = QStringLiteral("12:00");
    Tables(engine).DevicesToSave.push_back(
        {QStringLiteral("B"), QStringLiteral("host:1"), QString()});
    engine.SaveSettings();
    EXPECT_EQ(readAll(DataFile("devices.ini")),
              QByteArray("[General]\r\nDeviceCount=2\r\n[Device0]\r\nName=A\r\nConnection=COM1\r\n"
                         "Email=\r\nSchedulingMode=1\r\nDay1=\r\nDay2=\r\nDay3=12:00\r\nDay4=\r\n"
                         "Day5=\r\nDay6=\r\nDay7=\r\n[Device1]\r\nName=B\r\nConnection=host:1\r\n"
                         "Email=\r\n"));
}

TEST_F(EngineStartup, AFailedSaveEndsTheCloseAndKeepsDevicesConnected)
{
    Write("devices.ini",
          "[General]\r\nDeviceCount=1\r\n[Device0]\r\nName=A\r\nConnection=COM1\r\n");
    QDir().mkpath(DataFile("alarms.ini") + QStringLiteral("/blocker"));
    engine.Start(tmp.path(), Data());
    library.clearCalls();

    EXPECT_FALSE(engine.FormClose());
    EXPECT_TRUE(AppLog().contains(QStringLiteral("[application] Fatal Error: Unable to write to ") +
                                  DataFile("alarms.ini")));
    EXPECT_TRUE(library.calls(QStringLiteral("Disconnect")).empty());
    EXPECT_TRUE(QFileInfo::exists(DataFile("stations.ini")));
    EXPECT_FALSE(QFileInfo::exists(DataFile("config.ini")));
}

TEST_F(EngineStartup, CloseDisconnectsEveryDeviceAndDeletesOldFilesOnlyWhenAsked)
{
    Write("devices.ini",
          "[General]\r\nDeviceCount=2\r\n[Device0]\r\nName=A\r\n[Device1]\r\nName=B\r\n");
    engine.Start(tmp.path(), Data());
    const QString old = Tables(engine).Folders.StationLogsFolder + QStringLiteral("old.csv");
    ASSERT_TRUE(writeAllWrittenAt(old, clock.currentDateTime().addDays(-90)));
    library.clearCalls();
    EXPECT_TRUE(engine.FormClose());
    EXPECT_EQ(library.calls(QStringLiteral("Disconnect")).size(), 2u);
    EXPECT_TRUE(QFileInfo::exists(old));

    engine.Prefs().SetFlag(QStringLiteral("DeleteOld"), true);
    EXPECT_TRUE(engine.FormClose());
    EXPECT_FALSE(QFileInfo::exists(old));
}

TEST_F(EngineStartup, AnErrorEscapingAHandlerIsLoggedAndTheEngineGoesOn)
{
    engine.Start(tmp.path(), Data());
    engine.RunGuarded([] { throw std::runtime_error("bin index out of range"); });
    engine.RunGuarded([] { throw 42; });
    engine.SystemTimeChanged();
    const QString log = AppLog();
    EXPECT_TRUE(
        log.contains(QStringLiteral("[application] Fatal Error: bin index out of range\r\n")));
    EXPECT_TRUE(log.contains(QStringLiteral("[application] Fatal Error: unknown error\r\n")));
    EXPECT_TRUE(log.endsWith(QStringLiteral("[application] System time has changed\r\n")));
}
