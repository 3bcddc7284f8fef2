// The notification-area icon in a real tray: an X server (Xvfb) with a
// stand-alone system tray (trayer) that embeds icons the XEmbed way. The icon
// is embedded once, a double click on it hides and shows the main window, and
// a second start brings the hidden window back without a second icon.
// Skipped where Xvfb, trayer, xwininfo or xdotool is not installed.
#include "process_helpers.h"
#include "test_support.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vantor::test;

namespace {

struct XWindow {
    QString id;
    int width = 0;
    int height = 0;
    int x = 0; // absolute position on the screen
    int y = 0;
};

QString Output(const QProcessEnvironment &env, const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    if (!process.waitForFinished(10000))
        return {};
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

// The program's top-level and embedded windows, from the X server's window tree.
QList<XWindow> ProgramWindows(const QProcessEnvironment &env)
{
    static const QRegularExpression line(QStringLiteral(
        R"((0x[0-9a-f]+) "Vantor": \("vantor" "Vantor"\)\s+(\d+)x(\d+)\S*\s+\+(-?\d+)\+(-?\d+))"));
    QList<XWindow> windows;
    const QString tree =
        Output(env, QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")});
    for (auto it = line.globalMatch(tree); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        windows.append({m.captured(1), m.captured(2).toInt(), m.captured(3).toInt(),
                        m.captured(4).toInt(), m.captured(5).toInt()});
    }
    return windows;
}

// Tray icons are small; the main window is not.
QList<XWindow> TrayIcons(const QProcessEnvironment &env)
{
    QList<XWindow> icons;
    for (const XWindow &w : ProgramWindows(env))
        if (w.width <= 64 && w.height <= 64 && w.width > 1)
            icons.append(w);
    return icons;
}

QString MainWindowId(const QProcessEnvironment &env)
{
    for (const XWindow &w : ProgramWindows(env))
        if (w.width > 200)
            return w.id;
    return {};
}

bool Viewable(const QProcessEnvironment &env, const QString &id)
{
    return Output(env, QStringLiteral("xwininfo"), {QStringLiteral("-id"), id})
        .contains(QStringLiteral("IsViewable"));
}

void DoubleClick(const QProcessEnvironment &env, const XWindow &icon)
{
    Output(env, QStringLiteral("xdotool"),
           {QStringLiteral("mousemove"), QString::number(icon.x + icon.width / 2),
            QString::number(icon.y + icon.height / 2), QStringLiteral("click"),
            QStringLiteral("--repeat"), QStringLiteral("2"), QStringLiteral("--delay"),
            QStringLiteral("80"), QStringLiteral("1")});
}

} // namespace

TEST(TraySession, IconTogglesTheMainWindowAndStaysSingle)
{
    for (const char *tool : {"Xvfb", "trayer", "xwininfo", "xdotool"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            GTEST_SKIP() << "needs " << tool;
    }
    QTemporaryDir tmp;

    // Xvfb picks a free display itself and writes its number to stdout.
    QProcess server;
    server.start(QStringLiteral("Xvfb"),
                 {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                  QStringLiteral("0"), QStringLiteral("1280x900x24"), QStringLiteral("-nolisten"),
                  QStringLiteral("tcp")});
    ASSERT_TRUE(server.waitForStarted());
    ASSERT_TRUE(waitFor([&] { return server.canReadLine(); }, 10000));
    const QString display = u':' + QString::fromLatin1(server.readLine().trimmed());

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));

    QProcess tray;
    tray.setProcessEnvironment(env);
    tray.start(QStringLiteral("trayer"),
               {QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--align"),
                QStringLiteral("right"), QStringLiteral("--widthtype"), QStringLiteral("pixel"),
                QStringLiteral("--width"), QStringLiteral("200"), QStringLiteral("--height"),
                QStringLiteral("24")});
    ASSERT_TRUE(tray.waitForStarted());
    ASSERT_TRUE(waitFor(
        [&] {
            return Output(env, QStringLiteral("xwininfo"),
                          {QStringLiteral("-root"), QStringLiteral("-tree")})
                .contains(QStringLiteral("\"panel\""));
        },
        10000));

    const QString data = tmp.path() + QStringLiteral("/demo");
    const QStringList arguments{QStringLiteral("--demo"), QStringLiteral("--data-dir"), data};
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(binDir() + QStringLiteral("/vantor"), arguments);
    ASSERT_TRUE(program.waitForStarted());
    ASSERT_TRUE(
        waitFor([&] { return TrayIcons(env).size() == 1 && !MainWindowId(env).isEmpty(); }, 20000))
        << program.readAllStandardError().constData();
    const XWindow icon = TrayIcons(env).front();
    const QString main = MainWindowId(env);
    ASSERT_TRUE(waitFor([&] { return Viewable(env, main); }));

    DoubleClick(env, icon);
    EXPECT_TRUE(waitFor([&] { return !Viewable(env, main); })) << "a double click hides it";
    DoubleClick(env, icon);
    EXPECT_TRUE(waitFor([&] { return Viewable(env, main); })) << "and shows it again";
    DoubleClick(env, icon);
    ASSERT_TRUE(waitFor([&] { return !Viewable(env, main); }));

    QProcess second;
    second.setProcessEnvironment(env);
    second.start(binDir() + QStringLiteral("/vantor"), arguments);
    ASSERT_TRUE(second.waitForFinished(15000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(waitFor([&] { return Viewable(env, main); }))
        << "a second start brings the hidden window back";
    EXPECT_EQ(TrayIcons(env).size(), 1) << "and adds no second icon";

    ASSERT_TRUE(Terminate(program));
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_TRUE(waitFor([&] { return TrayIcons(env).isEmpty(); })) << "the icon leaves the tray";

    tray.terminate();
    tray.waitForFinished(5000);
    server.terminate();
    server.waitForFinished(5000);
}
