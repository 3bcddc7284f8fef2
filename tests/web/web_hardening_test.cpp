// The web server under clients that misbehave, over real sockets: requests
// that are too large, clients that send too slowly or not at all, and more
// connections than it takes. Each time the station's server goes on serving
// the well-behaved.
#include "web_server_fixture.h"

#include <QTcpSocket>
#include <QTimer>

#include <memory>
#include <vector>

using namespace vantor;
using namespace vantor::test;

namespace {
std::unique_ptr<QTcpSocket> Connected(quint16 port)
{
    auto socket = std::make_unique<QTcpSocket>();
    socket->connectToHost(QHostAddress::LocalHost, port);
    waitFor([&] { return socket->state() == QAbstractSocket::ConnectedState; });
    return socket;
}

bool ClosedByServer(QTcpSocket &socket, int timeoutMs)
{
    return waitFor(
        [&] {
            socket.readAll();
            return socket.state() == QAbstractSocket::UnconnectedState;
        },
        timeoutMs);
}
} // namespace

class WebHardening : public WebServerFixture
{};

TEST_F(WebHardening, OversizedRequestsAreRefusedAndClosed)
{
    WebLimits limits;
    limits.maxRequestBytes = 4096;
    Serve({}, limits);
    const QByteArray bigHeader = "X-Filler: " + QByteArray(8000, 'a') + "\r\n";
    const struct {
        const char *what;
        QByteArray raw;
    } cases[] = {
        {"a huge header", "GET / HTTP/1.1\r\nHost: x\r\n" + bigHeader + "\r\n"},
        {"a huge body",
         "GET / HTTP/1.1\r\nHost: x\r\nContent-Length: 100000\r\n\r\n" + QByteArray(20000, 'b')},
        {"endless header without end", "GET / HTTP/1.1\r\nHost: x\r\n" + QByteArray(9000, 'c')},
    };
    for (const auto &c : cases) {
        const HttpReply reply = Exchange(port, c.raw);
        EXPECT_EQ(reply.status, 413) << c.what;
    }
    EXPECT_EQ(Get(port, "/healthz").status, 503) << "still answering (no tick has run)";
    // Requests on one connection count one at a time: a browser polling over
    // keep-alive is never cut off.
    auto socket = Connected(port);
    for (int i = 0; i < 10; ++i) {
        socket->write("GET /api/v1/status HTTP/1.1\r\nHost: x\r\nX-Pad: " + QByteArray(1000, 'p') +
                      "\r\n\r\n");
        QByteArray data;
        ASSERT_TRUE(waitFor([&] {
            data += socket->readAll();
            return data.contains("\"devices\"");
        })) << "request "
            << i;
    }
}

TEST_F(WebHardening, SlowAndIdleClientsAreCutOffWhileOthersAreServed)
{
    WebLimits limits;
    limits.requestTimeoutMs = 400;
    limits.headerTimeoutMs = 400;
    Serve({}, limits);
    auto idle = Connected(port);
    auto dripping = Connected(port);
    dripping->write("GET /metrics HTTP/1.1\r\n");
    QTimer drip;
    QObject::connect(&drip, &QTimer::timeout, [&] { dripping->write("X: y\r\n"); });
    drip.start(50);
    EXPECT_EQ(Get(port, "/api/v1/status").status, 200) << "served meanwhile";
    EXPECT_TRUE(ClosedByServer(*dripping, 5000));
    EXPECT_TRUE(ClosedByServer(*idle, 5000));
    EXPECT_TRUE(waitFor([&] { return server->openConnections() == 0; }));
}

TEST_F(WebHardening, ConnectionsBeyondTheLimitAreTurnedAway)
{
    WebLimits limits;
    limits.maxConnections = 3;
    Serve({}, limits);
    std::vector<std::unique_ptr<QTcpSocket>> held;
    for (int i = 0; i < 3; ++i)
        held.push_back(Connected(port));
    ASSERT_TRUE(waitFor([&] { return server->openConnections() == 3; }));
    EXPECT_EQ(Get(port, "/api/v1/status").status, 503);
    held.pop_back();
    ASSERT_TRUE(waitFor([&] { return server->openConnections() == 2; }));
    EXPECT_EQ(Get(port, "/api/v1/status").status, 200);
}
