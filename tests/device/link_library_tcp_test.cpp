#include "link_library.h"
#include "test_support.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>

#include <memory>

using namespace vantor;
using vantor::test::waitFor;

namespace {

// A loopback server standing in for the analyzers; each test device connects
// to it and the test talks through the accepted socket.
class TcpLink : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0)); }

    // Connects handle to the server and returns the server's end, or nullptr.
    QTcpSocket *connectDevice(int handle)
    {
        library.SetDevice(handle);
        library.ConnectionSetup(DeviceLibrary::Tcp, 0, QStringLiteral("127.0.0.1"),
                                server.serverPort());
        library.Connect();
        if (!waitFor([&] { return server.hasPendingConnections(); }))
            return nullptr;
        QTcpSocket *peer = server.nextPendingConnection();
        const bool up = waitFor([&] {
            library.SetDevice(handle);
            return library.Connected();
        });
        return up ? peer : nullptr;
    }

    static void send(QTcpSocket *peer, const QByteArray &bytes)
    {
        peer->write(bytes);
        peer->flush();
    }

    bool waitForResponses(int handle, int count)
    {
        return waitFor([&] {
            library.SetDevice(handle);
            return library.ReadBufferLength() >= count;
        });
    }

    QStringList readResponses(int handle)
    {
        library.SetDevice(handle);
        QStringList responses;
        while (library.ReadBufferLength() > 0)
            responses.append(library.ReadResponse());
        return responses;
    }

    static QByteArray receive(QTcpSocket *peer, qsizetype count)
    {
        waitFor([&] { return peer->bytesAvailable() >= count; });
        return peer->readAll();
    }

    QTcpServer server;
    AnalyzerLinkLibrary library{QString()};
};

} // namespace

TEST_F(TcpLink, CommandsArriveEndedByCrAndCutTo255Latin1Characters)
{
    const int handle = library.AddDevice();
    QTcpSocket *peer = connectDevice(handle);
    ASSERT_NE(peer, nullptr);

    library.WriteCommand(QStringLiteral("?Q"));
    library.WriteCommand(QStringLiteral("098500*F"));
    library.WriteCommand(QString(QChar(0xe9)) + QString(299, QLatin1Char('x')));
    const QByteArray expected = QByteArray("?Q\r098500*F\r") + '\xe9' + QByteArray(254, 'x') + '\r';
    EXPECT_EQ(receive(peer, expected.size()), expected);
}

TEST_F(TcpLink, ResponsesSplitAtLineEndsInOneBurstAndByteByByte)
{
    const int handle = library.AddDevice();
    QTcpSocket *peer = connectDevice(handle);
    ASSERT_NE(peer, nullptr);
    peer->setSocketOption(QAbstractSocket::LowDelayOption, 1);

    const char start[] = "MAX=45.2 kHz\r\nLevel=63.2 dBuV\n\r\nN\0ame=\xe9\xff\r\n";
    const QByteArray stream =
        QByteArray(start, sizeof start - 1) + QByteArray(5000, 'z') + "\r\nlast=1\r\n";
    const QStringList expected{"MAX=45.2 kHz",
                               "Level=63.2 dBuV",
                               "",
                               QString::fromLatin1("Name=\xe9\xff"),
                               QString(ResponseBuffer::MaxResponseLength, QLatin1Char('z')),
                               "last=1"};

    send(peer, stream);
    ASSERT_TRUE(waitForResponses(handle, expected.size()));
    EXPECT_EQ(readResponses(handle), expected);

    for (const char byte : stream) {
        send(peer, QByteArray(1, byte));
        QCoreApplication::processEvents();
    }
    ASSERT_TRUE(waitForResponses(handle, expected.size()));
    EXPECT_EQ(readResponses(handle), expected);
}

