// The headless program as a process on a data folder of its own: start-up
// tree and log lines, one copy per folder, shut-down on SIGTERM.
#include "system_clock_setting.h"
#include "test_support.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <QLocalSocket>
#include <QProcessEnvironment>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace vantor::test;

namespace {

QString Program()
{
    return binDir() + QStringLiteral("/vantor");
}

// Every file below folder with its size and modification time.
QStringList Snapshot(const QString &folder)
{
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo fi(it.next());
        entries << fi.filePath() + QLatin1Char(' ') + QString::number(fi.size()) +
                       QLatin1Char(' ') + QString::number(fi.lastModified().toMSecsSinceEpoch());
    }
    entries.sort();
    return entries;
}

class HeadlessProcess : public ::testing::Test
{
protected:
    void TearDown() override
    {
        for (QProcess *p : {&first, &other}) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(5000);
            }
        }
    }

    void StartOn(QProcess &p, const QString &folder)
    {
        p.setProgram(Program());
        p.setArguments({QStringLiteral("--headless"), QStringLiteral("--data-dir"), folder});
        p.start();
        ASSERT_TRUE(p.waitForStarted(5000));
    }

    QString AppLog(const QString &folder)
    {
        return QString::fromLatin1(readAll(folder + QStringLiteral("/AppLogs/app.log")));
    }

    bool WaitForStartUp(const QString &folder)
    {
        return waitFor(
            [&] { return AppLog(folder).contains(QStringLiteral("TUNIX.DLL version ")); }, 10000);
    }

    void Terminate(QProcess &p)
    {
        ::kill(static_cast<pid_t>(p.processId()), SIGTERM);
        ASSERT_TRUE(p.waitForFinished(10000));
    }

    QTemporaryDir tmp;
    QProcess first;
    QProcess other;
};

} // namespace

TEST_F(HeadlessProcess, StartsBuildsItsTreeAndSavesAllSettingsOnSigterm)
{
    const QString data = tmp.path() + QStringLiteral("/station");
    StartOn(first, data);
    ASSERT_TRUE(WaitForStartUp(data)) << qPrintable(AppLog(data));

    for (const char *sub : {"AppLogs", "EmailsSent", "StationLogs", "StationLogs/Recent"})
        EXPECT_TRUE(QFileInfo(data + QLatin1Char('/') + QLatin1String(sub)).isDir()) << sub;

    const QStringList lines = AppLog(data).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 2);
    const QRegularExpression stamp(
        QStringLiteral(R"(^\d{4}\.\d\d\.\d\d \d\d:\d\d:\d\d \[application\] )"));
    EXPECT_TRUE(stamp.match(lines[0]).hasMatch()) << qPrintable(lines[0]);
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("[application] Starting up...")));
    EXPECT_TRUE(lines[1].contains(QStringLiteral("[application] TUNIX.DLL version ")));
    EXPECT_GT(lines[1].size(), lines[1].indexOf(QStringLiteral("version ")) + 8)
        << "the library's version text follows";

    Terminate(first);
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);

    const struct {
        const char *file;
        const char *count;
    } files[] = {{"devices.ini", "DeviceCount=0\r\n"},
                 {"stations.ini", "StationCount=0\r\n"},
                 {"alarms.ini", "AlarmSetCount=0\r\n"},
                 {"config.ini", "ConnectionTimeout=30\r\n"}};
    for (const auto &f : files) {
        const QByteArray content = readAll(data + QLatin1Char('/') + QLatin1String(f.file));
        EXPECT_TRUE(content.contains(f.count)) << f.file << ": " << content.constData();
    }
}

TEST_F(HeadlessProcess, ASecondCopyOnTheSameFolderLeavesEverythingAlone)
{
    const QString data = tmp.path() + QStringLiteral("/station");
    StartOn(first, data);
    ASSERT_TRUE(WaitForStartUp(data));
    const QStringList before = Snapshot(data);

    QProcess second;
    second.start(Program(), {QStringLiteral("--headless"), QStringLiteral("--data-dir"), data});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardError().contains("already running"));
    EXPECT_EQ(Snapshot(data), before);

    // Another folder is another station and runs beside the first.
    const QString elsewhere = tmp.path() + QStringLiteral("/elsewhere");
    StartOn(other, elsewhere);
    EXPECT_TRUE(WaitForStartUp(elsewhere));
    EXPECT_EQ(other.state(), QProcess::Running);
    Terminate(other);
    EXPECT_EQ(other.exitCode(), 0);

    Terminate(first);
    EXPECT_EQ(first.exitCode(), 0);
}

