// Reading one HTTP/1.1 request from the bytes a client has sent so far,
// strictly: a request line with an absolute path, header lines of a name and
// a value, and a body only by Content-Length. Anything else is refused with
// the status to answer, never guessed at.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QPair>
#include <QString>

namespace vantor {

struct HttpRequest {
    QByteArray method;
    QByteArray target; // as sent: path and query
    QByteArray path;   // the target up to "?", still percent-encoded
    QByteArray query;  // after "?", without it
    int minorVersion = 1;
    QList<QPair<QByteArray, QByteArray>> headers; // names in lower case
    QByteArray body;
    QString peer; // the client's address, as the connection saw it

    // The first header of that name (lower case), empty when none.
    QByteArray Header(QByteArrayView name) const;
    // Whether the connection ends after this request's answer: HTTP/1.0, or
    // "Connection: close".
    bool ClosesConnection() const;
};

struct HttpParse {
    enum class Outcome {
        Incomplete, // more bytes are needed
        Complete,   // request holds a whole request of length bytes
        Refused,    // the bytes are no request this server takes: answer status, then close
    };
    Outcome outcome = Outcome::Incomplete;
    int status = 0;            // when Refused: 400, 413, 431, 501 or 505
    qsizetype length = 0;      // when Complete: the bytes the request took
    bool headComplete = false; // the request line and headers are all in
    HttpRequest request;
};

// Reads the request at the start of data; the bytes after it (a pipelined
// next request) are left alone and never counted. One request, head and
// body, may take at most maxBytes.
HttpParse ParseHttpRequest(QByteArrayView data, qsizetype maxBytes);

} // namespace vantor
