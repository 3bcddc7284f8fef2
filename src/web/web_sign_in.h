// Who a request to the web server is: the token, a login session, or a web
// user's name and password (HTTP Basic, or the login page) checked on the
// password thread, with failed attempts slowed per address and per user.
// Also the login and logout that make and end sessions.
#pragma once

#include "http_answer.h"
#include "http_request.h"
#include "login_throttle.h"
#include "password_checker.h"
#include "web_access.h"
#include "web_sessions.h"
#include "web_users.h"

#include <QDateTime>
#include <QHash>
#include <QObject>

#include <functional>
#include <optional>

namespace vantor {

class Clock;

struct WebSignInSetup {
    QByteArray token; // empty: no token is accepted
    WebRole tokenRole = WebRole::Viewer;
    QString usersFile;   // "web-users" in the data folder; empty: no users
    bool secure = false; // served over TLS: the cookie is Secure
    qint64 sessionIdleMs = DefaultSessionIdleMs;
    LoginThrottleSettings throttle;
};

// The outcome of identifying a request: who it is, or the status refusing it
// before any access rule is looked at (429 too early after failures, 503
// too many password checks waiting).
struct SignInOutcome {
    std::optional<WebIdentity> identity;
    int refusal = 0;
    qint64 retryAfterS = 0;
};

class WebSignIn : public QObject
{
    Q_OBJECT

public:
    // log gets the lines "app.log" should show (an unreadable users' file).
    WebSignIn(const Clock &clock, WebSignInSetup setup, std::function<void(QString)> log,
              QObject *parent = nullptr);

    // Without a token and without users anybody may look, as a viewer: the
    // server then listens on the loopback address only.
    bool Open();
    // Whether the users' file names anybody: a browser is then sent to log in.
    bool HasUsers();
    // Served over TLS from now on: the session cookie is Secure.
    void SetSecure() { m_setup.secure = true; }

    // Calls done at once, or once a password has been checked.
    void Identify(const HttpRequest &request, std::function<void(SignInOutcome)> done);
    // POST /api/v1/login with {"user": ..., "password": ...}.
    void Login(const HttpRequest &request, std::function<void(HttpAnswer)> answered);
    // POST /api/v1/logout, access already decided.
    HttpAnswer Logout(const HttpRequest &request);
    // GET /api/v1/session.
    HttpAnswer SessionAnswer(const WebIdentity &identity) const;

    const LoginThrottle &throttle() const { return m_throttle; }
    int sessions() const { return m_sessions.size(); }
    bool secure() const { return m_setup.secure; }

private:
    enum class Check { Matched, Wrong, TooEarly, Busy };
    struct Checked {
        Check check = Check::Wrong;
        WebRole role = WebRole::Viewer;
        qint64 waitMs = 0;
    };
    struct Waiting {
        QString address;
        QString user;
        QByteArray hash;
        std::function<void(Checked)> done;
    };
    // The users' file read again when it has changed since it was last read;
    // sessions of users removed or changed end.
    void ReloadUsers();
    void CheckPassword(const QString &address, const PasswordToCheck &given,
                       std::function<void(Checked)> done);
    void OnChecked(quint64 ticket, bool matches);

    const Clock &m_clock;
    WebSignInSetup m_setup;
    std::function<void(QString)> m_log;
    WebSessions m_sessions;
    WebAccess m_access;
    LoginThrottle m_throttle;
    PasswordChecker m_checker;
    WebUsers m_users;
    QDateTime m_usersModified;
    qint64 m_usersSize = -1;
    quint64 m_nextTicket = 0;
    QHash<quint64, Waiting> m_waiting;
};

// The access parts of a request.
AccessRequest AccessPartsOf(const HttpRequest &request);

} // namespace vantor
