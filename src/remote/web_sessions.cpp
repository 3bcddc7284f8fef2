#include "web_sessions.h"

#include "clock.h"
#include "password_hash.h"

#include <QCryptographicHash>
#include <QRandomGenerator>

#include <array>

namespace vantor {

namespace {
constexpr qsizetype TokenLength = 43; // 32 bytes in unpadded base64url

QByteArray RandomToken()
{
    std::array<quint32, 8> words{};
    QRandomGenerator::system()->fillRange(words.data(), words.size());
    return QByteArray(reinterpret_cast<const char *>(words.data()), sizeof words)
        .toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
}

bool WellFormedToken(const QByteArray &token)
{
    if (token.size() != TokenLength)
        return false;
    for (const char c : token)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
              c == '-' || c == '_'))
            return false;
    return true;
}

QByteArray Key(const QByteArray &id)
{
    return QCryptographicHash::hash(id, QCryptographicHash::Sha256);
}

qint64 NowMs(const Clock &clock)
{
    return clock.currentDateTime().toMSecsSinceEpoch();
}

QByteArray CookieAttributes(bool secure)
{
    return QByteArrayLiteral("; Path=/; HttpOnly; SameSite=Strict") +
           (secure ? QByteArrayLiteral("; Secure") : QByteArray());
}
} // namespace

WebSessions::WebSessions(const Clock &clock, qint64 idleMs, int maxSessions)
    : m_clock(clock), m_idleMs(idleMs), m_maxSessions(maxSessions)
{}

NewWebSession WebSessions::Create(const QString &user, WebRole role)
{
    const qint64 now = NowMs(m_clock);
    DropExpired(now);
    if (m_sessions.size() >= m_maxSessions) {
        auto oldest = m_sessions.begin();
        for (auto it = m_sessions.begin(); it != m_sessions.end(); ++it)
            if (it->lastUsedMs < oldest->lastUsedMs)
                oldest = it;
        m_sessions.erase(oldest);
    }
    NewWebSession created{RandomToken(), RandomToken()};
    m_sessions.insert(Key(created.id), {user, role, created.csrfToken, now});
    return created;
}

std::optional<WebSession> WebSessions::Use(const QByteArray &id)
{
    if (!WellFormedToken(id))
        return std::nullopt;
    const qint64 now = NowMs(m_clock);
    const auto it = m_sessions.find(Key(id));
    if (it == m_sessions.end())
        return std::nullopt;
    // A clock set back counts as no time passed, not as a fresh session.
    if (now - it->lastUsedMs > m_idleMs) {
        m_sessions.erase(it);
        return std::nullopt;
    }
    it->lastUsedMs = std::max(it->lastUsedMs, now);
    return *it;
}

void WebSessions::End(const QByteArray &id)
{
    if (WellFormedToken(id))
        m_sessions.remove(Key(id));
}

void WebSessions::EndUser(const QString &user)
{
    m_sessions.removeIf([&](const auto &entry) { return entry.value().user == user; });
}

void WebSessions::DropExpired(qint64 nowMs)
{
    m_sessions.removeIf(
        [&](const auto &entry) { return nowMs - entry.value().lastUsedMs > m_idleMs; });
}

bool CsrfTokenMatches(const WebSession &session, const QByteArray &headerValue)
{
    return !session.csrfToken.isEmpty() &&
           ConstantTimeEquals(headerValue.trimmed(), session.csrfToken);
}

QByteArray SessionIdFromCookies(const QByteArray &cookieHeader)
{
    for (const QByteArray &pair : cookieHeader.split(';')) {
        const qsizetype equals = pair.indexOf('=');
        if (equals > 0 && pair.left(equals).trimmed() == SessionCookieName)
            return pair.mid(equals + 1).trimmed();
    }
    return {};
}

QByteArray SessionCookie(const QByteArray &id, bool secure)
{
    return SessionCookieName + '=' + id + CookieAttributes(secure);
}

QByteArray ExpiredSessionCookie(bool secure)
{
    return SessionCookieName + "=; Max-Age=0" + CookieAttributes(secure);
}

} // namespace vantor