TEST_F(TcpLink, ABurstBeyondTheQueueLimitKeepsTheNewestResponses)
{
    const int handle = library.AddDevice();
    QTcpSocket *peer = connectDevice(handle);
    ASSERT_NE(peer, nullptr);

    QByteArray burst;
    for (int i = 0; i < ResponseBuffer::MaxQueuedResponses + 50; ++i)
        burst += "G=" + QByteArray::number(i) + "\r\n";
    send(peer, burst);
    // The close arrives after every byte before it has been read.
    peer->disconnectFromHost();
    ASSERT_TRUE(waitFor([&] { return !library.Connected(); }));

    EXPECT_EQ(library.ReadBufferLength(), ResponseBuffer::MaxQueuedResponses);
    EXPECT_EQ(library.ReadResponse(), QStringLiteral("G=50"));
}

TEST_F(TcpLink, PeerThatClosesReadsAsDisconnectedAndItsHalfLineIsDropped)
{
    const int handle = library.AddDevice();
    QTcpSocket *peer = connectDevice(handle);
    ASSERT_NE(peer, nullptr);

    send(peer, "a=1\r\nhalf");
    peer->disconnectFromHost();
    ASSERT_TRUE(waitFor([&] { return !library.Connected(); }));
    library.WriteCommand(QStringLiteral("?Q")); // dropped, harmless
    EXPECT_EQ(library.ReadBufferLength(), 1);

    QTcpSocket *again = connectDevice(handle);
    ASSERT_NE(again, nullptr);
    send(again, "b=2\r\n");
    ASSERT_TRUE(waitForResponses(handle, 2));
    EXPECT_EQ(readResponses(handle), (QStringList{"a=1", "b=2"}));
}

TEST_F(TcpLink, ConnectToAClosedPortReturnsAtOnceAndStaysDown)
{
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    const quint16 closedPort = closed.serverPort();
    closed.close();

    const int handle = library.AddDevice();
    library.SetDevice(handle);
    QElapsedTimer timer;
    timer.start();
    library.ConnectionSetup(DeviceLibrary::Tcp, 0, QStringLiteral("127.0.0.1"), closedPort);
    library.Connect();
    // An address nobody answers: the connect must not wait for it either.
    const int other = library.AddDevice();
    library.SetDevice(other);
    library.ConnectionSetup(DeviceLibrary::Tcp, 0, QStringLiteral("192.0.2.1"), 9);
    library.Connect();
    EXPECT_LT(timer.elapsed(), 1000);

    EXPECT_FALSE(waitFor(
        [&] {
            library.SetDevice(handle);
            return library.Connected();
        },
        300));
    library.SetDevice(other);
    EXPECT_FALSE(library.Connected());

    // Setups no link can come of: nothing happens, nothing breaks.
    library.SetDevice(handle);
    const struct {
        int kind;
        const char *host;
        int port;
    } unusable[] = {{DeviceLibrary::Tcp, "", 5000},
                    {DeviceLibrary::Tcp, "127.0.0.1", 0},
                    {DeviceLibrary::Tcp, "127.0.0.1", 65536},
                    {7, "127.0.0.1", server.serverPort()}};
    for (const auto &setup : unusable) {
        library.ConnectionSetup(setup.kind, 0, QString::fromLatin1(setup.host), setup.port);
        library.Connect();
        EXPECT_FALSE(library.Connected()) << setup.host << ":" << setup.port;
    }
    EXPECT_FALSE(waitFor([&] { return server.hasPendingConnections(); }, 200));
}

TEST_F(TcpLink, ConnectOnAConnectedSlotReconnects)
{
    const int handle = library.AddDevice();
    QTcpSocket *first = connectDevice(handle);
    ASSERT_NE(first, nullptr);

    QTcpSocket *second = connectDevice(handle);
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(waitFor([&] { return first->state() == QAbstractSocket::UnconnectedState; }));
    library.WriteCommand(QStringLiteral("?F"));
    EXPECT_EQ(receive(second, 3), QByteArray("?F\r"));
}

