// End to end: the headless program serves the simulator's RDS groups to a TCP
// client, launches the decoder at start-up, frames a RESET at each RDS mode
// start and an EXIT at shut-down, before the settings are saved.
#include "process_helpers.h"
#include "test_support.h"

#include <QFileInfo>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>

using namespace vantor::test;

namespace {
int FreePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::AnyIPv4, 0);
    return probe.serverPort();
}
} // namespace

TEST(RdsOutput, StreamsGroupsWithResetAndExitFrames)
{
    SimulatorProcess simulator;
    ASSERT_TRUE(simulator.start());
    QTemporaryDir tmp;
    const QString data = tmp.path() + QStringLiteral("/station");
    const QString decoderDir = tmp.path() + QStringLiteral("/Decoder");
    QDir().mkpath(data);
    QDir().mkpath(decoderDir);
    const QString decoder = decoderDir + QStringLiteral("/decoder.sh");
    const QString record = tmp.path() + QStringLiteral("/decoder-args");
    ASSERT_TRUE(WriteRecordingScript(decoder, record));
    const int port = FreePort();
    ASSERT_TRUE(writeAll(data + QStringLiteral("/devices.ini"), OneDeviceIni(simulator.port())));
    ASSERT_TRUE(writeAll(
        data + QStringLiteral("/stations.ini"),
        "[General]\r\nStationCount=2\r\n"
        "[Station0]\r\nName=City FM\r\nFrequency=98.5\r\nDeviceName=Tx Site\r\nRDS=1\r\n"
        "[Station1]\r\nName=Loud FM\r\nFrequency=101.1\r\nDeviceName=Tx Site\r\nRDS=1\r\n"));
    ASSERT_TRUE(writeAll(data + QStringLiteral("/config.ini"),
                         "[General]\r\nRDSTCPOutput=1\r\nRDSTCPPort=" + QByteArray::number(port) +
                             "\r\nRDSLumexAuto=1\r\nRDSLumexDevice=0\r\nRDSLumexPath=" +
                             decoder.toLatin1() + "\r\n"));

    QProcess program;
    program.start(binDir() + QStringLiteral("/vantor"),
                  {QStringLiteral("--headless"), QStringLiteral("--data-dir"), data});
    ASSERT_TRUE(program.waitForStarted());

    // The decoder is started with the stream's address, in its own folder.
    ASSERT_TRUE(waitFor([&] { return QFileInfo::exists(record); }, 10000));
    EXPECT_EQ(readAll(record), "STREAM:127.0.0.1:" + QByteArray::number(port) + "|\n" +
                                   decoderDir.toLatin1() + "\n");
    EXPECT_TRUE(
        readAll(data + QStringLiteral("/AppLogs/app.log"))
            .contains(
                QByteArray("RDS output: Available on TCP port ").append(QByteArray::number(port))));

    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, quint16(port));
    ASSERT_TRUE(client.waitForConnected(5000));
    QByteArray received;
    auto frames = [&] {
        received += client.readAll();
        QList<QByteArray> list;
        for (qsizetype i = 0; i + 24 <= received.size(); i += 24)
            list << received.mid(i, 24);
        return list;
    };
    ASSERT_TRUE(waitFor([&] { return frames().size() > 30; }, 20000));
    QList<QByteArray> list = frames();
    for (const QByteArray &f : list) {
        ASSERT_TRUE(f.startsWith("G:\r\n") && f.endsWith("\r\n\r\n")) << f.constData();
    }
    const int firstReset = list.indexOf("G:\r\nRESET-----------\r\n\r\n");
    ASSERT_GE(firstReset, 0) << "a RESET frame at the RDS mode start";
    int cityGroups = 0;
    for (const QByteArray &f : list.mid(firstReset + 1))
        cityGroups += f.mid(4, 4) == "A202";
    EXPECT_GT(cityGroups, 20);

    // Shut-down: the EXIT frame is the last the client gets; the settings are
    // written and the program ends. (The frame leaves before the settings are
    // written, but the client may read it later, so that order is not seen
    // from here.)
    const int before = static_cast<int>(list.size());
    ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
    ASSERT_TRUE(waitFor(
        [&] {
            const QList<QByteArray> now = frames();
            return now.size() > before && now.last() == "G:\r\nEXIT------------\r\n\r\n";
        },
        10000));
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_TRUE(QFileInfo::exists(data + QStringLiteral("/alarms.ini")));
}
