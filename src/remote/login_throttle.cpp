#include "login_throttle.h"

#include "clock.h"

#include <QHostAddress>

#include <algorithm>

namespace vantor {

LoginThrottle::LoginThrottle(const Clock &clock, LoginThrottleSettings settings)
    : m_clock(clock), m_settings(settings)
{}

qint64 LoginThrottle::NowMs() const
{
    return m_clock.currentDateTime().toMSecsSinceEpoch();
}

qint64 LoginThrottle::WaitMs(const QString &address, const QString &user)
{
    const qint64 now = NowMs();
    const qint64 wait = std::max(WaitFor(QStringLiteral("a:") + ThrottledAddress(address), now),
                                 WaitFor(QStringLiteral("u:") + user, now));
    if (wait > 0)
        ++m_refusedTotal;
    return wait;
}

qint64 LoginThrottle::WaitFor(const QString &key, qint64 nowMs)
{
    const auto it = m_records.constFind(key);
    if (it == m_records.constEnd())
        return 0;
    // A clock set back is no reason to lock anybody out for longer than
    // the lock's own length.
    const qint64 longest = std::max(m_settings.lockMs, m_settings.longestWaitMs);
    return std::clamp<qint64>(it->notBeforeMs - nowMs, 0, longest);
}

void LoginThrottle::Failed(const QString &address, const QString &user)
{
    const qint64 now = NowMs();
    ++m_failedTotal;
    Fail(QStringLiteral("a:") + ThrottledAddress(address), now);
    Fail(QStringLiteral("u:") + user, now);
}

void LoginThrottle::Fail(const QString &key, qint64 nowMs)
{
    auto it = m_records.find(key);
    if (it == m_records.end()) {
        MakeRoom(nowMs);
        it = m_records.insert(key, {});
    } else if (nowMs - it->lastFailureMs > m_settings.forgetMs ||
               (it->failures >= m_settings.lockFailures && nowMs >= it->notBeforeMs)) {
        // Long quiet, or a lock served: a fresh start.
        *it = {};
    }
    Record &r = *it;
    ++r.failures;
    r.lastFailureMs = nowMs;
    if (r.failures >= m_settings.lockFailures) {
        if (r.failures == m_settings.lockFailures)
            ++m_locksTotal;
        r.notBeforeMs = nowMs + m_settings.lockMs;
    } else if (r.failures >= m_settings.freeFailures) {
        const int doublings = std::min(r.failures - m_settings.freeFailures, 30);
        r.notBeforeMs =
            nowMs + std::min(m_settings.firstWaitMs << doublings, m_settings.longestWaitMs);
    }
}

void LoginThrottle::Succeeded(const QString &user)
{
    m_records.remove(QStringLiteral("u:") + user);
}

void LoginThrottle::MakeRoom(qint64 nowMs)
{
    if (m_records.size() < m_settings.maxTracked)
        return;
    m_records.removeIf([&](const auto &entry) {
        return nowMs - entry.value().lastFailureMs > m_settings.forgetMs &&
               nowMs >= entry.value().notBeforeMs;
    });
    // Still full: the record quiet longest goes, unless it is a lock still
    // running (a flood of new names must not lift the locks).
    while (m_records.size() >= m_settings.maxTracked) {
        auto oldest = m_records.end();
        for (auto it = m_records.begin(); it != m_records.end(); ++it)
            if (it->notBeforeMs <= nowMs &&
                (oldest == m_records.end() || it->lastFailureMs < oldest->lastFailureMs))
                oldest = it;
        if (oldest == m_records.end())
            oldest = m_records.begin();
        m_records.erase(oldest);
    }
}

QString ThrottledAddress(const QString &address)
{
    QHostAddress host(address);
    if (host.isNull())
        return address;
    bool isV4 = false;
    const quint32 v4 = host.toIPv4Address(&isV4);
    if (isV4)
        return QHostAddress(v4).toString();
    Q_IPV6ADDR bytes = host.toIPv6Address();
    for (int i = 8; i < 16; ++i)
        bytes[i] = 0;
    return QHostAddress(bytes).toString() + QStringLiteral("/64");
}

} // namespace vantor
