#include "http_client.h"

#include "test_support.h"

#include <QHostAddress>
#include <QTcpSocket>

namespace vantor::test {

namespace {
// Whether data holds one whole answer; its parts when it does.
bool Parse(const QByteArray &data, bool closed, HttpReply &reply)
{
    const qsizetype end = data.indexOf("\r\n\r\n");
    if (end < 0)
        return false;
    reply.headers = data.left(end + 2);
    reply.status = data.mid(9, 3).toInt();
    const QByteArray length = reply.header("Content-Length");
    const QByteArray rest = data.mid(end + 4);
    if (length.isEmpty()) {
        reply.body = rest;
        return closed;
    }
    if (rest.size() < length.toLongLong())
        return false;
    reply.body = rest.left(length.toLongLong());
    return true;
}
} // namespace

QByteArray HttpReply::header(const QByteArray &name) const
{
    for (const QByteArray &line : headers.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().toLower() == name.toLower())
            return line.mid(colon + 1).trimmed();
    }
    return {};
}

HttpReply Exchange(quint16 port, const QByteArray &raw, int timeoutMs)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    HttpReply reply;
    if (!waitFor([&] { return socket.state() == QAbstractSocket::ConnectedState; }, timeoutMs))
        return reply;
    socket.write(raw);
    QByteArray data;
    waitFor(
        [&] {
            data += socket.readAll();
            const bool closed = socket.state() == QAbstractSocket::UnconnectedState;
            return Parse(data, closed, reply) || closed;
        },
        timeoutMs);
    return reply;
}

HttpReply Get(quint16 port, const QByteArray &path, const QList<QByteArray> &headers)
{
    return Send(port, "GET", path, headers);
}

HttpReply Send(quint16 port, const QByteArray &method, const QByteArray &path,
               const QList<QByteArray> &headers, const QByteArray &body)
{
    QByteArray raw = method + ' ' + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    for (const QByteArray &h : headers)
        raw += h + "\r\n";
    if (!body.isEmpty() || method == "POST")
        raw += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    return Exchange(port, raw + "\r\n" + body);
}

qint64 MetricValue(const QByteArray &text, const QByteArray &series)
{
    for (const QByteArray &line : text.split('\n')) {
        if (line.startsWith(QByteArray(series + ' ')))
            return line.mid(series.size() + 1).toLongLong();
    }
    return -1;
}

} // namespace vantor::test
