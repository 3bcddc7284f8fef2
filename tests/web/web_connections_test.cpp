// How the web server treats a connection, over real sockets: when it closes,
// how pipelined requests are read and counted, how many connections one
// address and all clients may hold, and that health checks and metrics find
// a slot while the pages' slots are all taken.
#include "web_server_fixture.h"

#include <QElapsedTimer>
#include <QTcpSocket>

#include <memory>
#include <vector>

using namespace vantor;
using namespace vantor::test;

namespace {
// A connection made, or already closed again by the server.
std::unique_ptr<QTcpSocket> Connected(quint16 port)
{
    auto socket = std::make_unique<QTcpSocket>();
    socket->connectToHost(QHostAddress::LocalHost, port);
    waitFor([&] {
        return socket->state() == QAbstractSocket::ConnectedState ||
               socket->state() == QAbstractSocket::UnconnectedState;
    });
    return socket;
}

// Everything the server sends until it closes the connection, or until
// timeoutMs; closed tells which.
QByteArray ReadUntilClosed(QTcpSocket &socket, int timeoutMs, bool *closed = nullptr)
{
    QByteArray data;
    const bool done = waitFor(
        [&] {
            data += socket.readAll();
            return socket.state() == QAbstractSocket::UnconnectedState;
        },
        timeoutMs);
    data += socket.readAll();
    if (closed)
        *closed = done;
    return data;
}

// Status codes of the answers in data, in order.
QList<int> Statuses(const QByteArray &data)
{
    QList<int> statuses;
    for (qsizetype at = data.indexOf("HTTP/1.1 "); at >= 0; at = data.indexOf("HTTP/1.1 ", at + 1))
        statuses << data.mid(at + 9, 3).toInt();
    return statuses;
}

// Idle and header limits far beyond what the tests wait: whatever closes a
// connection within them is the rule under test, not a time limit.
WebLimits PatientLimits()
{
    WebLimits limits;
    limits.requestTimeoutMs = 60000;
    limits.headerTimeoutMs = 60000;
    return limits;
}
} // namespace

class WebConnections : public WebServerFixture
{};

TEST_F(WebConnections, ClosesAfterTheAnswerWhenTheClientAsks)
{
    Serve({}, PatientLimits());
    const struct {
        const char *request;
        bool closes;
    } cases[] = {
        {"GET /healthz HTTP/1.0\r\n\r\n", true},
        {"GET /healthz HTTP/1.0\r\nHost: x\r\n\r\n", true},
        {"GET /healthz HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n", true},
        {"GET /healthz HTTP/1.1\r\nHost: x\r\nConnection: keep-alive, Close\r\n\r\n", true},
        {"GET /nowhere HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n", true},
        {"GET /healthz HTTP/1.1\r\nHost: x\r\n\r\n", false},
        {"GET /healthz HTTP/1.1\r\nHost: x\r\nConnection: keep-alive\r\n\r\n", false},
    };
    for (const auto &c : cases) {
        auto socket = Connected(port);
        socket->write(c.request);
        bool closed = false;
        const QByteArray data = ReadUntilClosed(*socket, c.closes ? 5000 : 500, &closed);
        EXPECT_EQ(Statuses(data).size(), 1) << c.request;
        EXPECT_EQ(closed, c.closes) << c.request;
        EXPECT_EQ(data.contains("\r\nConnection: close\r\n"), c.closes) << c.request;
    }
}

// Each request counts its own bytes against the limit, however many more
// wait behind it.
TEST_F(WebConnections, PipelinedRequestsAreAnsweredInOrderEachCountedOnce)
{
    Serve({}, PatientLimits());
    ReceiveTick();
    const QByteArray one = "GET /healthz HTTP/1.1\r\nHost: 127.0.0.1\r\nUser-Agent: pipe\r\n\r\n";
    QByteArray many;
    for (int i = 0; i < 149; ++i)
        many += one;
    many += "GET /nowhere HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
    ASSERT_GT(many.size(), 8 * 1024);
    ASSERT_LT(many.size(), 16 * 1024);
    auto socket = Connected(port);
    socket->write(many);
    const QList<int> statuses = Statuses(ReadUntilClosed(*socket, 10000));
    ASSERT_EQ(statuses.size(), 150);
    EXPECT_EQ(statuses.count(200), 149);
    EXPECT_EQ(statuses.last(), 404) << "in the order sent";
}

