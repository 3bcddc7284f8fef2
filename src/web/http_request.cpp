#include "http_request.h"

#include <cstring>

namespace vantor {

namespace {

// More header lines than any client needs; a flood of short lines is cut here.
constexpr int MaxHeaderLines = 100;

bool IsTokenChar(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') ||
           (u != 0 && std::strchr("!#$%&'*+-.^_`|~", c) != nullptr);
}

bool IsToken(QByteArrayView text)
{
    if (text.isEmpty())
        return false;
    for (const char c : text) {
        if (!IsTokenChar(c))
            return false;
    }
    return true;
}

// Visible characters, blanks, tabs and bytes above ASCII (kept as they are);
// no other control characters.
bool IsFieldValue(QByteArrayView text)
{
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && c != '\t') || u == 0x7f)
            return false;
    }
    return true;
}

bool IsTarget(QByteArrayView text)
{
    if (text.isEmpty() || text.front() != '/')
        return false;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u >= 0x7f)
            return false;
    }
    return true;
}

QByteArrayView Trimmed(QByteArrayView text)
{
    while (!text.isEmpty() && (text.front() == ' ' || text.front() == '\t'))
        text = text.sliced(1);
    while (!text.isEmpty() && (text.back() == ' ' || text.back() == '\t'))
        text.chop(1);
    return text;
}

HttpParse Refuse(int status)
{
    HttpParse parse;
    parse.outcome = HttpParse::Outcome::Refused;
    parse.status = status;
    return parse;
}

// "METHOD /target HTTP/1.x"; 0 when it is one, else the status to refuse with.
int ReadRequestLine(QByteArrayView line, HttpRequest &request)
{
    const qsizetype first = line.indexOf(' ');
    const qsizetype last = line.lastIndexOf(' ');
    if (first <= 0 || last <= first + 1)
        return 400;
    const QByteArrayView method = line.first(first);
    const QByteArrayView target = line.sliced(first + 1, last - first - 1);
    const QByteArrayView version = line.sliced(last + 1);
    if (!IsToken(method) || !IsTarget(target))
        return 400;
    if (version.size() != 8 || !version.startsWith("HTTP/") || version[6] != '.' ||
        version[5] < '0' || version[5] > '9' || version[7] < '0' || version[7] > '9')
        return 400;
    if (version[5] != '1' || (version[7] != '0' && version[7] != '1'))
        return 505;
    request.method = method.toByteArray();
    request.target = target.toByteArray();
    const qsizetype question = target.indexOf('?');
    request.path = question < 0 ? request.target : target.first(question).toByteArray();
    request.query = question < 0 ? QByteArray() : target.sliced(question + 1).toByteArray();
    request.minorVersion = version[7] - '0';
    return 0;
}

// "Name: value"; 0 when it is one, else the status to refuse with.
int ReadHeaderLine(QByteArrayView line, HttpRequest &request)
{
    const qsizetype colon = line.indexOf(':');
    // A line folded onto the one before, or a blank before the colon, is
    // where requests are smuggled past other servers.
    if (colon <= 0 || !IsToken(line.first(colon)))
        return 400;
    const QByteArrayView value = Trimmed(line.sliced(colon + 1));
    if (!IsFieldValue(value))
        return 400;
    request.headers.append({line.first(colon).toByteArray().toLower(), value.toByteArray()});
    return 0;
}

// The body's length by Content-Length (every copy alike), 0 without one, -1
// when it is no length.
qint64 BodyLength(const HttpRequest &request)
{
    qint64 length = -2;
    for (const auto &[name, value] : request.headers) {
        if (name != "content-length")
            continue;
        if (value.isEmpty() || value.size() > 15)
            return -1;
        qint64 n = 0;
        for (const char c : value) {
            if (c < '0' || c > '9')
                return -1;
            n = n * 10 + (c - '0');
        }
        if (length != -2 && length != n)
            return -1;
        length = n;
    }
    return length == -2 ? 0 : length;
}

} // namespace

QByteArray HttpRequest::Header(QByteArrayView name) const
{
    for (const auto &[key, value] : headers) {
        if (key == name)
            return value;
    }
    return {};
}

bool HttpRequest::ClosesConnection() const
{
    if (minorVersion == 0)
        return true;
    for (const auto &[name, value] : headers) {
        if (name != "connection")
            continue;
        for (const QByteArray &option : value.split(',')) {
            if (option.trimmed().compare("close", Qt::CaseInsensitive) == 0)
                return true;
        }
    }
    return false;
}

HttpParse ParseHttpRequest(QByteArrayView data, qsizetype maxBytes)
{
    HttpParse parse;
    HttpRequest &request = parse.request;
    qsizetype at = 0;
    // Empty lines before a request are left over from the one before.
    while (at < data.size() && (data[at] == '\r' || data[at] == '\n') && at < 4)
        ++at;
    bool requestLine = true;
    int headerLines = 0;
    for (;;) {
        const qsizetype end = data.indexOf('\n', at);
        if (end < 0) {
            if (data.size() > maxBytes)
                return Refuse(413);
            return parse;
        }
        if (end + 1 > maxBytes)
            return Refuse(413);
        QByteArrayView line = data.sliced(at, end - at);
        if (line.endsWith('\r'))
            line.chop(1);
        at = end + 1;
        if (line.contains('\r'))
            return Refuse(400);
        if (requestLine) {
            if (const int status = ReadRequestLine(line, request))
                return Refuse(status);
            requestLine = false;
            continue;
        }
        if (line.isEmpty())
            break;
        if (++headerLines > MaxHeaderLines)
            return Refuse(431);
        if (const int status = ReadHeaderLine(line, request))
            return Refuse(status);
    }
    parse.headComplete = true;
    // A body in chunks is not taken: nothing here needs one, and its framing
    // is a second way to tell where a request ends.
    if (!request.Header("transfer-encoding").isEmpty())
        return Refuse(501);
    const qint64 body = BodyLength(request);
    if (body < 0)
        return Refuse(400);
    if (body > maxBytes - at)
        return Refuse(413);
    if (data.size() - at < body)
        return parse;
    request.body = data.sliced(at, body).toByteArray();
    parse.outcome = HttpParse::Outcome::Complete;
    parse.length = at + body;
    return parse;
}

} // namespace vantor
