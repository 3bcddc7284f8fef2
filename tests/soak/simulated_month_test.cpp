// A month of unattended operation on the fake clock, in a zone with daylight
// saving: ten receivers working through fifty stations in all three
// scheduling modes, alarms coming and going, e-mail, the daily report, files
// written for real and old ones deleted. Each window crosses one change of
// the clock. Longer runs for release checks: simulated_month_test --days N.
#include "clock_time_group.h"
#include "engine.h"
#include "engine_tables.h"
#include "fake_clock.h"
#include "playing_device_library.h"
#include "test_support.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QSet>
#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <set>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vantor;
using namespace vantor::test;

namespace {

constexpr int DeviceCount = 10;
constexpr int StationsPerDevice = 5;
constexpr int LoopDevices = 4;       // D0..D3 in an infinite loop
constexpr int PredefinedDevices = 4; // D4..D7 at listed times; D8, D9 by hand
constexpr int DefaultDays = 18;
constexpr int KeepDays = 7;
// The listed start times of every weekday; 2:30 falls into the spring gap
// and into the hour that comes twice in autumn.
const char *const StartTimes = "0:15 2:30 6:00 12:00 18:00";
constexpr int StartsPerDay = 5;
constexpr int ManualStartHour = 9;
constexpr int VisitSeconds = 4 * 60; // 3 minutes measuring, 1 minute RDS

int Days()
{
    const QStringList args = QCoreApplication::arguments();
    const qsizetype at = args.indexOf(QStringLiteral("--days"));
    return at >= 0 && at + 1 < args.size() ? args[at + 1].toInt() : DefaultDays;
}

qint64 ResidentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.value(1).toLongLong() * sysconf(_SC_PAGESIZE);
}

// Counts the messages delivered, by subject. Runs on the mail queue's thread.
class CountingTransport final : public MailTransport
{
public:
    CountingTransport(std::map<QString, int> &subjects, std::mutex &lock)
        : m_subjects(subjects), m_lock(lock)
    {}
    void Msg(const QByteArray &message) override { m_message = message; }
    void Auth(bool, bool, const QString &, const QString &) override {}
    QString Send(const QString &, int, int) override
    {
        const qsizetype at = m_message.indexOf("Subject: ");
        const qsizetype end = m_message.indexOf("\r\n", at);
        const std::lock_guard<std::mutex> hold(m_lock);
        ++m_subjects[QString::fromLatin1(m_message.mid(at + 9, end - at - 9))];
        return QStringLiteral("OK");
    }

private:
    std::map<QString, int> &m_subjects;
    std::mutex &m_lock;
    QByteArray m_message;
};

class SimulatedMonth : public ::testing::Test
{
protected:
    void Run(const QDateTime &start, int days)
    {
        ASSERT_TRUE(tmp.isValid());
        WriteSettings();
        clock.set(start);
        library.setTuneListener([this](int handle, int kHz) { OnTune(handle, kHz); });
        engine.SetMailTransport(std::make_unique<CountingTransport>(subjects, subjectsLock));
        engine.Start(tmp.path(), Data());
        ASSERT_EQ(Tables(engine).Devices.size(), size_t(DeviceCount));

        // Two seconds more, so the last day of uptime is surely complete.
        const qint64 steps = (qint64(days) * 86400 + 2) * 5;
        QDate lastDay = start.date();
        for (qint64 step = 1; step <= steps; ++step) {
            clock.advanceMs(200);
            const QDateTime now = clock.currentDateTime();
            if (step % 5 == 0) {
                if (now.time().minute() == 0 && now.time().second() == 0)
                    EveryHour(now);
                engine.TimerConnectTimer();
                engine.TimerSendTimer();
                engine.TimerMeasuringTimer();
            }
            engine.TimerReceiveTimer();
            engine.TimerStatusTimer();
            engine.TimerWriteLogTimer();
            if (now.date() != lastDay) {
                lastDay = now.date();
                rss.push_back(ResidentBytes());
            }
        }
        StampNewFiles(clock.currentDateTime());
        // The mail queue reports back through the event loop.
        EXPECT_TRUE(waitFor([this, days] {
            const std::lock_guard<std::mutex> hold(subjectsLock);
            return subjects[QStringLiteral("Vantor Daily Report")] >= days;
        }));
    }