TEST_F(HeadlessProcess, BadOptionsTouchNothing)
{
    const QString data = tmp.path() + QStringLiteral("/never");
    for (const QStringList &args :
         {QStringList{QStringLiteral("--bogus"), QStringLiteral("--data-dir"), data},
          QStringList{QStringLiteral("--headless"), QStringLiteral("--data-dir")}}) {
        QProcess p;
        p.start(Program(), args);
        ASSERT_TRUE(p.waitForFinished(10000));
        EXPECT_EQ(p.exitCode(), 2);
        const QByteArray err = p.readAllStandardError();
        EXPECT_EQ(err.count('\n'), 1) << err.constData();
    }
    EXPECT_FALSE(QFileInfo::exists(data));
}

TEST_F(HeadlessProcess, AnUnwritableSettingsFileEndsWithExitCodeOne)
{
    const QString data = tmp.path() + QStringLiteral("/station");
    // A folder where "stations.ini" belongs cannot be replaced by a file, not
    // even by root.
    ASSERT_TRUE(QDir().mkpath(data + QStringLiteral("/stations.ini/blocker")));
    StartOn(first, data);
    ASSERT_TRUE(WaitForStartUp(data));
    Terminate(first);
    EXPECT_EQ(first.exitCode(), 1);
    const QString log = AppLog(data);
    EXPECT_TRUE(log.contains(QStringLiteral("[application] Fatal Error: Unable to write to ") +
                             QDir::toNativeSeparators(data + QStringLiteral("/stations.ini"))))
        << qPrintable(log);
    // The file before it in the order was written; the ones after were not.
    EXPECT_TRUE(QFileInfo::exists(data + QStringLiteral("/devices.ini")));
    EXPECT_FALSE(QFileInfo::exists(data + QStringLiteral("/alarms.ini")));
}

// Without VANTOR_TEST_SET_CLOCK=1 the station runner test injects the notice.
TEST_F(HeadlessProcess, ASetClockIsLogged)
{
    if (const QString reason = ClockSettingSkipReason(); !reason.isEmpty())
        GTEST_SKIP() << qPrintable(reason);
    const QString data = tmp.path() + QStringLiteral("/station");
    StartOn(first, data);
    ASSERT_TRUE(WaitForStartUp(data));
    if (!SetClockToNow())
        GTEST_SKIP() << "setting the clock is not permitted here";
    EXPECT_TRUE(waitFor([&] {
        return AppLog(data).contains(QStringLiteral("[application] System time has changed"));
    }));
    Terminate(first);
}

TEST_F(HeadlessProcess, AMistypedCountStartsAndStopsTheStationAsUsual)
{
    const QString data = tmp.path() + QStringLiteral("/station");
    ASSERT_TRUE(QDir().mkpath(data));
    ASSERT_TRUE(writeAll(data + QStringLiteral("/stations.ini"),
                         "[General]\r\nStationCount=2147483647\r\n[Station0]\r\nName=Radio 1\r\n"));
    StartOn(first, data);
    ASSERT_TRUE(waitFor(
        [&] { return AppLog(data).contains(QStringLiteral("is more than the file holds")); },
        10000))
        << qPrintable(AppLog(data));
    EXPECT_TRUE(AppLog(data).contains(QStringLiteral(
        "[application] StationCount=2147483647 in stations.ini is more than the file holds; 1 "
        "read\r\n")));
    Terminate(first);
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_TRUE(readAll(data + QStringLiteral("/stations.ini")).contains("StationCount=1\r\n"));
}

