#include "http_answer.h"

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
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 408:
        return "Request Timeout";
    case 413:
        return "Content Too Large";
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

QByteArray AnswerBytes(const HttpAnswer &answer, bool close)
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
    bytes += answer.body;
    return bytes;
}

} // namespace vantor