    int Sent(const QString &subject)
    {
        const std::lock_guard<std::mutex> hold(subjectsLock);
        return subjects[subject];
    }

    void WriteSettings()
    {
        QDir().mkpath(Data());
        QByteArray devices = "[General]\r\nDeviceCount=" + QByteArray::number(DeviceCount) + "\r\n";
        for (int i = 0; i < DeviceCount; ++i) {
            const int mode = i < LoopDevices ? 1 : i < LoopDevices + PredefinedDevices ? 2 : 0;
            devices += "[Device" + QByteArray::number(i) + "]\r\nName=D" + QByteArray::number(i) +
                       "\r\nConnection=10.0.0." + QByteArray::number(i + 1) + ":7000\r\nEmail=ops" +
                       QByteArray::number(i) +
                       "@example.com\r\nSchedulingMode=" + QByteArray::number(mode) + "\r\n";
            for (int day = 1; day <= 7 && mode == 2; ++day)
                devices += "Day" + QByteArray::number(day) + "=" + StartTimes + "\r\n";
        }
        QByteArray stations =
            "[General]\r\nStationCount=" + QByteArray::number(DeviceCount * StationsPerDevice) +
            "\r\n";
        for (int j = 0; j < DeviceCount * StationsPerDevice; ++j) {
            stations += "[Station" + QByteArray::number(j) + "]\r\nName=S" + QByteArray::number(j) +
                        "\r\nFrequency=" + Frequency(j) + "\r\nDeviceName=D" +
                        QByteArray::number(j % DeviceCount) +
                        "\r\nMeasuring=3\r\nRDS=1\r\nModeOrder=Measuring/RDS\r\n"
                        "AlarmSetName=Watch\r\nEmail=station@example.com\r\n";
        }
        // RF level and silence alarms: the receivers lose their signal now and then.
        const QByteArray alarms = "[General]\r\nAlarmSetCount=1\r\n[AlarmSet0]\r\nName=Watch\r\n"
                                  "RF_Enabled=1\r\nRF_Duration=10\r\nRF_SendEmail=1\r\n"
                                  "RF_Minimum=30\r\nSD_Enabled=1\r\nSD_Duration=20\r\n"
                                  "SD_SendEmail=1\r\n";
        const QByteArray config =
            "[General]\r\nLoggingPeriod=60\r\nDeleteOld=1\r\nDeleteOlderThan=" +
            QByteArray::number(KeepDays) +
            "\r\nSameAlarmDelay=60\r\n[Email]\r\nEnable=1\r\nSMTPServer=mail.example.com\r\n"
            "From=vantor@example.com\r\nSendDailyReports=1\r\n";
        ASSERT_TRUE(writeAll(Data() + QStringLiteral("/devices.ini"), devices));
        ASSERT_TRUE(writeAll(Data() + QStringLiteral("/stations.ini"), stations));
        ASSERT_TRUE(writeAll(Data() + QStringLiteral("/alarms.ini"), alarms));
        ASSERT_TRUE(writeAll(Data() + QStringLiteral("/config.ini"), config));
    }

    static QByteArray Frequency(int station)
    {
        return QByteArray::number(88.0 + 0.2 * station, 'f', 1);
    }
    static int StationKHz(int station) { return 88000 + 200 * station; }

    void OnTune(int handle, int kHz)
    {
        const QDate day = clock.currentDateTime().date();
        ++tunings[handle][day];
        // Each device's first station starts its list.
        if (kHz == StationKHz(handle))
            startTimes[handle][day].push_back(clock.currentDateTime().time());
    }

