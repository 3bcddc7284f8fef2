// The browsers' login sessions: a random 256-bit id in an HttpOnly cookie,
// kept here only as its SHA-256, a CSRF token per session that every
// state-changing request must carry, expiry after idle time, logout.
#pragma once

#include "web_users.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>

namespace vantor {

class Clock;

struct WebSession {
    QString user;
    WebRole role = WebRole::Viewer;
    QByteArray csrfToken; // base64url, 43 characters
    qint64 lastUsedMs = 0;
};

struct NewWebSession {
    QByteArray id; // base64url, 43 characters; the cookie's value
    QByteArray csrfToken;
};

inline constexpr qint64 DefaultSessionIdleMs = 30 * 60 * 1000;
inline constexpr int MaxWebSessions = 512;
inline const QByteArray SessionCookieName = "vantor_session";
// The request header that carries a session's CSRF token.
inline const QByteArray CsrfHeaderName = "X-CSRF-Token";

class WebSessions
{
public:
    explicit WebSessions(const Clock &clock, qint64 idleMs = DefaultSessionIdleMs,
                         int maxSessions = MaxWebSessions);

    // A session for a user whose password was just checked. When the table
    // is full the session used longest ago ends.
    NewWebSession Create(const QString &user, WebRole role);
    // The session of a cookie value while it has not been idle too long; its
    // idle time starts again. Nothing for an unknown, expired or malformed id.
    std::optional<WebSession> Use(const QByteArray &id);
    // Logout.
    void End(const QByteArray &id);
    // Every session of a user (removed, password or role changed).
    void EndUser(const QString &user);
    int size() const { return static_cast<int>(m_sessions.size()); }

private:
    void DropExpired(qint64 nowMs);

    const Clock &m_clock;
    qint64 m_idleMs;
    int m_maxSessions;
    QHash<QByteArray, WebSession> m_sessions; // by SHA-256 of the id
};

// Whether the header's token is the session's, compared in constant time.
bool CsrfTokenMatches(const WebSession &session, const QByteArray &headerValue);

// The session cookie's value from a request's Cookie header; empty when none.
QByteArray SessionIdFromCookies(const QByteArray &cookieHeader);

// Set-Cookie values: the session's cookie (a browser keeps it for the
// browser's session only; the server ends it after idle time) and the one
// that makes the browser forget it at logout.
QByteArray SessionCookie(const QByteArray &id, bool secure);
QByteArray ExpiredSessionCookie(bool secure);

} // namespace vantor
