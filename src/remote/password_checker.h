// Checks passwords against their hashes on a thread of its own: a hash costs
// tens of milliseconds by design, and the engine's loop must never wait for
// one. At most a few checks wait at a time; more are refused at once (the
// server answers 503), so a flood of logins cannot queue up work.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QThread>

namespace vantor {

class PasswordChecker : public QObject
{
    Q_OBJECT

public:
    explicit PasswordChecker(int maxPending = 4, QObject *parent = nullptr);
    ~PasswordChecker() override;

    // Starts a check; its answer comes as checked(ticket, matches) on this
    // object's thread. False, and no answer, when too many wait already.
    bool Check(quint64 ticket, const QByteArray &password, const QByteArray &hash);
    int pending() const { return m_pending; }

signals:
    void checked(quint64 ticket, bool matches);

private:
    QThread m_thread;
    QObject *m_worker; // lives on m_thread
    int m_maxPending;
    int m_pending = 0;
};

} // namespace vantor
