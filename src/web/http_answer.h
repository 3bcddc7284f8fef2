// One answer of the web server and its bytes on the wire. Every answer, the
// refusals included, carries the same security headers.
#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

namespace vantor {

struct HttpAnswer {
    int status = 200;
    QByteArray type = "text/plain; charset=utf-8";
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers; // besides the usual ones

    // A short text answer, such as 404 "Not found".
    static HttpAnswer Text(int status, const QByteArray &text);
    // {"error": text}, for the JSON endpoints.
    static HttpAnswer JsonError(int status, const QString &text);
};

// The status line, headers and body; "Connection: close" when the server
// closes after it. The answer to HEAD has the headers of the answer to GET,
// its Content-Length included, and no body.
QByteArray AnswerBytes(const HttpAnswer &answer, bool close, bool withBody = true);

} // namespace vantor
