// A plain HTTP/1.1 client on a real socket for the web server's tests: raw
// bytes out, one parsed answer back, waiting on the event loop so a server in
// the same thread keeps running.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPair>

namespace vantor::test {

struct HttpReply {
    int status = 0; // 0: no answer
    QByteArray headers;
    QByteArray body;

    QByteArray header(const QByteArray &name) const;
    QImage image() const { return QImage::fromData(body); }
};

// Sends raw as it is and reads one answer (its Content-Length, or up to the
// close).
HttpReply Exchange(quint16 port, const QByteArray &raw, int timeoutMs = 5000);

// A GET of path with the given extra header lines ("Name: value").
HttpReply Get(quint16 port, const QByteArray &path, const QList<QByteArray> &headers = {});

// A request of that method with the header lines and body (its
// Content-Length added).
HttpReply Send(quint16 port, const QByteArray &method, const QByteArray &path,
               const QList<QByteArray> &headers = {}, const QByteArray &body = {});

// The value of a series, with its labels as written, in a /metrics text; -1
// when it is not there.
qint64 MetricValue(const QByteArray &text, const QByteArray &series);

} // namespace vantor::test