    void EveryHour(const QDateTime &now)
    {
        StampNewFiles(now);
        QCoreApplication::processEvents();
        for (const TDevice &d : Tables(engine).Devices)
            EXPECT_LE(d.ActivityLines ? d.ActivityLines->size() : 0, 51) << qPrintable(d.Name);
        EXPECT_LE(Tables(engine).G.AppActivityLines.size(), 51);
        if (now.time().hour() == ManualStartHour) {
            for (int i = LoopDevices + PredefinedDevices; i < DeviceCount; ++i)
                engine.Tune(i, i, true);
        }
    }

    // Files carry the time of their last write, and deleting old files reads
    // it; here files are written in real time while the engine lives weeks in
    // the past. Every file written since the last look gets the moment just
    // before now, which is what it would have had within the hour. Archives
    // and mail copies never change once written, so they are stamped once.
    void StampNewFiles(const QDateTime &now)
    {
        const qint64 lastMoment = now.toMSecsSinceEpoch() - 1;
        const timespec at{lastMoment / 1000, (lastMoment % 1000) * 1000000};
        const timespec times[2] = {at, at};
        auto stamp = [&](const QString &path) {
            ASSERT_EQ(utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0)
                << qPrintable(path);
        };
        for (const QString &folder :
             {Tables(engine).Folders.RecentFolder, Tables(engine).Folders.AppLogsFolder}) {
            QDirIterator it(folder, QDir::Files);
            while (it.hasNext()) {
                const QString path = it.next();
                if (it.fileInfo().lastModified().toMSecsSinceEpoch() > lastMoment)
                    stamp(path);
            }
        }
        for (const QString &folder :
             {Tables(engine).Folders.StationLogsFolder, Tables(engine).Folders.EmailsSentFolder}) {
            QDirIterator it(folder, QDir::Files);
            while (it.hasNext()) {
                const QString path = it.next();
                if (!stamped.contains(path)) {
                    stamp(path);
                    stamped.insert(path);
                }
            }
        }
        // Deleted files leave the set, so it stays the size of the folders.
        if (now.time().hour() == 0)
            stamped.removeIf([](const QString &path) { return !QFileInfo::exists(path); });
    }

    // The whole local days of the run, without its first and last.
    std::vector<QDate> FullDays(const QDateTime &start) const
    {
        std::vector<QDate> days;
        for (QDate d = start.date().addDays(1); d < clock.currentDateTime().date();
             d = d.addDays(1))
            days.push_back(d);
        return days;
    }

    void ExpectEveryVisitOnce(const QDateTime &start)
    {
        const std::vector<QDate> days = FullDays(start);
        for (int i = 0; i < DeviceCount; ++i) {
            for (const QDate &day : days) {
                const int visits = tunings[i][day];
                const QString where = QStringLiteral("D%1 on %2").arg(i).arg(day.toString());
                if (i < LoopDevices) {
                    // A visit lasts its four minutes plus the second of tuning.
                    const int seconds = QDateTime(day, QTime(0, 0), zone)
                                            .secsTo(QDateTime(day.addDays(1), QTime(0, 0), zone));
                    EXPECT_GE(visits, seconds / (VisitSeconds + 2)) << qPrintable(where);
                    EXPECT_LE(visits, seconds / VisitSeconds + 1) << qPrintable(where);
                } else if (i < LoopDevices + PredefinedDevices) {
                    EXPECT_EQ(visits, StartsPerDay * StationsPerDevice) << qPrintable(where);
                    EXPECT_EQ(startTimes[i][day].size(), size_t(StartsPerDay)) << qPrintable(where);
                } else {
                    EXPECT_EQ(visits, 1) << qPrintable(where);
                }
            }
        }
    }

