#include "web_access.h"

#include "password_hash.h"
#include "web_sessions.h"

namespace vantor {

namespace {
// "Scheme credentials" with the scheme matched case-insensitively.
std::optional<QByteArray> SchemeValue(const QByteArray &authorization, const char *scheme)
{
    const QByteArray header = authorization.trimmed();
    const qsizetype blank = header.indexOf(' ');
    if (blank < 0 || header.left(blank).toLower() != scheme)
        return std::nullopt;
    return header.mid(blank + 1).trimmed();
}
} // namespace

WebAccess::WebAccess(QByteArray token, WebRole tokenRole, WebSessions &sessions)
    : m_token(std::move(token)), m_tokenRole(tokenRole), m_sessions(sessions)
{}

AccessIdentification WebAccess::Identify(const AccessRequest &request) const
{
    AccessIdentification found;
    const WebIdentity byToken{WebIdentity::Via::Token, m_tokenRole, QString(), QByteArray()};
    if (const auto bearer = SchemeValue(request.authorization, "bearer")) {
        if (!m_token.isEmpty() && ConstantTimeEquals(*bearer, m_token))
            found.identity = byToken;
        return found;
    }
    if (const auto basic = SchemeValue(request.authorization, "basic")) {
        const auto result =
            QByteArray::fromBase64Encoding(*basic, QByteArray::AbortOnBase64DecodingErrors);
        const QByteArray decoded = result ? *result : QByteArray();
        const qsizetype colon = decoded.indexOf(':');
        if (colon < 0)
            return found;
        const QByteArray password = decoded.mid(colon + 1);
        // Any user name with the token as the password: what a browser asks
        // for when the token is all there is.
        if (!m_token.isEmpty() && ConstantTimeEquals(password, m_token)) {
            found.identity = byToken;
            return found;
        }
        const QString user = QString::fromUtf8(decoded.left(colon));
        if (WebUserNameProblem(user).isEmpty() && !password.isEmpty())
            found.passwordToCheck = PasswordToCheck{user, password};
        return found;
    }
    if (!request.authorization.trimmed().isEmpty())
        return found;
    const QByteArray sessionId = SessionIdFromCookies(request.cookies);
    if (sessionId.isEmpty())
        return found;
    if (const auto session = m_sessions.Use(sessionId))
        found.identity = WebIdentity{WebIdentity::Via::Session, session->role, session->user,
                                     session->csrfToken};
    return found;
}

AccessVerdict DecideAccess(const AccessRequest &request, AccessNeed need,
                           const std::optional<WebIdentity> &identity)
{
    const QByteArray method = request.method;
    if (need == AccessNeed::Open)
        return AccessVerdict::Allowed;
    if (need == AccessNeed::View && method != "GET" && method != "HEAD")
        return AccessVerdict::MethodNotAllowed;
    if (need == AccessNeed::Action && method != "POST")
        return AccessVerdict::MethodNotAllowed;
    if (!identity)
        return AccessVerdict::Unauthorized;
    if (need == AccessNeed::View)
        return AccessVerdict::Allowed;
    if (identity->role != WebRole::Operator)
        return AccessVerdict::Forbidden;
    // A cookie goes with any request to this server, from any page; only the
    // session's own pages know its CSRF token. Credentials a browser
    // caches (Basic) likewise: a JSON body cannot come from another site's
    // form, and a script of another site would need a preflight first.
    const bool proven =
        identity->via == WebIdentity::Via::Session
            ? !identity->csrfToken.isEmpty() &&
                  ConstantTimeEquals(request.csrfToken.trimmed(), identity->csrfToken)
            : IsJsonContentType(request.contentType);
    return proven ? AccessVerdict::Allowed : AccessVerdict::Forbidden;
}

bool IsJsonContentType(const QByteArray &contentType)
{
    const qsizetype semicolon = contentType.indexOf(';');
    return contentType.left(semicolon < 0 ? contentType.size() : semicolon).trimmed().toLower() ==
           "application/json";
}

int AccessVerdictStatus(AccessVerdict verdict)
{
    switch (verdict) {
    case AccessVerdict::Allowed:
        return 200;
    case AccessVerdict::Unauthorized:
        return 401;
    case AccessVerdict::Forbidden:
        return 403;
    case AccessVerdict::MethodNotAllowed:
        return 405;
    }
    return 500;
}

} // namespace vantor
