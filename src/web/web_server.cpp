#include "web_server.h"

#include "access_token.h"
#include "engine.h"
#include "guarded_tcp_server.h"
#include "metrics_text.h"
#include "picture_saves.h"
#include "process_figures.h"
#include "status_json.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QRegularExpression>
#include <QUrlQuery>

#include <algorithm>

namespace vantor {

using Status = QHttpServerResponder::StatusCode;

struct WebServer::Reply {
    Status status = Status::Ok;
    QByteArray type = "text/plain; charset=utf-8";
    QByteArray body;
};

namespace {

// Nothing but this server's own script, style and pictures; no frames, no
// forms, no plug-ins.
const QByteArray ContentSecurityPolicy =
    "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self'; "
    "connect-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'";

// The page and its parts, built into the program; the request's path only
// picks one of these names.
struct PagePart {
    const char *path;
    const char *resource;
    const char *type;
};
const std::array<PagePart, 3> PageParts = {{
    {"/", ":/web/status_page.html", "text/html; charset=utf-8"},
    {"/status_page.js", ":/web/status_page.js", "text/javascript; charset=utf-8"},
    {"/status_page.css", ":/web/status_page.css", "text/css; charset=utf-8"},
}};

QByteArray Resource(const char *name)
{
    QFile file{QString::fromLatin1(name)};
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int SizeParameter(const QUrlQuery &query, const char *name, int fallback, int limit)
{
    bool ok = false;
    const int value = query.queryItemValue(QLatin1String(name)).toInt(&ok);
    return ok ? std::clamp(value, 16, limit) : fallback;
}

QByteArray Png(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    // Light compression: a chart of flat colours shrinks well at once, and the
    // event loop is not held for the last few per cent.
    image.save(&buffer, "PNG", 80);
    return bytes;
}

} // namespace

WebServer::WebServer(Engine &engine, const QByteArray &token, const WebLimits &limits,
                     QObject *parent)
    : QAbstractHttpServer(parent), m_engine(engine), m_token(token), m_limits(limits)
{}

quint16 WebServer::start(const QHostAddress &address, quint16 port, QString *error)
{
    auto *listener = new GuardedTcpServer(m_limits, this);
    if (!listener->listen(address, port)) {
        *error = listener->errorString();
        delete listener;
        return 0;
    }
    m_listener = listener;
    bind(listener);
    return listener->serverPort();
}

int WebServer::openConnections() const
{
    return m_listener ? m_listener->openConnections() : 0;
}

bool WebServer::handleRequest(const QHttpServerRequest &request, QTcpSocket *socket)
{
    QElapsedTimer spent;
    spent.start();
    Reply reply;
    if (!m_token.isEmpty() && !TokenAccepted(request.value("Authorization"), m_token))
        reply = {Status::Unauthorized, "text/plain; charset=utf-8", "Unauthorized\n"};
    else if (request.method() != QHttpServerRequest::Method::Get)
        reply = {Status::MethodNotAllowed, "text/plain; charset=utf-8", "Only GET\n"};
    else
        reply = Answer(request);
    QHttpServerResponder responder = makeResponder(request, socket);
    responder.writeStatusLine(reply.status);
    responder.writeHeader("Content-Type", reply.type);
    responder.writeHeader("Content-Length", QByteArray::number(reply.body.size()));
    responder.writeHeader("Content-Security-Policy", ContentSecurityPolicy);
    responder.writeHeader("X-Content-Type-Options", "nosniff");
    responder.writeHeader("Referrer-Policy", "no-referrer");
    responder.writeHeader("Cache-Control", "no-store");
    if (reply.status == Status::Unauthorized) {
        // Scrapers send a bearer token; a browser shows a login box for Basic.
        responder.writeHeader("WWW-Authenticate", "Bearer");
        responder.writeHeader("WWW-Authenticate", "Basic realm=\"Vantor\", charset=\"UTF-8\"");
    }
    responder.writeBody(reply.body);
    ++m_answered;
    const double ms = static_cast<double>(spent.nsecsElapsed()) * 1e-6;
    m_answerMsTotal += ms;
    if (ms > m_answerMsLongest) {
        m_answerMsLongest = ms;
        m_answerLongestPath = request.url().path().toUtf8();
    }
    return true;
}

void WebServer::missingHandler(const QHttpServerRequest &request, QTcpSocket *socket)
{
    makeResponder(request, socket).write(Status::NotFound);
}

WebServer::Reply WebServer::Answer(const QHttpServerRequest &request)
{
    const QString path = request.url().path(QUrl::FullyDecoded);
    for (const PagePart &part : PageParts) {
        if (path == QLatin1String(part.path))
            return {Status::Ok, part.type, Resource(part.resource)};
    }
    if (path == QLatin1String("/api/v1/status"))
        return {Status::Ok, "application/json", StatusJson(m_engine)};
    if (path == QLatin1String("/metrics"))
        return {Status::Ok, "text/plain; version=0.0.4; charset=utf-8",
                MetricsText(m_engine, ReadProcessFigures())};
    if (path == QLatin1String("/healthz")) {
        const qint64 age = m_engine.MsSinceReceiveTick();
        if (age >= 0 && age < m_limits.healthStaleMs)
            return {Status::Ok, "text/plain; charset=utf-8", "ok\n"};
        return {Status::ServiceUnavailable, "text/plain; charset=utf-8",
                "the receive tick has stopped\n"};
    }
    if (path.startsWith(QLatin1String("/device/")))
        return Picture(path, request);
    return {Status::NotFound, "text/plain; charset=utf-8", "Not found\n"};
}

// /device/N/histogram.png and /device/N/graph/COLUMN.png (COLUMN a column
// name such as "MAX Hold", or its number), with optional width and height.
WebServer::Reply WebServer::Picture(const QString &path, const QHttpServerRequest &request)
{
    static const QRegularExpression pattern(
        QStringLiteral("^/device/(\\d{1,6})/(?:(histogram)|graph/([^/]{1,40}))\\.png$"));
    const QRegularExpressionMatch match = pattern.match(path);
    const Reply missing{Status::NotFound, "text/plain; charset=utf-8", "Not found\n"};
    if (!match.hasMatch())
        return missing;
    const int device = match.captured(1).toInt();
    if (m_engine.InvalidDevice(device))
        return missing;
    const QUrlQuery query = request.query();
    const int side = m_limits.maxPictureSide;
    const TDevice &d = m_engine.Devices[device];
    QImage image;
    if (match.capturedLength(2) > 0) {
        image = HistogramPicture(d, m_engine.HistogramPictureOptions(),
                                 SizeParameter(query, "width", 480, side),
                                 SizeParameter(query, "height", 300, side));
    } else {
        const QString name = match.captured(3);
        bool numeric = false;
        int column = name.toInt(&numeric);
        if (!numeric)
            column = GetTableColumn(name);
        if (column < 0 || column >= ColumnCount)
            return missing;
        image = GraphPicture(d, m_engine.GraphPictureOptions(column),
                             SizeParameter(query, "width", 600, side),
                             SizeParameter(query, "height", 300, side));
    }
    return {Status::Ok, "image/png", Png(image)};
}

} // namespace vantor
