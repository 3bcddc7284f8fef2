// The RDS output as the engine drives it: the error line of a busy port, no
// groups before a decoder launch, the launch checks, the EXIT frame, the log
// line of refused connections and the start-up launch.
#include "engine_fixture.h"
#include "engine_tables.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTcpServer>
#include <QTcpSocket>

using namespace vantor;
using namespace vantor::test;

namespace {
class RdsOutputEngine : public EngineFixture
{
protected:
    void StartWithOutput(int port, const QString &decoder)
    {
        WriteDevices({QStringLiteral("10.0.0.5:7000")});
        WriteFile(QStringLiteral("config.ini"),
                  "[General]\r\nRDSTCPOutput=1\r\nRDSTCPPort=" + QByteArray::number(port) +
                      "\r\nRDSLumexPath=" + decoder.toLatin1() + "\r\n");
        Start();
        ConnectAll();
        PutOnStation(0, QStringLiteral("98.5"), ModeRdsPart);
    }

    static int FreePort()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::AnyIPv4, 0);
        return probe.serverPort();
    }

    QString AppLines() const { return engine.Globals().AppActivityLines.join(QLatin1Char('\n')); }
};
} // namespace

TEST_F(RdsOutputEngine, ABusyPortIsLoggedAndTheEngineGoesOn)
{
    QTcpServer busy;
    ASSERT_TRUE(busy.listen(QHostAddress::AnyIPv4, 0));
    StartWithOutput(busy.serverPort(), QStringLiteral("/nonexistent/decoder"));
    EXPECT_TRUE(
        AppLines().contains(QStringLiteral("[application] RDS output: Address already in use")));
    EXPECT_FALSE(AppLines().contains(QStringLiteral("Available on TCP port")));
    EXPECT_EQ(Tables(engine).G.RdsOutputPort, -1);
    library.pushResponse(0, QStringLiteral("G=D3C304000000ABCD"));
    ReceiveTick();
    EXPECT_EQ(engine.GetLastData(0, QStringLiteral("PI")), QStringLiteral("D3C3"));
}

TEST_F(RdsOutputEngine, GroupsFlowOnlyAfterTheDecoderIsLaunched)
{
    const QString decoder = tmp.path() + QStringLiteral("/decoder.sh");
    ASSERT_TRUE(writeAll(decoder, "#!/bin/sh\nexit 0\n"));
    QFile::setPermissions(decoder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const int port = FreePort();
    StartWithOutput(port, tmp.path() + QStringLiteral("/missing.sh"));
    EXPECT_TRUE(
        AppLines().contains(QStringLiteral("RDS output: Available on TCP port %1").arg(port)));

    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, quint16(port));
    ASSERT_TRUE(client.waitForConnected(3000));
    ASSERT_TRUE(waitFor([&] { return engine.RDSLumexRunning(); }));
    library.pushResponse(0, QStringLiteral("G=D3C304000000ABCD"));
    ReceiveTick();
    EXPECT_FALSE(waitFor([&] { return client.bytesAvailable() > 0; }, 300)) << "no launch yet";

    // A missing decoder is logged and changes nothing.
    engine.LaunchDecoder(false);
    EXPECT_TRUE(AppLines().endsWith(QStringLiteral("File ") + tmp.path() +
                                    QStringLiteral("/missing.sh does not exist")));
    EXPECT_EQ(Tables(engine).G.RdsOutputDevice, -1);

    // The decoder is already "running" (a client is connected): the operator
    // is asked, and a no stops the launch.
    engine.Prefs().SetText(QStringLiteral("RDSLumexPath"), decoder);
    view.selectedDevice = 0;
    engine.LaunchDecoder(false);
    EXPECT_EQ(view.questions.size(), 1);
    EXPECT_EQ(Tables(engine).G.RdsOutputDevice, -1);
    view.confirmAnswer = true;
    engine.LaunchDecoder(false);
    EXPECT_EQ(Tables(engine).G.RdsOutputDevice, 0);

    library.pushResponse(0, QStringLiteral("G=D3C304000000ABCD"));
    ReceiveTick();
    engine.StartRDS(0);
    ASSERT_TRUE(waitFor([&] { return client.bytesAvailable() >= 48; }));
    EXPECT_EQ(client.read(48),
              QByteArray("G:\r\nD3C304000000ABCD\r\n\r\nG:\r\nRESET-----------\r\n\r\n"));

    EXPECT_TRUE(engine.FormClose());
    ASSERT_TRUE(waitFor([&] { return client.bytesAvailable() >= 24; }));
    EXPECT_EQ(client.read(24), QByteArray("G:\r\nEXIT------------\r\n\r\n"));
    // The decoder's moment to read it passes on the event loop.
    bool closed = false;
    QElapsedTimer real;
    real.start();
    engine.AfterClose([&] { closed = true; });
    EXPECT_FALSE(closed);
    ASSERT_TRUE(waitFor([&] { return closed; }, 2000));
    EXPECT_GE(real.elapsed(), 180);
}