TEST_F(TcpLink, ClearValuesDropsQueuedResponsesAndThePartialLine)
{
    const int handle = library.AddDevice();
    QTcpSocket *peer = connectDevice(handle);
    ASSERT_NE(peer, nullptr);

    send(peer, "a=1\r\nb=2\r\npart");
    ASSERT_TRUE(waitForResponses(handle, 2));
    library.ClearValues();
    EXPECT_EQ(library.ReadBufferLength(), 0);
    EXPECT_EQ(library.ReadResponse(), QString());

    send(peer, "ial\r\nc=3\r\n");
    ASSERT_TRUE(waitForResponses(handle, 2));
    EXPECT_EQ(readResponses(handle), (QStringList{"ial", "c=3"}));
}

TEST_F(TcpLink, DevicesAreIndependentAndUnknownHandlesDoNothing)
{
    const int a = library.AddDevice();
    const int b = library.AddDevice();
    EXPECT_NE(a, b);
    QTcpSocket *peerA = connectDevice(a);
    QTcpSocket *peerB = connectDevice(b);
    ASSERT_NE(peerA, nullptr);
    ASSERT_NE(peerB, nullptr);

    send(peerA, "from=A\r\n");
    send(peerB, "from=B\r\nagain=B\r\n");
    ASSERT_TRUE(waitForResponses(a, 1));
    ASSERT_TRUE(waitForResponses(b, 2));

    for (const int unknown : {-1, 2, 99}) {
        library.SetDevice(unknown);
        EXPECT_FALSE(library.Connected());
        EXPECT_EQ(library.ReadBufferLength(), 0);
        EXPECT_EQ(library.ReadResponse(), QString());
        library.WriteCommand(QStringLiteral("lost"));
        library.ClearValues();
        library.Disconnect();
        library.ConnectionSetup(DeviceLibrary::Tcp, 0, QStringLiteral("127.0.0.1"),
                                server.serverPort());
        library.Connect();
    }

    library.SetDevice(a);
    library.WriteCommand(QStringLiteral("to=A"));
    library.Disconnect();
    EXPECT_FALSE(library.Connected());

    library.SetDevice(b);
    EXPECT_TRUE(library.Connected());
    library.WriteCommand(QStringLiteral("to=B"));
    EXPECT_EQ(receive(peerB, 5), QByteArray("to=B\r"));
    EXPECT_EQ(receive(peerA, 5), QByteArray("to=A\r"));
    EXPECT_EQ(readResponses(a), QStringList{"from=A"});
    EXPECT_EQ(readResponses(b), (QStringList{"from=B", "again=B"}));
    EXPECT_FALSE(server.hasPendingConnections());
}

TEST_F(TcpLink, CommandsWrittenRightBeforeDisconnectReachTheDevice)
{
    auto shortLived = std::make_unique<AnalyzerLinkLibrary>(QString());
    const int handle = shortLived->AddDevice();
    shortLived->SetDevice(handle);
    shortLived->ConnectionSetup(DeviceLibrary::Tcp, 0, QStringLiteral("127.0.0.1"),
                                server.serverPort());
    shortLived->Connect();
    ASSERT_TRUE(waitFor([&] { return shortLived->Connected(); }));
    ASSERT_TRUE(waitFor([&] { return server.hasPendingConnections(); }));
    QTcpSocket *peer = server.nextPendingConnection();

    // As at shut-down: stop commands, Disconnect, and the program ends.
    shortLived->WriteCommand(QStringLiteral("*m"));
    shortLived->WriteCommand(QStringLiteral("*p"));
    shortLived->WriteCommand(QStringLiteral("*r"));
    shortLived->Disconnect();
    shortLived.reset();

    EXPECT_EQ(receive(peer, 9), QByteArray("*m\r*p\r*r\r"));
    EXPECT_TRUE(waitFor([&] { return peer->state() == QAbstractSocket::UnconnectedState; }));
}
