#include "rds_output_server.h"

#include "open_handles.h"
#include "test_support.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <memory>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace vantor;
using vantor::test::waitFor;

namespace {

QByteArray Frames(std::initializer_list<const char *> payloads)
{
    QByteArray bytes;
    for (const char *p : payloads)
        bytes += RdsFrame(QLatin1String(p));
    return bytes;
}

class RdsOutputServerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QObject::connect(&server, &RdsOutputServer::error,
                         [this](const QString &text) { errors << text; });
        QObject::connect(&server, &RdsOutputServer::clientRejected,
                         [this](const QString &text) { rejections << text; });
    }

    // A client the server refuses: it is closed at once.
    std::unique_ptr<QTcpSocket> ConnectRefused()
    {
        auto client = std::make_unique<QTcpSocket>();
        const int before = rejections.size();
        client->connectToHost(QHostAddress::LocalHost, static_cast<quint16>(server.Port()));
        EXPECT_TRUE(waitFor([&] { return rejections.size() == before + 1; }));
        EXPECT_TRUE(waitFor([&] { return client->state() == QAbstractSocket::UnconnectedState; }));
        return client;
    }

    // A client on the loopback address, once the server has taken it.
    std::unique_ptr<QTcpSocket> Connect()
    {
        auto client = std::make_unique<QTcpSocket>();
        const int before = server.ClientCount();
        client->connectToHost(QHostAddress::LocalHost, static_cast<quint16>(server.Port()));
        EXPECT_TRUE(waitFor([&] { return server.ClientCount() == before + 1; }));
        EXPECT_EQ(client->state(), QAbstractSocket::ConnectedState);
        return client;
    }

    // Everything the client receives until it has at least size bytes.
    static QByteArray Receive(QTcpSocket &client, qsizetype size)
    {
        QByteArray got;
        waitFor([&] {
            got += client.readAll();
            return got.size() >= size;
        });
        return got;
    }

    RdsOutputServer server;
    QStringList errors;
    QStringList rejections;
};

TEST(RdsFrameTest, CarriesSixteenCharactersBetweenFixedMarks)
{
    struct Case {
        const char *payload;
        QByteArray frame;
    };
    const Case cases[] = {
        {"D3C30400E3A5ABCD", QByteArrayLiteral("G:\r\nD3C30400E3A5ABCD\r\n\r\n")},
        {"EXIT------------", QByteArrayLiteral("G:\r\nEXIT------------\r\n\r\n")},
        {"D3C30400E3A5ABC", QByteArrayLiteral("G:\r\nD3C30400E3A5ABC-\r\n\r\n")},
        {"D3C30400E3A5ABCD0", QByteArrayLiteral("G:\r\nD3C30400E3A5ABCD\r\n\r\n")},
        {"", QByteArrayLiteral("G:\r\n----------------\r\n\r\n")},
        {"D3C3\r\n00E3A5ABCD", QByteArrayLiteral("G:\r\nD3C3--00E3A5ABCD\r\n\r\n")},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(RdsFrame(QLatin1String(c.payload)), c.frame) << c.payload;
        EXPECT_EQ(RdsFrame(QLatin1String(c.payload)).size(), 24);
    }
    // Eight-bit characters go out as single bytes.
    EXPECT_EQ(RdsFrame(QString::fromLatin1("\xE9\xFF--------------")).mid(4, 2),
              QByteArray("\xE9\xFF"));
}

TEST_F(RdsOutputServerTest, EveryClientGetsEveryFrameInOrderAndNothingElse)
{
    ASSERT_TRUE(server.Start(0));
    EXPECT_FALSE(server.RDSLumexRunning());
    // Connected before anything is sent: its first bytes must be the first frame.
    auto early = Connect();
    auto late = Connect();
    EXPECT_TRUE(server.RDSLumexRunning());

    server.Send(QStringLiteral("RESET-----------"));
    server.Send(QStringLiteral("D3C30400E3A5ABC"));
    server.Send(QStringLiteral("D3C32400----ABCD"));
    const QByteArray expected = Frames({"RESET-----------", "D3C30400E3A5ABC", "D3C32400----ABCD"});
    EXPECT_EQ(Receive(*early, expected.size()), expected);
    EXPECT_EQ(Receive(*late, expected.size()), expected);
    EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('|')).toStdString();
}