TEST_F(RdsOutputEngine, RefusedConnectionsLeaveOneLogLineAMinute)
{
    const int port = FreePort();
    StartWithOutput(port, QStringLiteral("/nonexistent/decoder"));
    std::vector<std::unique_ptr<QTcpSocket>> clients;
    // One after the other, as the listening backlog is short.
    auto connectClients = [&](int count) {
        for (int k = 0; k < count; ++k) {
            clients.push_back(std::make_unique<QTcpSocket>());
            clients.back()->connectToHost(QHostAddress::LocalHost, quint16(port));
            QTcpSocket *client = clients.back().get();
            // Connected, or already refused again.
            ASSERT_TRUE(waitFor([&] {
                return client->state() == QAbstractSocket::ConnectedState ||
                       client->state() == QAbstractSocket::UnconnectedState;
            }));
        }
    };
    auto closedCount = [&] {
        return std::count_if(clients.begin(), clients.end(), [](const auto &c) {
            return c->state() == QAbstractSocket::UnconnectedState;
        });
    };
    const QString refused =
        QStringLiteral("[application] RDS output: Connection from 127.0.0.1 refused: 32 clients "
                       "are connected already");

    connectClients(RdsMaxClients + 3);
    ASSERT_TRUE(waitFor([&] { return closedCount() == 3; }));
    EXPECT_EQ(AppLines().count(refused), 1) << qPrintable(AppLines());

    clock.advanceSeconds(59);
    connectClients(1);
    ASSERT_TRUE(waitFor([&] { return closedCount() == 4; }));
    EXPECT_EQ(AppLines().count(refused), 1);

    clock.advanceSeconds(2);
    connectClients(1);
    ASSERT_TRUE(waitFor([&] { return closedCount() == 5; }));
    EXPECT_EQ(AppLines().count(refused), 2);
}

TEST_F(RdsOutputEngine, TheStartUpLaunchFollowsTheAnnouncementOnATimer)
{
    const QString record = tmp.path() + QStringLiteral("/launched");
    const QString decoder = tmp.path() + QStringLiteral("/decoder.sh");
    ASSERT_TRUE(WriteRecordingScript(decoder, record));
    const int port = FreePort();
    WriteDevices({QStringLiteral("10.0.0.5:7000")});
    WriteFile(QStringLiteral("config.ini"),
              "[General]\r\nRDSTCPOutput=1\r\nRDSLumexAuto=1\r\nRDSLumexDevice=0\r\nRDSTCPPort=" +
                  QByteArray::number(port) + "\r\nRDSLumexPath=" + decoder.toLatin1() + "\r\n");
    QElapsedTimer real;
    real.start();
    Start();
    EXPECT_LT(real.elapsed(), 200) << "start-up does not stand still for the pause";
    EXPECT_TRUE(
        AppLines().endsWith(QStringLiteral("RDS output: Available on TCP port %1").arg(port)));
    EXPECT_EQ(Tables(engine).G.RdsOutputDevice, -1) << "not launched yet";

    ASSERT_TRUE(waitFor([&] { return Tables(engine).G.RdsOutputDevice == 0; }, 2000));
    EXPECT_GE(real.elapsed(), 250);
    ASSERT_TRUE(waitFor([&] { return QFile::exists(record); }));
    EXPECT_TRUE(
        readAll(record).startsWith(QStringLiteral("STREAM:127.0.0.1:%1|").arg(port).toLatin1()));
}
