// The analyzer-sim executable as a process: announced ports, a scenario
// file, several receivers, the control port and a clean exit.
#include "line_client.h"
#include "test_support.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vantor;
using vantor::test::waitFor;

namespace {

QString simulatorPath()
{
    return QDir(test::binDir()).filePath(QStringLiteral("analyzer-sim"));
}

TEST(AnalyzerSimProcess, AnnouncesItsPortsAndServesTheScenario)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString scenario = dir.filePath(QStringLiteral("scenario.ini"));
    ASSERT_TRUE(test::writeAll(scenario, "[93.1]\nLevel=44.5\nNoise=0\n"));
    const QString pty = dir.filePath(QStringLiteral("ttySIM"));

    QProcess process;
    process.start(simulatorPath(), {QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"),
                                    QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"),
                                    QStringLiteral("--pty"), pty, QStringLiteral("--control"),
                                    QStringLiteral("127.0.0.1:0"), QStringLiteral("--seed"),
                                    QStringLiteral("5"), QStringLiteral("--scenario"), scenario});
    QList<QByteArray> lines;
    ASSERT_TRUE(waitFor([&] {
        while (process.canReadLine())
            lines.append(process.readLine().trimmed());
        return lines.size() >= 4 || process.state() == QProcess::NotRunning;
    })) << process.readAllStandardError().constData();
    ASSERT_EQ(lines.size(), 4) << process.readAllStandardError().constData();

    QList<quint16> ports;
    const QList<QByteArray> kinds = {"listen 127.0.0.1:", "listen 127.0.0.1:", "pty ",
                                     "control 127.0.0.1:"};
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(lines.at(i).startsWith(kinds.at(i))) << lines.at(i).constData();
        ports.append(lines.at(i).mid(kinds.at(i).size()).toUShort());
    }
    EXPECT_EQ(lines.at(2), "pty " + QFile::encodeName(pty));
    EXPECT_TRUE(QFileInfo(pty).isSymLink());

    test::LineClient second;
    ASSERT_TRUE(second.connectTo(ports.at(1)));
    second.sendCommand("093100*F");
    second.sendCommand("?U");
    EXPECT_EQ(second.waitForLine("Level="), "Level=44.5 dBuV");

    test::LineClient control;
    ASSERT_TRUE(control.connectTo(ports.at(3)));
    EXPECT_TRUE(control.control("@1 status").value(0).startsWith("OK frequency=93.100"));
    EXPECT_TRUE(control.control("@0 status").value(0).startsWith("OK frequency=87.500"));
    EXPECT_TRUE(control.control("@2 status").value(0).contains("link=up")) << "the pty receiver";

    process.terminate();
    ASSERT_TRUE(process.waitForFinished(5000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_FALSE(QFileInfo(pty).isSymLink()) << "the pty link is removed on exit";
}

TEST(AnalyzerSimProcess, RefusesBadArguments)
{
    QTemporaryDir dir;
    const QString scenario = dir.filePath(QStringLiteral("bad.ini"));
    ASSERT_TRUE(test::writeAll(scenario, "[98.5]\nQuality=9\n"));
    const QList<std::pair<QStringList, QByteArray>> table = {
        {{QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"), QStringLiteral("--scenario"),
          scenario},
         "line 2: Quality must be a whole number 0 to 5"},
        {{QStringLiteral("--listen"), QStringLiteral("nohost")}, "--listen takes HOST:PORT"},
        {{QStringLiteral("--seed"), QStringLiteral("3")}, "give at least one --listen"},
    };
    for (const auto &[arguments, message] : table) {
        QProcess process;
        process.start(simulatorPath(), arguments);
        ASSERT_TRUE(process.waitForFinished(5000));
        EXPECT_EQ(process.exitCode(), 1) << message.constData();
        EXPECT_TRUE(process.readAllStandardOutput().isEmpty());
        EXPECT_TRUE(process.readAllStandardError().contains(message)) << message.constData();
    }
}

} // namespace
