// Who a web request is and what it may do, decided in one place. A request
// shows a token (Bearer, or Basic with the token as the password), a user's
// name and password (Basic), or a session cookie; viewers may look,
// operators may also act. Actions are POSTs only, and since a browser sends
// cached Basic credentials and cookies by itself, an action must also prove it
// was not forged by another site: a JSON body (which a cross-site form cannot
// send without a preflight the server refuses) when it comes with a token or a
// password, the session's CSRF token when it comes with a session cookie.
#pragma once

#include "web_users.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace vantor {

class WebSessions;

// The parts of a request that access depends on: its method and headers.
struct AccessRequest {
    QByteArray method;
    QByteArray contentType;   // Content-Type
    QByteArray authorization; // Authorization
    QByteArray cookies;       // Cookie
    QByteArray csrfToken;     // X-CSRF-Token
};

// What the endpoint asked for needs.
enum class AccessNeed {
    Open,   // the login page and its files, the login itself: anybody
    View,   // pages, status, metrics, pictures, history, logs: a viewer
    Action, // what changes a device: an operator
};

// Who a request was found to be.
struct WebIdentity {
    enum class Via { Token, Password, Session };
    Via via = Via::Token;
    WebRole role = WebRole::Viewer;
    QString user;         // empty for the token
    QByteArray csrfToken; // the session's, for Via::Session
};

// A user's name and password from HTTP Basic, still to be checked against
// the users' file (slow: off the engine's loop).
struct PasswordToCheck {
    QString user;
    QByteArray password;
};

// The outcome of looking at a request's credentials without any slow work:
// an identity, a password still to check, or neither (no credentials, a token
// or session that is not valid).
struct AccessIdentification {
    std::optional<WebIdentity> identity;
    std::optional<PasswordToCheck> passwordToCheck;
};

enum class AccessVerdict {
    Allowed,
    Unauthorized,     // 401: no valid credentials
    Forbidden,        // 403: a viewer acting, or an action without its proof
    MethodNotAllowed, // 405: an action not sent as POST, a view not as GET/HEAD
};

class WebAccess
{
public:
    // token empty: no token is accepted. tokenRole is what the token may do.
    WebAccess(QByteArray token, WebRole tokenRole, WebSessions &sessions);

    AccessIdentification Identify(const AccessRequest &request) const;

private:
    QByteArray m_token;
    WebRole m_tokenRole;
    WebSessions &m_sessions;
};

// The verdict for a request of that need, by the identity found (nothing:
// none, or a password that did not match).
AccessVerdict DecideAccess(const AccessRequest &request, AccessNeed need,
                           const std::optional<WebIdentity> &identity);

// Whether a Content-Type names JSON ("application/json", any parameters).
bool IsJsonContentType(const QByteArray &contentType);

// The HTTP status of a verdict other than Allowed.
int AccessVerdictStatus(AccessVerdict verdict);

} // namespace vantor