TEST_F(WebConnections, AnUpgradeRequestIsAnsweredOnceWithTheSecurityHeaders)
{
    Serve({}, PatientLimits());
    auto socket = Connected(port);
    socket->write("GET / HTTP/1.1\r\nHost: x\r\nConnection: Upgrade\r\nUpgrade: websocket\r\n"
                  "Sec-WebSocket-Version: 13\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n\r\n"
                  "GET /nowhere HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
    const QByteArray data = ReadUntilClosed(*socket, 5000);
    EXPECT_EQ(Statuses(data), QList<int>({200, 404}));
    EXPECT_EQ(data.count("Content-Security-Policy: default-src 'none'"), 2);
    EXPECT_FALSE(data.contains("101 Switching")) << "no upgrade is made";
}

TEST_F(WebConnections, MalformedRequestsAreRefusedAndClosed)
{
    Serve({}, PatientLimits());
    const struct {
        QByteArray raw;
        int status;
    } cases[] = {
        {"GARBAGE\r\n\r\n", 400},
        {"GET healthz HTTP/1.1\r\n\r\n", 400},
        {"GET /healthz HTTP/2.0\r\n\r\n", 505},
        {"GET /healthz HTTP/1.1\r\nHost x\r\n\r\n", 400},
        {"GET /healthz HTTP/1.1\r\nHost: x\r\n folded\r\n\r\n", 400},
        {"GET /healthz HTTP/1.1\r\nHost : x\r\n\r\n", 400},
        {"GET /healthz HTTP/1.1\r\nX: a\rb\r\n\r\n", 400},
        {"GET /healthz HTTP/1.1\r\nContent-Length: 1\r\nContent-Length: 2\r\n\r\nab", 400},
        {"GET /healthz HTTP/1.1\r\nContent-Length: -1\r\n\r\n", 400},
        {"POST /metrics HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n", 501},
    };
    for (const auto &c : cases) {
        auto socket = Connected(port);
        socket->write(c.raw);
        bool closed = false;
        const QByteArray data = ReadUntilClosed(*socket, 5000, &closed);
        EXPECT_EQ(Statuses(data), QList<int>({c.status})) << c.raw.constData();
        EXPECT_TRUE(closed) << c.raw.constData();
    }
}

// A client that sends its headers a line at a time keeps a slot no longer
// than the header limit, although the idle limit is far away.
TEST_F(WebConnections, HeadersMustBeCompleteInTime)
{
    WebLimits limits = PatientLimits();
    limits.headerTimeoutMs = 300;
    Serve({}, limits);
    auto dripping = Connected(port);
    dripping->write("GET /metrics HTTP/1.1\r\n");
    QTimer drip;
    QObject::connect(&drip, &QTimer::timeout, [&] { dripping->write("X: y\r\n"); });
    drip.start(50);
    bool closed = false;
    const QByteArray data = ReadUntilClosed(*dripping, 5000, &closed);
    EXPECT_TRUE(closed);
    EXPECT_TRUE(Statuses(data).isEmpty());
    // Waiting between requests is the idle limit's business, not this one's.
    auto idle = Connected(port);
    ReadUntilClosed(*idle, 600, &closed);
    EXPECT_FALSE(closed);
}

TEST_F(WebConnections, OneAddressHoldsOnlyItsShareAndTheRestIsClosedAtOnce)
{
    WebLimits limits = PatientLimits();
    limits.maxConnectionsPerAddress = 3;
    Serve({}, limits);
    std::vector<std::unique_ptr<QTcpSocket>> held;
    for (int i = 0; i < 3; ++i)
        held.push_back(Connected(port));
    ASSERT_TRUE(waitFor([&] { return server->openConnections() == 3; }));
    auto extra = Connected(port);
    bool closed = false;
    const QByteArray data = ReadUntilClosed(*extra, 5000, &closed);
    EXPECT_TRUE(closed) << "without waiting for a request";
    EXPECT_EQ(Statuses(data), QList<int>({503}));
    EXPECT_TRUE(data.contains("\r\nRetry-After: "));
    held.pop_back();
    ASSERT_TRUE(waitFor([&] { return server->openConnections() == 2; }));
    EXPECT_EQ(Get(port, "/api/v1/status").status, 200);
    held.clear();
    ASSERT_TRUE(waitFor([&] { return server->openConnections() == 0; }));
    const QByteArray metrics = Get(port, "/metrics").body;
    EXPECT_EQ(MetricValue(metrics, "vantor_web_connections_refused_total{reason=\"address\"}"), 1);
    EXPECT_EQ(MetricValue(metrics, "vantor_web_connections_refused_total{reason=\"slots\"}"), 0);
}

// With every slot taken, health checks and metrics still get theirs; pages
// are told to come back, and a connection beyond those is closed at once.
TEST_F(WebConnections, HealthAndMetricsAreAnsweredWhileEverySlotIsTaken)
{
    WebLimits limits = PatientLimits();
    limits.maxConnections = 3;
    limits.healthConnections = 2;
    Serve({}, limits);
    ReceiveTick();
    std::vector<std::unique_ptr<QTcpSocket>> held;
    for (int i = 0; i < 3; ++i)
        held.push_back(Connected(port));
    ASSERT_TRUE(waitFor([&] { return server->openConnections() == 3; }));
    EXPECT_EQ(Get(port, "/healthz").status, 200);
    const HttpReply metrics = Get(port, "/metrics");
    EXPECT_EQ(metrics.status, 200);
    EXPECT_TRUE(metrics.body.contains("vantor_web_connections_open "));
    const HttpReply page = Get(port, "/api/v1/status");
    EXPECT_EQ(page.status, 503);
    EXPECT_EQ(page.header("Retry-After"), "1");
    EXPECT_FALSE(page.header("Content-Security-Policy").isEmpty());

    for (int i = 0; i < 2; ++i)
        held.push_back(Connected(port));
    ASSERT_TRUE(waitFor([&] { return server->openConnections() == 5; }));
    auto beyond = Connected(port);
    bool closed = false;
    EXPECT_EQ(Statuses(ReadUntilClosed(*beyond, 5000, &closed)), QList<int>({503}));
    EXPECT_TRUE(closed);
    held.clear();
    ASSERT_TRUE(waitFor([&] { return server->openConnections() == 0; }));
    EXPECT_EQ(MetricValue(Get(port, "/metrics").body,
                          "vantor_web_connections_refused_total{reason=\"slots\"}"),
              1);
}

// A slot kept for health checks serves one request, sent at once: a client
// beyond the ordinary slots that sends nothing is cut, without an answer, once
// the header limit is over, not at the far idle limit.
TEST_F(WebConnections, AKeptSlotIsHeldForOneRequestOnly)
{
    WebLimits limits = PatientLimits();
    limits.maxConnections = 1;
    limits.healthConnections = 1;
    limits.headerTimeoutMs = 300;
    Serve({}, limits);
    ReceiveTick();
    auto held = Connected(port);
    ASSERT_TRUE(waitFor([&] { return server->openConnections() == 1; }));
    const HttpReply health = Get(port, "/healthz");
    EXPECT_EQ(health.status, 200);
    EXPECT_EQ(health.header("Connection"), "close");
    QElapsedTimer waited;
    waited.start(); // before the server can have accepted, so it cannot time out sooner
    auto idle = Connected(port);
    bool closed = false;
    EXPECT_TRUE(ReadUntilClosed(*idle, 5000, &closed).isEmpty());
    EXPECT_TRUE(closed);
    // Qt's coarse timers may fire up to 5 % early.
    EXPECT_GE(waited.elapsed(), limits.headerTimeoutMs * 95 / 100);
    EXPECT_FALSE(held->state() == QAbstractSocket::UnconnectedState) << "the ordinary slot stays";
}