    void ExpectFilesKeptForTheirDays(const QDateTime &start)
    {
        const QDate today = clock.currentDateTime().date();
        const QDir logs(Tables(engine).Folders.AppLogsFolder);
        for (int i = 0; i < DeviceCount; ++i) {
            std::set<QString> expected;
            // Deleted at the first change of day at which they are over
            // KeepDays whole days old: the last KeepDays + 2 days remain.
            for (int back = 0; back <= KeepDays + 1 && today.addDays(-back) >= start.date(); ++back)
                expected.insert(QStringLiteral("D%1 - %2.log")
                                    .arg(i)
                                    .arg(today.addDays(-back).toString(Qt::ISODate)));
            const QStringList present =
                logs.entryList({QStringLiteral("D%1 - *.log").arg(i)}, QDir::Files);
            EXPECT_EQ(std::set<QString>(present.begin(), present.end()), expected) << i;
        }
        const QDateTime oldest = clock.currentDateTime().addDays(-(KeepDays + 2));
        QDirIterator it(Data(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            it.next();
            if (it.fileName().endsWith(QLatin1String(".ini")))
                continue;
            EXPECT_GE(it.fileInfo().lastModified(), oldest) << qPrintable(it.filePath());
        }
    }

    void ExpectWholeCsvFiles()
    {
        const QDir archive(Tables(engine).Folders.StationLogsFolder);
        const QStringList files = archive.entryList({QStringLiteral("S* - *.csv")}, QDir::Files);
        ASSERT_FALSE(files.isEmpty());
        for (const QString &name : files) {
            if (name.contains(QLatin1String("histogram")))
                continue;
            const QList<QByteArray> lines = readAll(archive.filePath(name)).split('\n');
            // Header, then one line a minute over three minutes of measuring.
            const int dataLines = static_cast<int>(lines.size()) - 2;
            EXPECT_GE(dataLines, 2) << qPrintable(name);
            EXPECT_LE(dataLines, 3) << qPrintable(name);
            for (const QByteArray &line : lines.mid(1, dataLines))
                EXPECT_EQ(line.count(';'), lines[0].count(';')) << qPrintable(name);
        }
    }

    void ExpectFlatMemory()
    {
        ASSERT_GE(rss.size(), size_t(4));
        const qint64 settled = rss[2];
        for (size_t day = 3; day < rss.size(); ++day)
            EXPECT_LT(rss[day] - settled, 16 << 20) << "day " << day;
    }

    // A whole window and everything checked at its end.
    void RunAndCheck(const QDateTime &start)
    {
        const int days = Days();
        Run(start, days);
        EXPECT_EQ(Sent(QStringLiteral("Vantor Daily Report")), days);
        EXPECT_GT(Sent(QStringLiteral("Vantor Alarm Message")), days);
        ExpectEveryVisitOnce(start);
        ExpectFilesKeptForTheirDays(start);
        ExpectWholeCsvFiles();
        ExpectFlatMemory();
    }

    QString Data() const { return tmp.path() + QStringLiteral("/data"); }

    QTimeZone zone{"Europe/Berlin"};
    QTemporaryDir tmp;
    FakeClock clock{QDateTime(QDate(2025, 1, 1), QTime(0, 0), zone)};
    PlayingDeviceLibrary library{clock};
    HeadlessView view;
    Engine engine{clock, library, view};
    std::map<QString, int> subjects;
    std::mutex subjectsLock;
    std::map<int, std::map<QDate, int>> tunings;
    std::map<int, std::map<QDate, std::vector<QTime>>> startTimes;
    std::vector<qint64> rss;
    QSet<QString> stamped;
};

} // namespace

// 2025-03-30: 2:00 winter time becomes 3:00 summer time.
TEST_F(SimulatedMonth, AcrossTheSpringChange)
{
    RunAndCheck(QDateTime(QDate(2025, 3, 22), QTime(10, 0), zone));
    const QDate change(2025, 3, 30);
    for (int i = LoopDevices; i < LoopDevices + PredefinedDevices; ++i)
        EXPECT_EQ(startTimes[i][change].at(1), QTime(3, 0)) << "2:30 starts at the end of the gap";
}

// 2025-10-26: 3:00 summer time becomes 2:00 winter time; 2:30 comes twice
// and starts the predefined receivers once (counted in the daily starts).
TEST_F(SimulatedMonth, AcrossTheAutumnChange)
{
    RunAndCheck(QDateTime(QDate(2025, 10, 18), QTime(10, 0), zone));
}