TEST_F(RdsOutputServerTest, ClientThatLeavesIsDroppedQuietlyAndTheOthersGoOn)
{
    ASSERT_TRUE(server.Start(0));
    auto first = Connect();
    auto leaving = Connect();
    auto last = Connect();
    server.Send(QStringLiteral("D3C30400E3A5ABCD"));
    EXPECT_EQ(Receive(*leaving, 24), Frames({"D3C30400E3A5ABCD"}));

    leaving->disconnectFromHost();
    ASSERT_TRUE(waitFor([&] { return server.ClientCount() == 2; }));
    server.Send(QStringLiteral("EXIT------------"));
    const QByteArray expected = Frames({"D3C30400E3A5ABCD", "EXIT------------"});
    EXPECT_EQ(Receive(*first, expected.size()), expected);
    EXPECT_EQ(Receive(*last, expected.size()), expected);
    EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('|')).toStdString();

    first->abort();
    last->abort();
    ASSERT_TRUE(waitFor([&] { return server.ClientCount() == 0; }));
    EXPECT_TRUE(server.IsListening());
    EXPECT_FALSE(server.RDSLumexRunning());
    EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('|')).toStdString();
}

TEST_F(RdsOutputServerTest, ALittleChatterIsIgnoredAFloodDropsTheClient)
{
    ASSERT_TRUE(server.Start(0));
    auto quiet = Connect();
    auto talker = Connect();
    talker->write(QByteArray(RdsClientByteBudget, 'x'));
    EXPECT_TRUE(waitFor([&] { return talker->bytesToWrite() == 0; }));
    server.Send(QStringLiteral("D3C30400E3A5ABCD"));
    EXPECT_EQ(Receive(*talker, 24), Frames({"D3C30400E3A5ABCD"}));
    EXPECT_EQ(server.ClientCount(), 2);

    // One byte over the budget of the minute, and the talker is gone.
    talker->write("x");
    ASSERT_TRUE(waitFor([&] { return server.ClientCount() == 1; }));
    EXPECT_TRUE(waitFor([&] { return talker->state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_EQ(rejections,
              QStringList{QStringLiteral(
                  "Client 127.0.0.1 dropped: it sent more than 4096 bytes in a minute")});
    server.Send(QStringLiteral("EXIT------------"));
    EXPECT_EQ(Receive(*quiet, 48), Frames({"D3C30400E3A5ABCD", "EXIT------------"}));
    EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('|')).toStdString();
}

TEST_F(RdsOutputServerTest, BeyondThirtyTwoClientsConnectionsAreClosedAtOnce)
{
    ASSERT_TRUE(server.Start(0));
    std::vector<std::unique_ptr<QTcpSocket>> clients;
    for (int k = 0; k < RdsMaxClients; ++k)
        clients.push_back(Connect());
    auto refused = ConnectRefused();
    EXPECT_EQ(server.ClientCount(), RdsMaxClients);
    EXPECT_EQ(rejections,
              QStringList{QStringLiteral(
                  "Connection from 127.0.0.1 refused: 32 clients are connected already")});

    // A place that comes free is taken again, and the clients kept get
    // every frame.
    clients.front()->abort();
    ASSERT_TRUE(waitFor([&] { return server.ClientCount() == RdsMaxClients - 1; }));
    clients.front() = Connect();
    server.Send(QStringLiteral("D3C30400E3A5ABCD"));
    for (const auto &client : clients)
        EXPECT_EQ(Receive(*client, 24), Frames({"D3C30400E3A5ABCD"}));
    EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('|')).toStdString();
}

// The process's own limit on open handles is lowered to a little above the
// reserve, so that a few clients bring it within the reserve.
TEST_F(RdsOutputServerTest, ClientsNeverTakeTheHandlesKeptForDevicesAndFiles)
{
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    const int open = OpenHandleCount();
    if (open < 0)
        GTEST_SKIP() << "the open handles cannot be counted here";
    const rlim_t lowered = static_cast<rlim_t>(open + RdsHandleReserve + 8);
    if (saved.rlim_cur < lowered)
        GTEST_SKIP() << "the handle limit is already below what the test needs";
    rlimit low = saved;
    low.rlim_cur = lowered;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
    struct Restore {
        rlimit limit;
        ~Restore() { setrlimit(RLIMIT_NOFILE, &limit); }
    } restore{saved};

    ASSERT_TRUE(server.Start(0));
    std::vector<std::unique_ptr<QTcpSocket>> clients;
    // Each client here holds two handles of this process: its own end and the
    // server's.
    while (rejections.isEmpty() && clients.size() < 8) {
        auto client = std::make_unique<QTcpSocket>();
        client->connectToHost(QHostAddress::LocalHost, static_cast<quint16>(server.Port()));
        const int before = server.ClientCount();
        ASSERT_TRUE(
            waitFor([&] { return server.ClientCount() > before || !rejections.isEmpty(); }));
        clients.push_back(std::move(client));
    }
    ASSERT_EQ(rejections.size(), 1);
    EXPECT_TRUE(rejections[0].endsWith(
        QStringLiteral("refused: the file handles left are kept for devices and files")))
        << rejections[0].toStdString();
    EXPECT_GE(server.ClientCount(), 1);
    EXPECT_GT(OpenHandleLimit() - OpenHandleCount(), RdsHandleReserve / 2)
        << "the reserve is still there for others";
    EXPECT_TRUE(server.IsListening());
    EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('|')).toStdString();
}

