#include "http_answer.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace vantor {

namespace {

// Nothing but this server's own script, style and pictures; no frames, no
// forms, no plug-ins.
const QByteArray ContentSecurityPolicy =
    "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self'; "
    "connect-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'";

const char *Reason(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 204:
        return "No Content";
    case 303:
        return "See Other";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 408:
        return "Request Timeout";
    case 409:
        return "Conflict";
    case 413:
        return "Content Too Large";
    case 415:
        return "Unsupported Media Type";
    case 429:
        return "Too Many Requests";
    case 431:
        return "Request Header Fields Too Large";
    case 501:
        return "Not Implemented";
    case 503:
        return "Service Unavailable";
    case 505:
        return "HTTP Version Not Supported";
    default:
        return "Error";
    }
}

} // namespace

HttpAnswer HttpAnswer::Text(int status, const QByteArray &text)
{
    return {status, "text/plain; charset=utf-8", text + '\n', {}};
}

HttpAnswer HttpAnswer::JsonError(int status, const QString &text)
{
    return {
        status,
        "application/json",
        QJsonDocument(QJsonObject{{QStringLiteral("error"), text}}).toJson(QJsonDocument::Compact),
        {}};
}

QByteArray AnswerBytes(const HttpAnswer &answer, bool close, bool withBody)
{
    QByteArray bytes;
    bytes.reserve(answer.body.size() + 512);
    bytes += "HTTP/1.1 " + QByteArray::number(answer.status) + ' ' + Reason(answer.status) +
             "\r\nContent-Type: " + answer.type +
             "\r\nContent-Length: " + QByteArray::number(answer.body.size()) +
             "\r\nContent-Security-Policy: " + ContentSecurityPolicy +
             "\r\nX-Content-Type-Options: nosniff\r\nReferrer-Policy: no-referrer"
             "\r\nCache-Control: no-store\r\n";
    for (const auto &[name, value] : answer.headers)
        bytes += name + ": " + value + "\r\n";
    if (close)
        bytes += "Connection: close\r\n";
    bytes += "\r\n";
    if (withBody)
        bytes += answer.body;
    return bytes;
}

} // namespace vantor
