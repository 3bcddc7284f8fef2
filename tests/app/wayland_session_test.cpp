// The program with its windows in a Wayland session: a headless Weston
// compositor on a private socket stands in for the desktop. The windows come
// up, the station measures, a screenshot of the compositor shows the main
// window painted, and SIGTERM ends the program cleanly. Skipped where Weston
// or Qt's Wayland platform plugin is not installed.
#include "process_helpers.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLibraryInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vantor::test;

namespace {

const QString SocketName = QStringLiteral("vantor-test");

bool WaylandPluginInstalled()
{
    const QDir platforms(QLibraryInfo::path(QLibraryInfo::PluginsPath) +
                         QStringLiteral("/platforms"));
    return !platforms.entryList({QStringLiteral("libqwayland-*.so")}, QDir::Files).isEmpty();
}

QProcessEnvironment SessionEnvironment(const QString &runtimeDir)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
    env.insert(QStringLiteral("WAYLAND_DISPLAY"), SocketName);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    env.remove(QStringLiteral("DISPLAY"));
    return env;
}

// Pixels of the main window's MDI client area colour.
int MdiPixels(const QImage &image)
{
    const QRgb mdi = qRgb(105, 119, 150);
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += (image.pixel(x, y) & 0xffffff) == (mdi & 0xffffff);
    return count;
}

} // namespace

TEST(WaylandSession, WindowsRunAndCloseUnderAWaylandCompositor)
{
    const QString weston = QStandardPaths::findExecutable(QStringLiteral("weston"));
    const QString screenshooter =
        QStandardPaths::findExecutable(QStringLiteral("weston-screenshooter"));
    if (weston.isEmpty() || screenshooter.isEmpty() || !WaylandPluginInstalled())
        GTEST_SKIP() << "needs weston, weston-screenshooter and Qt's Wayland platform plugin";

    QTemporaryDir tmp;
    const QString runtimeDir = tmp.path() + QStringLiteral("/run");
    ASSERT_TRUE(QDir().mkpath(runtimeDir));
    QFile::setPermissions(runtimeDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QProcessEnvironment env = SessionEnvironment(runtimeDir);

    // The screenshot protocol is only offered with --debug.
    QProcess compositor;
    compositor.setProcessEnvironment(env);
    compositor.setProcessChannelMode(QProcess::MergedChannels);
    compositor.start(weston,
                     {QStringLiteral("--backend=headless-backend.so"),
                      QStringLiteral("--use-pixman"), QStringLiteral("--socket=") + SocketName,
                      QStringLiteral("--width=1280"), QStringLiteral("--height=900"),
                      QStringLiteral("--idle-time=0"), QStringLiteral("--debug")});
    ASSERT_TRUE(compositor.waitForStarted());
    ASSERT_TRUE(waitFor([&] { return QFileInfo::exists(runtimeDir + u'/' + SocketName); }, 10000))
        << compositor.readAll().constData();

    const QString data = tmp.path() + QStringLiteral("/demo");
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(binDir() + QStringLiteral("/vantor"),
                  {QStringLiteral("--demo"), QStringLiteral("--data-dir"), data});
    ASSERT_TRUE(program.waitForStarted());

    // Measuring goes on with the windows open: the CSV file grows.
    const QString csv = data + QStringLiteral("/StationLogs/Recent/Vantor One.csv");
    ASSERT_TRUE(waitFor([&] { return QFileInfo(csv).size() > 200; }, 30000))
        << program.readAllStandardError().constData();
    const qint64 size = QFileInfo(csv).size();
    EXPECT_TRUE(waitFor([&] { return QFileInfo(csv).size() > size; }, 5000));

    QProcess shot;
    shot.setProcessEnvironment(env);
    shot.setWorkingDirectory(tmp.path());
    shot.start(screenshooter, {});
    ASSERT_TRUE(shot.waitForFinished(15000));
    const QStringList shots =
        QDir(tmp.path()).entryList({QStringLiteral("wayland-screenshot*.png")}, QDir::Files);
    ASSERT_EQ(shots.size(), 1) << shot.readAll().constData();
    const QImage image(tmp.path() + u'/' + shots.front());
    ASSERT_FALSE(image.isNull());
    // The first-start layout fills the MDI area nearly whole, so only slivers of its colour show
    // between the child windows; a window that is not mapped or not painted shows none at all.
    EXPECT_GT(MdiPixels(image), 20) << "the main window is mapped and painted";

    ASSERT_TRUE(Terminate(program));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    const QByteArray errors = program.readAllStandardError();
    EXPECT_FALSE(errors.contains("qt.qpa")) << errors.constData();
    EXPECT_TRUE(readAll(data + QStringLiteral("/config.ini")).contains("MainWidth="));

    compositor.terminate();
    compositor.waitForFinished(5000);
}
