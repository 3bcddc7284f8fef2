// The program with its windows as a process (offscreen): it starts, a second
// start on the same folder leaves it alone, and SIGTERM closes the main window
// with the shut-down sequence, placements saved.
#include "test_support.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>

using namespace vantor::test;

namespace {

QString Program()
{
    return binDir() + QStringLiteral("/vantor");
}

QString AppLog(const QString &folder)
{
    return QString::fromLatin1(readAll(folder + QStringLiteral("/AppLogs/app.log")));
}

} // namespace

TEST(WindowsProcess, StartsOnceAndClosesInOrder)
{
    QTemporaryDir tmp;
    const QString data = tmp.path() + QStringLiteral("/station");
    QProcess first;
    first.start(Program(), {QStringLiteral("--data-dir"), data});
    ASSERT_TRUE(first.waitForStarted(5000));
    ASSERT_TRUE(waitFor([&] { return AppLog(data).contains(QStringLiteral("TUNIX.DLL version ")); },
                        10000));

    QProcess second;
    second.start(Program(), {QStringLiteral("--data-dir"), data});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardError().contains("already running"));
    EXPECT_FALSE(QFileInfo::exists(data + QStringLiteral("/config.ini")))
        << "the second copy wrote no settings";

    ::kill(static_cast<pid_t>(first.processId()), SIGTERM);
    ASSERT_TRUE(first.waitForFinished(10000));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);
    const QByteArray config = readAll(data + QStringLiteral("/config.ini"));
    EXPECT_TRUE(config.contains("MainWidth=")) << config.constData();
    EXPECT_TRUE(config.contains("Form3State=0")) << config.constData();
    EXPECT_EQ(AppLog(data).count(QStringLiteral("Starting up...")), 1);
}