TEST_F(HeadlessProcess, AnErrorDuringStartUpIsLoggedAndEndsWithAnErrorCode)
{
    const QString data = tmp.path() + QStringLiteral("/station");
    ASSERT_TRUE(QDir().mkpath(data));
    // A settings file far larger than memory (sparse: it takes no disk space)
    // cannot be read; the address-space limit makes sure the attempt fails at
    // once instead of filling memory.
    QFile huge(data + QStringLiteral("/devices.ini"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    if (!huge.resize(qint64(64) << 30))
        GTEST_SKIP() << "no sparse file of 64 GiB can be made here";
    huge.close();
    first.setChildProcessModifier([] {
        const rlimit limit{rlim_t(4) << 30, rlim_t(4) << 30};
        setrlimit(RLIMIT_AS, &limit);
    });
    StartOn(first, data);
    ASSERT_TRUE(first.waitForFinished(20000));
    QFile::remove(huge.fileName());
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit) << "no abort";
    EXPECT_EQ(first.exitCode(), 1);
    const QStringList lines = AppLog(data).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines.last().contains(QStringLiteral("[application] Fatal Error: ")))
        << qPrintable(AppLog(data));
    EXPECT_TRUE(first.readAllStandardError().contains("Fatal Error: "));
}

TEST_F(HeadlessProcess, TheInstanceSocketIsForTheUserOnlyAndSurvivesAKill)
{
    const QString runtime = tmp.path() + QStringLiteral("/run");
    ASSERT_TRUE(QDir().mkpath(runtime));
    ASSERT_TRUE(
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QString data = tmp.path() + QStringLiteral("/station");
    const struct {
        bool runtimeDir;
        QString folder; // where the socket lives
    } cases[] = {{true, runtime}, {false, data}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.runtimeDir ? "XDG_RUNTIME_DIR set" : "XDG_RUNTIME_DIR unset");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (c.runtimeDir)
            env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        else
            env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        first.setProcessEnvironment(env);
        other.setProcessEnvironment(env);

        const auto sockets = [&] {
            QStringList found;
            for (const QFileInfo &fi :
                 QDir(c.folder).entryInfoList(QDir::System | QDir::Hidden | QDir::NoDotAndDotDot)) {
                struct stat st {};
                if (::lstat(QFile::encodeName(fi.filePath()).constData(), &st) == 0 &&
                    S_ISSOCK(st.st_mode))
                    found << fi.filePath();
            }
            return found;
        };
        const auto socketMode = [](const QString &path) {
            struct stat st {};
            ::lstat(QFile::encodeName(path).constData(), &st);
            return st.st_mode & 0777;
        };

        const auto startAndWait = [&](QProcess &p) {
            const qsizetype starts = AppLog(data).count(QStringLiteral("TUNIX.DLL version "));
            StartOn(p, data);
            return waitFor(
                [&] {
                    return AppLog(data).count(QStringLiteral("TUNIX.DLL version ")) > starts &&
                           !sockets().isEmpty();
                },
                10000);
        };

        ASSERT_TRUE(startAndWait(first));
        const QStringList found = sockets();
        ASSERT_EQ(found.size(), 1) << qPrintable(found.join(QLatin1Char(' ')));
        const QString socket = found.front();
        EXPECT_EQ(socketMode(socket) & 077, 0u) << std::oct << socketMode(socket);

        // Killed without a chance to clean up, the copy leaves its socket.
        ::kill(static_cast<pid_t>(first.processId()), SIGKILL);
        ASSERT_TRUE(first.waitForFinished(10000));
        ASSERT_TRUE(QFileInfo::exists(socket));

        ASSERT_TRUE(startAndWait(other));
        EXPECT_EQ(sockets(), QStringList{socket});
        EXPECT_EQ(socketMode(socket) & 077, 0u);
        QLocalSocket peer;
        peer.connectToServer(socket);
        EXPECT_TRUE(peer.waitForConnected(5000)) << "the new copy listens on the recovered name";
        peer.abort();

        QProcess third;
        third.setProcessEnvironment(env);
        third.start(Program(), {QStringLiteral("--headless"), QStringLiteral("--data-dir"), data});
        ASSERT_TRUE(third.waitForFinished(10000));
        EXPECT_TRUE(third.readAllStandardError().contains("already running"));
        Terminate(other);
        EXPECT_EQ(other.exitCode(), 0);
    }
}
