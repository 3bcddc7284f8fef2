// The web server's request handling on what a hostile client sends: the input
// is the byte stream of one connection, handed to the server through a
// socket pair the way an accepted connection is, and written in pieces. The
// first byte chooses the piece size and whether the server wants a token.
// Every answer the server writes must be whole: a status line, the security
// headers and a body of its Content-Length.
#include "fuzz_station.h"
#include "web_server.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QThread>

#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace vantor;
using namespace vantor::fuzz;

namespace {

QGuiApplication &Application()
{
    static int argc = 1;
    static char name[] = "vantor-fuzz";
    static char *argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(argc, argv);
    return app;
}

WebServer &Server(bool token)
{
    WebLimits limits;
    limits.maxPictureSide = 48; // any picture is drawn in a moment
    limits.pictureMsPerSecond = 1000;
    static WebServer *open = new WebServer(FuzzStation::Instance().engine, QByteArray(), limits);
    static WebServer *guarded = new WebServer(FuzzStation::Instance().engine, "t0k3n", limits);
    return token ? *guarded : *open;
}

void RunEvents(int rounds)
{
    for (int i = 0; i < rounds; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void Drain(int fd, QByteArray &out)
{
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0)
            return;
        out.append(buffer, n);
    }
}

// Aborts unless out is a run of whole answers, perhaps the last one cut
// short where the server was still writing.
void CheckAnswers(const QByteArray &out)
{
    qsizetype at = 0;
    while (at < out.size()) {
        const QByteArrayView statusLine("HTTP/1.1 ");
        if (!statusLine.startsWith(out.sliced(at, std::min(statusLine.size(), out.size() - at))))
            std::abort();
        const qsizetype end = out.indexOf("\r\n\r\n", at);
        if (end < 0)
            return;
        const QByteArray head = out.mid(at, end - at);
        if (!head.contains("\r\nContent-Security-Policy: default-src 'none';"))
            std::abort();
        const qsizetype length = head.indexOf("\r\nContent-Length: ");
        if (length < 0)
            std::abort();
        const qsizetype lineEnd = head.indexOf('\r', length + 2);
        bool ok = false;
        const qint64 size =
            head.mid(length + 18, (lineEnd < 0 ? head.size() : lineEnd) - length - 18)
                .toLongLong(&ok);
        if (!ok || size < 0)
            std::abort();
        at = end + 4 + size;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    Application();
    FuzzStation &station = FuzzStation::Instance();
    station.Reset();
    WebServer &server = Server(data[0] & 1);
    const std::size_t piece = (data[0] >> 1) * 16 + 1;

    int pair[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, pair) != 0)
        std::abort();
    server.takeConnection(pair[0]);
    QByteArray out;
    for (std::size_t at = 1; at < size; at += piece) {
        const std::size_t n = std::min(piece, size - at);
        // What the server does not take now (its buffers are full) is not
        // sent: a client cannot make it read more than it wants to.
        if (send(pair[1], data + at, n, MSG_NOSIGNAL) < 0)
            break;
        RunEvents(3);
        Drain(pair[1], out);
    }
    // Time for the last answers, pictures included, before the client goes.
    QElapsedTimer waited;
    waited.start();
    for (qsizetype seen = -1;
         (seen != out.size() || server.picturesWaiting() > 0) && waited.elapsed() < 5000;) {
        seen = out.size();
        RunEvents(5);
        QThread::msleep(2);
        RunEvents(5);
        Drain(pair[1], out);
    }
    close(pair[1]);
    while (server.openConnections() > 0 && waited.elapsed() < 5000)
        RunEvents(1);
    if (server.openConnections() > 0)
        std::abort();
    CheckAnswers(out);
    return 0;
}
