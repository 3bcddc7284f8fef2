#include "web_server.h"

#include "access_token.h"
#include "engine.h"
#include "metrics_text.h"
#include "picture_drawer.h"
#include "picture_job.h"
#include "process_figures.h"
#include "status_json.h"
#include "web_connection.h"
#include "web_listener.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

#include <algorithm>
#include <array>

namespace vantor {

namespace {

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

// Busy: come back in a second, when a slot or the drawing queue has room.
HttpAnswer Unavailable(const QByteArray &why)
{
    HttpAnswer answer = HttpAnswer::Text(503, why);
    answer.headers.emplaceBack("Retry-After", "1");
    return answer;
}

void Counter(QByteArray &text, const char *name, const char *help, const QByteArray &labels,
             qint64 value, bool first)
{
    if (first)
        text += QByteArray("# HELP ") + name + ' ' + help + "\n# TYPE " + name + " counter\n";
    text += name + labels + ' ' + QByteArray::number(value) + '\n';
}

} // namespace

WebServer::WebServer(Engine &engine, const QByteArray &token, const WebLimits &limits,
                     QObject *parent)
    : QObject(parent), m_engine(engine), m_token(token), m_limits(limits),
      m_listener(new WebListener(
          limits,
          [this](QTcpSocket *socket, bool healthOnly) {
              new WebConnection(socket, m_limits, healthOnly,
                                [this, healthOnly](const HttpRequest &request,
                                                   std::function<void(HttpAnswer)> answered) {
                                    respond(request, healthOnly, answered);
                                });
          },
          this)),
      m_drawer(new PictureDrawer(limits, this))
{}

WebServer::~WebServer() = default;

quint16 WebServer::start(const QHostAddress &address, quint16 port, QString *error)
{
    if (!m_listener->listen(address, port)) {
        *error = m_listener->errorString();
        return 0;
    }
    return m_listener->serverPort();
}

void WebServer::takeConnection(qintptr descriptor)
{
    m_listener->Take(descriptor);
}

int WebServer::openConnections() const
{
    return m_listener->OpenConnections();
}

int WebServer::picturesWaiting() const
{
    return m_drawer->PicturesWaiting();
}

qint64 WebServer::picturesDrawn() const
{
    return m_drawer->PicturesDrawn();
}

qint64 WebServer::picturesRefused() const
{
    return m_drawer->PicturesRefused();
}

void WebServer::respond(const HttpRequest &request, bool healthOnly,
                        const std::function<void(HttpAnswer)> &answered)
{
    QElapsedTimer spent;
    spent.start();
    const QString path = QUrl::fromPercentEncoding(request.path);
    const bool authorized =
        m_token.isEmpty() || TokenAccepted(request.Header("authorization"), m_token);
    const bool picture = authorized && request.method == "GET" && !healthOnly &&
                         path.startsWith(QLatin1String("/device/")) &&
                         Picture(path, request, answered);
    if (!picture)
        answered(Answer(request, healthOnly));
    ++m_answered;
    const double ms = static_cast<double>(spent.nsecsElapsed()) * 1e-6;
    m_answerMsTotal += ms;
    if (ms > m_answerMsLongest) {
        m_answerMsLongest = ms;
        m_answerLongestPath = request.path;
    }
}

HttpAnswer WebServer::Answer(const HttpRequest &request, bool healthOnly)
{
    if (!m_token.isEmpty() && !TokenAccepted(request.Header("authorization"), m_token)) {
        HttpAnswer answer = HttpAnswer::Text(401, "Unauthorized");
        // Scrapers send a bearer token; a browser shows a login box for Basic.
        answer.headers.emplaceBack("WWW-Authenticate", "Bearer");
        answer.headers.emplaceBack("WWW-Authenticate", "Basic realm=\"Vantor\", charset=\"UTF-8\"");
        return answer;
    }
    if (request.method != "GET")
        return HttpAnswer::Text(405, "Only GET");
    const QString path = QUrl::fromPercentEncoding(request.path);
    const bool health = path == QLatin1String("/healthz");
    const bool metrics = path == QLatin1String("/metrics");
    if (healthOnly && !health && !metrics)
        return Unavailable("Too many connections");
    if (health) {
        const qint64 age = m_engine.MsSinceReceiveTick();
        if (age >= 0 && age < m_limits.healthStaleMs)
            return HttpAnswer::Text(200, "ok");
        return HttpAnswer::Text(503, "the receive tick has stopped");
    }
    if (metrics)
        return {200, "text/plain; version=0.0.4; charset=utf-8", Metrics(), {}};
    if (path == QLatin1String("/api/v1/status"))
        return {200, "application/json", StatusJson(m_engine), {}};
    for (const PagePart &part : PageParts) {
        if (path == QLatin1String(part.path))
            return {200, part.type, Resource(part.resource), {}};
    }
    return HttpAnswer::Text(404, "Not found");
}

// /device/N/histogram.png and /device/N/graph/COLUMN.png (COLUMN a column
// name such as "MAX Hold", or its number), with optional width and height.
bool WebServer::Picture(const QString &path, const HttpRequest &request,
                        const std::function<void(HttpAnswer)> &answered)
{
    static const QRegularExpression pattern(
        QStringLiteral("^/device/(\\d{1,6})/(?:(histogram)|graph/([^/]{1,40}))\\.png$"));
    const QRegularExpressionMatch match = pattern.match(path);
    if (!match.hasMatch())
        return false;
    const int device = match.captured(1).toInt();
    if (m_engine.InvalidDevice(device))
        return false;
    const QUrlQuery query(QString::fromLatin1(request.query));
    const int side = m_limits.maxPictureSide;
    PictureJob job;
    job.histogram = match.capturedLength(2) > 0;
    if (job.histogram) {
        job.histogramOptions = m_engine.HistogramPictureOptions();
        job.width = SizeParameter(query, "width", 480, side);
        job.height = SizeParameter(query, "height", 300, side);
    } else {
        const QString name = match.captured(3);
        bool numeric = false;
        int column = name.toInt(&numeric);
        if (!numeric)
            column = GetTableColumn(name);
        if (column < 0 || column >= ColumnCount)
            return false;
        job.graphOptions = m_engine.GraphPictureOptions(column);
        job.width = SizeParameter(query, "width", 600, side);
        job.height = SizeParameter(query, "height", 300, side);
    }
    const TDevice &data = m_engine.Devices[device];
    const auto outcome = m_drawer->Request(
        PictureKey(device, data, job),
        [&] {
            CopyPictureData(data, job);
            return job;
        },
        [answered](const QByteArray &png) {
            answered(png.isEmpty() ? HttpAnswer::Text(500, "No picture")
                                   : HttpAnswer{200, "image/png", png, {}});
        });
    if (outcome == PictureDrawer::Outcome::Busy)
        answered(Unavailable("Pictures are being drawn; try again"));
    return true;
}

QByteArray WebServer::Metrics()
{
    QByteArray text = MetricsText(m_engine, ReadProcessFigures(),
                                  m_webhooks ? m_webhooks->Totals() : WebhookTotals{});
    const char *refused = "vantor_web_connections_refused_total";
    const char *help = "Web connections closed at once: every slot taken, the address at its "
                       "limit, or the file handles left kept for the logs.";
    const std::array<const char *, WebListener::RefusalCount> reasons{"slots", "address",
                                                                      "handles"};
    for (int r = 0; r < WebListener::RefusalCount; ++r)
        Counter(text, refused, help,
                QByteArray("{reason=\"") + reasons[static_cast<size_t>(r)] + "\"}",
                m_listener->Refused(static_cast<WebListener::Refusal>(r)), r == 0);
    text += "# HELP vantor_web_connections_open Web connections open now.\n"
            "# TYPE vantor_web_connections_open gauge\nvantor_web_connections_open " +
            QByteArray::number(openConnections()) + '\n';
    text += "# HELP vantor_web_pictures_waiting Pictures asked for and not yet drawn.\n"
            "# TYPE vantor_web_pictures_waiting gauge\nvantor_web_pictures_waiting " +
            QByteArray::number(picturesWaiting()) + '\n';
    Counter(text, "vantor_web_pictures_drawn_total", "Pictures drawn for web clients.", {},
            picturesDrawn(), true);
    Counter(text, "vantor_web_pictures_refused_total",
            "Pictures answered 503 because the drawing queue was full.", {}, picturesRefused(),
            true);
    return text;
}

} // namespace vantor
