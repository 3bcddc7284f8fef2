// Slows password guessing at the login and at HTTP Basic: after a few failed
// attempts from one address, or at one user's name, each further attempt must
// wait twice as long as the last, and after many the address or name is locked
// for some minutes. A refused attempt checks no password, so a flood of
// guesses costs the station no hashing either.
#pragma once

#include <QHash>
#include <QString>

namespace vantor {

class Clock;

struct LoginThrottleSettings {
    int freeFailures = 3;             // failures before the first wait
    qint64 firstWaitMs = 1000;        // the wait after them, doubled per failure
    qint64 longestWaitMs = 60 * 1000; //
    int lockFailures = 10;            // failures that lock
    qint64 lockMs = 15 * 60 * 1000;   // how long a lock lasts
    qint64 forgetMs = 60 * 60 * 1000; // failures this old are forgotten
    int maxTracked = 4096;            // addresses and names remembered
};

class LoginThrottle
{
public:
    explicit LoginThrottle(const Clock &clock, LoginThrottleSettings settings = {});

    // Milliseconds before an attempt from address at user may be checked; 0:
    // now. An attempt refused for this is not counted as a failure.
    qint64 WaitMs(const QString &address, const QString &user);
    // A password that did not match (or a user that does not exist).
    void Failed(const QString &address, const QString &user);
    // The user's failures are forgotten; the address's are not, so that one
    // good account does not clear the way for guessing others.
    void Succeeded(const QString &user);

    // For /metrics: passwords that did not match, addresses and names
    // locked, attempts refused unchecked.
    quint64 failedTotal() const { return m_failedTotal; }
    quint64 locksTotal() const { return m_locksTotal; }
    quint64 refusedTotal() const { return m_refusedTotal; }

private:
    struct Record {
        int failures = 0;
        qint64 lastFailureMs = 0;
        qint64 notBeforeMs = 0;
    };
    qint64 WaitFor(const QString &key, qint64 nowMs);
    void Fail(const QString &key, qint64 nowMs);
    void MakeRoom(qint64 nowMs);
    qint64 NowMs() const;

    const Clock &m_clock;
    LoginThrottleSettings m_settings;
    QHash<QString, Record> m_records; // "a:" + address, "u:" + user
    quint64 m_failedTotal = 0;
    quint64 m_locksTotal = 0;
    quint64 m_refusedTotal = 0;
};

// The part of an address that one client is assumed to hold: the whole IPv4
// address, the /64 network of an IPv6 address (a host gets a whole /64).
QString ThrottledAddress(const QString &address);

} // namespace vantor
