#include "web_server.h"

#include "device_actions.h"
#include "engine.h"
#include "metrics_text.h"
#include "overview_json.h"
#include "password_hash.h"
#include "picture_drawer.h"
#include "picture_job.h"
#include "process_figures.h"
#include "status_json.h"
#include "web_connection.h"
#include "web_listener.h"
#include "web_records.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

#include <algorithm>
#include <array>
#include <optional>

namespace vantor {

namespace {

// The pages and their parts, built into the program; the request's path only
// picks one of these names. Open ones need no credentials: the login page
// and what it is drawn with.
// A page (one with a title) is its body set into the frame all pages share.
struct PagePart {
    const char *path;
    const char *resource;
    const char *type;
    bool open;
    const char *title = nullptr;
};
const char *const Html = "text/html; charset=utf-8";
const char *const Script = "text/javascript; charset=utf-8";
const std::array<PagePart, 10> PageParts = {{
    {"/", ":/web/overview.html", Html, false, "Vantor station — overview"},
    {"/overview.js", ":/web/overview.js", Script, false},
    {"/alarms", ":/web/alarms.html", Html, false, "Vantor station — alarm history"},
    {"/alarms.js", ":/web/alarms.js", Script, false},
    {"/status_page.js", ":/web/status_page.js", Script, false},
    {"/controls.js", ":/web/controls.js", Script, false},
    {"/common.js", ":/web/common.js", Script, true},
    {"/status_page.css", ":/web/status_page.css", "text/css; charset=utf-8", true},
    {"/login", ":/web/login.html", Html, true, "Vantor station — log in"},
    {"/login.js", ":/web/login.js", Script, true},
}};
const PagePart DevicePage{"/device/", ":/web/status_page.html", Html, false, "Vantor station"};

const QRegularExpression DevicePagePattern(QStringLiteral("^/device/(\\d{1,6})$"));
const QRegularExpression
    ActionPattern(QStringLiteral("^/api/v1/devices/(\\d{1,6})/actions/([a-z-]{1,20})$"));
const QString LogoutPath = QStringLiteral("/api/v1/logout");

const PagePart *FindPart(const QString &path)
{
    for (const PagePart &part : PageParts) {
        if (path == QLatin1String(part.path))
            return &part;
    }
    return nullptr;
}

std::optional<QByteArray> ReadResource(const char *name)
{
    QFile file{QString::fromLatin1(name)};
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

HttpAnswer Resource(const PagePart &part)
{
    std::optional<QByteArray> content = ReadResource(part.resource);
    if (content && part.title) {
        const std::optional<QByteArray> frame = ReadResource(":/web/page.html");
        content =
            frame
                ? std::optional(
                      QByteArray(*frame).replace("@TITLE@", part.title).replace("@BODY@", *content))
                : std::nullopt;
    }
    if (!content)
        return HttpAnswer::Text(500, "Missing part");
    return {200, part.type, *content, {}};
}

HttpAnswer MethodNotAllowed(const QByteArray &allowed)
{
    HttpAnswer answer = HttpAnswer::Text(405, "Only " + allowed);
    answer.headers.emplaceBack("Allow", allowed);
    return answer;
}

bool IsGet(const HttpRequest &request)
{
    return request.method == "GET" || request.method == "HEAD";
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

void Gauge(QByteArray &text, const char *name, const char *help, qint64 value)
{
    text += QByteArray("# HELP ") + name + ' ' + help + "\n# TYPE " + name + " gauge\n" + name +
            ' ' + QByteArray::number(value) + '\n';
}

WebSignInSetup TokenSetup(const Engine &engine, const QByteArray &token)
{
    WebSignInSetup setup;
    setup.token = token;
    setup.usersFile = QDir(engine.FolderPaths().DataFolder).filePath(WebUsersFileName);
    return setup;
}

} // namespace

WebServer::WebServer(Engine &engine, WebSignInSetup setup, const WebLimits &limits, QObject *parent)
    : QObject(parent), m_engine(engine), m_limits(limits),
      m_signIn(new WebSignIn(
          engine.clock(), std::move(setup),
          [&engine](const QString &line) { engine.AddToActivityLog(-1, line); }, this)),
      m_listener(new WebListener(
          limits,
          [this](QTcpSocket *socket, bool healthOnly) {
              new WebConnection(socket, m_limits, healthOnly,
                                [this, healthOnly](const HttpRequest &request, Answered answered) {
                                    respond(request, healthOnly, answered);
                                });
          },
          this)),
      m_drawer(new PictureDrawer(limits, this))
{}

WebServer::WebServer(Engine &engine, const QByteArray &token, const WebLimits &limits,
                     QObject *parent)
    : WebServer(engine, TokenSetup(engine, token), limits, parent)
{}

WebServer::~WebServer() = default;

void WebServer::useTls(const QSslConfiguration &configuration)
{
    m_listener->UseTls(configuration);
    m_signIn->SetSecure();
}

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

void WebServer::respond(const HttpRequest &request, bool healthOnly, const Answered &answered)
{
    QElapsedTimer spent;
    spent.start();
    Route(request, healthOnly, answered);
    ++m_answered;
    const double ms = static_cast<double>(spent.nsecsElapsed()) * 1e-6;
    m_answerMsTotal += ms;
    if (ms > m_answerMsLongest) {
        m_answerMsLongest = ms;
        m_answerLongestPath = request.path;
    }
}

void WebServer::Route(const HttpRequest &request, bool healthOnly, const Answered &answered)
{
    const QString path = QUrl::fromPercentEncoding(request.path);
    if (healthOnly && path != QLatin1String("/healthz") && path != QLatin1String("/metrics"))
        return answered(Unavailable("Too many connections"));
    if (const PagePart *part = FindPart(path); part && part->open)
        return answered(IsGet(request) ? Resource(*part) : MethodNotAllowed("GET, HEAD"));
    if (path == QLatin1String("/api/v1/login")) {
        if (request.method != "POST")
            return answered(MethodNotAllowed("POST"));
        return m_signIn->Login(request, answered);
    }
    const AccessNeed need =
        ActionPattern.match(path).hasMatch() ? AccessNeed::Action : AccessNeed::View;
    m_signIn->Identify(request, [this, request, path, need,
                                 answered](const SignInOutcome &outcome) {
        if (outcome.refusal != 0) {
            HttpAnswer answer = HttpAnswer::JsonError(
                outcome.refusal, outcome.refusal == 429
                                     ? QStringLiteral("Too many failed logins; try again later")
                                     : QStringLiteral("Too many logins at once; try again"));
            answer.headers.emplaceBack("Retry-After", QByteArray::number(outcome.retryAfterS));
            return answered(answer);
        }
        if (path == LogoutPath) {
            if (request.method != "POST")
                return answered(MethodNotAllowed("POST"));
            // Only the session's own page may end it; without a session
            // there is only the cookie to clear.
            const bool session =
                outcome.identity && outcome.identity->via == WebIdentity::Via::Session;
            if (session && !ConstantTimeEquals(request.Header("x-csrf-token").trimmed(),
                                               outcome.identity->csrfToken))
                return answered(HttpAnswer::JsonError(403, QStringLiteral("No CSRF token")));
            return answered(m_signIn->Logout(request));
        }
        const AccessVerdict verdict = DecideAccess(AccessPartsOf(request), need, outcome.identity);
        if (verdict != AccessVerdict::Allowed)
            return answered(Refusal(request, path, verdict));
        if (need == AccessNeed::Action)
            return answered(Act(request, path, *outcome.identity));
        View(request, path, *outcome.identity, answered);
    });
}

HttpAnswer WebServer::Refusal(const HttpRequest &request, const QString &path,
                              AccessVerdict verdict)
{
    switch (verdict) {
    case AccessVerdict::Allowed:
        break;
    case AccessVerdict::Unauthorized: {
        // A browser coming to a page is shown the login, where there is one.
        const bool page = FindPart(path) || DevicePagePattern.match(path).hasMatch();
        if (page && request.method == "GET" && m_signIn->HasUsers()) {
            HttpAnswer answer = HttpAnswer::Text(303, "Log in first");
            answer.headers.emplaceBack("Location", "/login");
            return answer;
        }
        HttpAnswer answer = HttpAnswer::Text(401, "Unauthorized");
        // Scrapers send a bearer token; a browser shows a login box for
        // Basic, except to the pages' own scripts, which go to the login.
        if (request.Header("x-requested-with").isEmpty()) {
            answer.headers.emplaceBack("WWW-Authenticate", "Bearer");
            answer.headers.emplaceBack("WWW-Authenticate",
                                       "Basic realm=\"Vantor\", charset=\"UTF-8\"");
        }
        return answer;
    }
    case AccessVerdict::Forbidden:
        return HttpAnswer::JsonError(
            403, QStringLiteral("Only an operator may do this, by the station's own page or a "
                                "script sending JSON"));
    case AccessVerdict::MethodNotAllowed:
        return path.startsWith(QLatin1String("/api/v1/devices/")) ? MethodNotAllowed("POST")
                                                                  : MethodNotAllowed("GET, HEAD");
    }
    return HttpAnswer::Text(500, "Error");
}

void WebServer::View(const HttpRequest &request, const QString &path, const WebIdentity &who,
                     const Answered &answered)
{
    const QUrlQuery query(QString::fromLatin1(request.query));
    const QString folder = m_engine.FolderPaths().DataFolder;
    if (path == QLatin1String("/healthz")) {
        const qint64 age = m_engine.MsSinceReceiveTick();
        return answered(age >= 0 && age < m_limits.healthStaleMs
                            ? HttpAnswer::Text(200, "ok")
                            : HttpAnswer::Text(503, "the receive tick has stopped"));
    }
    if (path == QLatin1String("/metrics"))
        return answered({200, "text/plain; version=0.0.4; charset=utf-8", Metrics(), {}});
    if (path == QLatin1String("/api/v1/status"))
        return answered({200, "application/json", StatusJson(m_engine), {}});
    if (path == QLatin1String("/api/v1/overview"))
        return answered({200, "application/json", OverviewJson(m_engine), {}});
    if (path == QLatin1String("/api/v1/stations"))
        return answered({200, "application/json", StationsJson(m_engine), {}});
    if (path == QLatin1String("/api/v1/session"))
        return answered(m_signIn->SessionAnswer(who));
    if (path == QLatin1String("/api/v1/alarms"))
        return answered(AlarmHistoryAnswer(m_engine.AlarmHistoryRecords(), query));
    if (path == QLatin1String("/api/v1/logs"))
        return answered(LogListAnswer(folder, query));
    if (path == QLatin1String("/api/v1/logs/download"))
        return answered(LogDownloadAnswer(folder, query));
    if (const PagePart *part = FindPart(path))
        return answered(Resource(*part));
    if (const auto page = DevicePagePattern.match(path);
        page.hasMatch() && !m_engine.InvalidDevice(page.captured(1).toInt()))
        return answered(Resource(DevicePage));
    if (path.startsWith(QLatin1String("/device/")) && Picture(path, request, answered))
        return;
    answered(HttpAnswer::Text(404, "Not found"));
}

HttpAnswer WebServer::Act(const HttpRequest &request, const QString &path, const WebIdentity &who)
{
    const QRegularExpressionMatch match = ActionPattern.match(path);
    const int device = match.captured(1).toInt();
    const QString action = match.captured(2);
    if (m_engine.InvalidDevice(device) || !IsDeviceAction(action))
        return HttpAnswer::JsonError(404, QStringLiteral("No such device or action"));
    return RunDeviceAction(m_engine, device, action, request.body, who, request.peer);
}

// /device/N/histogram.png and /device/N/graph/COLUMN.png (COLUMN a column
// name such as "MAX Hold", or its number), with optional width and height.
bool WebServer::Picture(const QString &path, const HttpRequest &request, const Answered &answered)
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
    const TDevice &data = m_engine.DeviceTable()[device];
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
    Gauge(text, "vantor_web_connections_open", "Web connections open now.", openConnections());
    Gauge(text, "vantor_web_pictures_waiting", "Pictures asked for and not yet drawn.",
          picturesWaiting());
    Counter(text, "vantor_web_pictures_drawn_total", "Pictures drawn for web clients.", {},
            picturesDrawn(), true);
    Counter(text, "vantor_web_pictures_refused_total",
            "Pictures answered 503 because the drawing queue was full.", {}, picturesRefused(),
            true);
    const LoginThrottle &throttle = m_signIn->throttle();
    Counter(text, "vantor_web_logins_failed_total",
            "Web logins and Basic credentials whose password did not match.", {},
            static_cast<qint64>(throttle.failedTotal()), true);
    Counter(text, "vantor_web_login_locks_total",
            "Client addresses and user names locked after many failed logins.", {},
            static_cast<qint64>(throttle.locksTotal()), true);
    Counter(text, "vantor_web_logins_refused_total",
            "Logins refused unchecked while their address or name had to wait.", {},
            static_cast<qint64>(throttle.refusedTotal()), true);
    Gauge(text, "vantor_web_sessions", "Web login sessions open now.", m_signIn->sessions());
    return text;
}

} // namespace vantor