TEST_F(RdsOutputServerTest, ClientThatStopsReadingIsDroppedOnceAFrameNoLongerFits)
{
    ASSERT_TRUE(server.Start(0));
    auto reader = Connect();
    // A client that never reads, with a small receive window.
    const int stalled = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(stalled, 0);
    const int small = 4096;
    ::setsockopt(stalled, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<quint16>(server.Port()));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(stalled, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    ASSERT_TRUE(waitFor([&] { return server.ClientCount() == 2; }));

    qsizetype sent = 0;
    QByteArray received;
    while (server.ClientCount() == 2 && sent < 400000) {
        server.Send(QStringLiteral("D3C30400E3A5ABCD"));
        ++sent;
        if (sent % 64 == 0) {
            QCoreApplication::processEvents();
            received += reader->readAll();
        }
    }
    ::close(stalled);
    EXPECT_EQ(server.ClientCount(), 1);
    // The reader missed nothing while the other was failing.
    received += Receive(*reader, sent * 24 - received.size());
    EXPECT_EQ(received.size(), sent * 24);
    EXPECT_TRUE(received == Frames({"D3C30400E3A5ABCD"}).repeated(sent));
    EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('|')).toStdString();
}

TEST_F(RdsOutputServerTest, StopClosesClientsAndTheSamePortCanBeListenedOnAgain)
{
    ASSERT_TRUE(server.Start(0));
    const int port = server.Port();
    auto client = Connect();
    server.Stop();
    EXPECT_FALSE(server.IsListening());
    EXPECT_EQ(server.ClientCount(), 0);
    EXPECT_TRUE(waitFor([&] { return client->state() == QAbstractSocket::UnconnectedState; }));

    ASSERT_TRUE(server.Start(port));
    EXPECT_EQ(server.Port(), port);
    auto again = Connect();
    server.Send(QStringLiteral("RESET-----------"));
    EXPECT_EQ(Receive(*again, 24), Frames({"RESET-----------"}));
    EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('|')).toStdString();
}

TEST_F(RdsOutputServerTest, SamePortKeepsClientsAnotherPortClosesThem)
{
    ASSERT_TRUE(server.Start(0));
    const int port = server.Port();
    auto client = Connect();
    ASSERT_TRUE(server.Start(port));
    EXPECT_EQ(server.ClientCount(), 1);

    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::AnyIPv4, 0));
    const int other = probe.serverPort();
    probe.close();
    ASSERT_TRUE(server.Start(other));
    EXPECT_EQ(server.Port(), other);
    EXPECT_EQ(server.ClientCount(), 0);
    EXPECT_TRUE(waitFor([&] { return client->state() == QAbstractSocket::UnconnectedState; }));
    auto moved = Connect();
    EXPECT_EQ(server.ClientCount(), 1);
}

TEST_F(RdsOutputServerTest, PortInUseIsReportedAndLeavesTheServerStopped)
{
    QTcpServer holder;
    ASSERT_TRUE(holder.listen(QHostAddress::AnyIPv4, 0));
    ASSERT_TRUE(server.Start(0));
    auto client = Connect();

    EXPECT_FALSE(server.Start(holder.serverPort()));
    EXPECT_EQ(errors, QStringList{QStringLiteral("Address already in use")});
    EXPECT_FALSE(server.IsListening());
    EXPECT_EQ(server.Port(), 0);
    EXPECT_EQ(server.ClientCount(), 0);
    EXPECT_TRUE(waitFor([&] { return client->state() == QAbstractSocket::UnconnectedState; }));
}

TEST_F(RdsOutputServerTest, ListensOnAllIPv4AddressesWithABacklogOfFive)
{
    const QString ss = QStringLiteral("/usr/bin/ss");
    if (!QFile::exists(ss))
        GTEST_SKIP() << "no ss to inspect listening sockets";
    ASSERT_TRUE(server.Start(0));
    QProcess query;
    query.start(ss, {QStringLiteral("-Hltn"), QStringLiteral("sport = :%1").arg(server.Port())});
    ASSERT_TRUE(query.waitForFinished(5000));
    // State, Recv-Q, Send-Q (the backlog of a listening socket), local address.
    const QStringList fields =
        QString::fromLatin1(query.readAllStandardOutput()).simplified().split(QLatin1Char(' '));
    ASSERT_GE(fields.size(), 4) << fields.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(fields[0], QStringLiteral("LISTEN"));
    EXPECT_EQ(fields[2], QStringLiteral("5"));
    EXPECT_EQ(fields[3], QStringLiteral("0.0.0.0:%1").arg(server.Port()));
}

} // namespace
