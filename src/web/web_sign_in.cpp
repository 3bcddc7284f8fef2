#include "web_sign_in.h"

#include "clock.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

namespace vantor {

namespace {

// Checked in place of the hash of a name that has no user, so that an
// unknown name costs the same time as a wrong password and tells nothing.
const QByteArray NoUserHash =
    "$y$j9T$Xh3kT9mQ2pLw8vRz5cYb1/$6CGtMbUAu5iWie2514EhXiIoPq80k7aHFopDbevqIl9";

constexpr int MaxPasswordBytes = 1024;

HttpAnswer TooEarly(qint64 waitMs)
{
    HttpAnswer answer =
        HttpAnswer::JsonError(429, QStringLiteral("Too many failed logins; try again later"));
    answer.headers.emplaceBack("Retry-After", QByteArray::number((waitMs + 999) / 1000));
    return answer;
}

HttpAnswer Busy()
{
    HttpAnswer answer =
        HttpAnswer::JsonError(503, QStringLiteral("Too many logins at once; try again"));
    answer.headers.emplaceBack("Retry-After", "1");
    return answer;
}

} // namespace

AccessRequest AccessPartsOf(const HttpRequest &request)
{
    return {request.method, request.Header("content-type"), request.Header("authorization"),
            request.Header("cookie"), request.Header("x-csrf-token")};
}

WebSignIn::WebSignIn(const Clock &clock, WebSignInSetup setup, std::function<void(QString)> log,
                     QObject *parent)
    : QObject(parent), m_clock(clock), m_setup(std::move(setup)), m_log(std::move(log)),
      m_sessions(clock, m_setup.sessionIdleMs),
      m_access(m_setup.token, m_setup.tokenRole, m_sessions), m_throttle(clock, m_setup.throttle)
{
    connect(&m_checker, &PasswordChecker::checked, this, &WebSignIn::OnChecked);
    ReloadUsers();
}

bool WebSignIn::Open()
{
    ReloadUsers();
    // A users' file that could not be read lets nobody in, anonymous
    // viewers included.
    return m_setup.token.isEmpty() && m_users.users().isEmpty() && m_usersSize <= 0;
}

bool WebSignIn::HasUsers()
{
    ReloadUsers();
    return !m_users.users().isEmpty();
}

void WebSignIn::ReloadUsers()
{
    if (m_setup.usersFile.isEmpty())
        return;
    const QFileInfo info(m_setup.usersFile);
    const qint64 size = info.exists() ? info.size() : -1;
    const QDateTime modified = info.exists() ? info.lastModified() : QDateTime();
    if (size == m_usersSize && modified == m_usersModified)
        return;
    m_usersSize = size;
    m_usersModified = modified;
    const WebUsers before = m_users;
    QString error;
    if (!m_users.Load(m_setup.usersFile, &error))
        m_log(QStringLiteral("Web users not read, nobody logs in: ") + error);
    for (const WebUser &old : before.users()) {
        const WebUser *now = m_users.Find(old.name);
        if (!now || now->role != old.role || now->hash != old.hash)
            m_sessions.EndUser(old.name);
    }
}

void WebSignIn::Identify(const HttpRequest &request, std::function<void(SignInOutcome)> done)
{
    const AccessIdentification found = m_access.Identify(AccessPartsOf(request));
    if (found.passwordToCheck) {
        const QString user = found.passwordToCheck->user;
        CheckPassword(request.peer, *found.passwordToCheck,
                      [user, done = std::move(done)](const Checked &checked) {
                          SignInOutcome outcome;
                          if (checked.check == Check::Matched)
                              outcome.identity = WebIdentity{WebIdentity::Via::Password,
                                                             checked.role, user, QByteArray()};
                          else if (checked.check == Check::TooEarly)
                              outcome = {std::nullopt, 429, (checked.waitMs + 999) / 1000};
                          else if (checked.check == Check::Busy)
                              outcome = {std::nullopt, 503, 1};
                          done(outcome);
                      });
        return;
    }
    SignInOutcome outcome;
    outcome.identity = found.identity;
    // Nothing shown, or nothing valid: anybody may look where the server
    // asks for nothing at all. Credentials shown and wrong stay refused.
    if (!outcome.identity && request.Header("authorization").isEmpty() &&
        SessionIdFromCookies(request.Header("cookie")).isEmpty() && Open())
        outcome.identity = WebIdentity{WebIdentity::Via::Token, WebRole::Viewer, {}, {}};
    done(outcome);
}

void WebSignIn::CheckPassword(const QString &address, const PasswordToCheck &given,
                              std::function<void(Checked)> done)
{
    ReloadUsers();
    if (const qint64 wait = m_throttle.WaitMs(address, given.user); wait > 0) {
        done({Check::TooEarly, WebRole::Viewer, wait});
        return;
    }
    const WebUser *user = m_users.Find(given.user);
    const QByteArray hash = user ? user->hash : NoUserHash;
    const quint64 ticket = ++m_nextTicket;
    if (!m_checker.Check(ticket, given.password, hash)) {
        done({Check::Busy, WebRole::Viewer, 0});
        return;
    }
    m_waiting.insert(ticket, {address, given.user, user ? user->hash : QByteArray(), done});
}

void WebSignIn::OnChecked(quint64 ticket, bool matches)
{
    const Waiting waiting = m_waiting.take(ticket);
    if (!waiting.done)
        return;
    ReloadUsers();
    // The user must still be there, with the hash that was checked.
    const WebUser *user = m_users.Find(waiting.user);
    const bool ok = matches && user && !waiting.hash.isEmpty() && user->hash == waiting.hash;
    if (ok)
        m_throttle.Succeeded(waiting.user);
    else
        m_throttle.Failed(waiting.address, waiting.user);
    waiting.done({ok ? Check::Matched : Check::Wrong, ok ? user->role : WebRole::Viewer, 0});
}

void WebSignIn::Login(const HttpRequest &request, std::function<void(HttpAnswer)> answered)
{
    if (!IsJsonContentType(request.Header("content-type"))) {
        answered(HttpAnswer::JsonError(415, QStringLiteral("Send the login as application/json")));
        return;
    }
    const QJsonObject body = QJsonDocument::fromJson(request.body).object();
    const QJsonValue user = body.value(QStringLiteral("user"));
    const QJsonValue password = body.value(QStringLiteral("password"));
    const QByteArray passwordBytes = password.toString().toUtf8();
    if (!user.isString() || !password.isString() ||
        !WebUserNameProblem(user.toString()).isEmpty() || passwordBytes.isEmpty() ||
        passwordBytes.size() > MaxPasswordBytes) {
        answered(HttpAnswer::JsonError(400, QStringLiteral("Give \"user\" and \"password\"")));
        return;
    }
    const QByteArray oldSession = SessionIdFromCookies(request.Header("cookie"));
    const QString name = user.toString();
    CheckPassword(
        request.peer, {name, passwordBytes},
        [this, name, oldSession, answered = std::move(answered)](const Checked &checked) {
            if (checked.check == Check::TooEarly)
                return answered(TooEarly(checked.waitMs));
            if (checked.check == Check::Busy)
                return answered(Busy());
            if (checked.check == Check::Wrong)
                return answered(
                    HttpAnswer::JsonError(401, QStringLiteral("Wrong name or password")));
            if (!oldSession.isEmpty())
                m_sessions.End(oldSession);
            const NewWebSession session = m_sessions.Create(name, checked.role);
            HttpAnswer answer =
                SessionAnswer({WebIdentity::Via::Session, checked.role, name, session.csrfToken});
            answer.headers.emplaceBack("Set-Cookie", SessionCookie(session.id, m_setup.secure));
            answered(answer);
        });
}

HttpAnswer WebSignIn::Logout(const HttpRequest &request)
{
    m_sessions.End(SessionIdFromCookies(request.Header("cookie")));
    HttpAnswer answer{204, "text/plain; charset=utf-8", {}, {}};
    answer.headers.emplaceBack("Set-Cookie", ExpiredSessionCookie(m_setup.secure));
    return answer;
}

HttpAnswer WebSignIn::SessionAnswer(const WebIdentity &identity) const
{
    static const char *const vias[] = {"token", "password", "session"};
    QJsonObject session{
        {QStringLiteral("user"), identity.user},
        {QStringLiteral("role"), WebRoleName(identity.role)},
        {QStringLiteral("via"), QLatin1String(vias[static_cast<int>(identity.via)])},
        {QStringLiteral("idle_timeout_seconds"), m_setup.sessionIdleMs / 1000},
    };
    if (identity.via == WebIdentity::Via::Session)
        session.insert(QStringLiteral("csrf_token"), QString::fromLatin1(identity.csrfToken));
    return {200, "application/json", QJsonDocument(session).toJson(QJsonDocument::Compact), {}};
}

} // namespace vantor
