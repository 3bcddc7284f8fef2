#include "password_checker.h"

#include "password_hash.h"

namespace vantor {

PasswordChecker::PasswordChecker(int maxPending, QObject *parent)
    : QObject(parent), m_worker(new QObject), m_maxPending(maxPending)
{
    m_thread.setObjectName(QStringLiteral("password checks"));
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread.start(QThread::LowPriority);
}

PasswordChecker::~PasswordChecker()
{
    m_thread.quit();
    m_thread.wait();
}

bool PasswordChecker::Check(quint64 ticket, const QByteArray &password, const QByteArray &hash)
{
    if (m_pending >= m_maxPending)
        return false;
    ++m_pending;
    QMetaObject::invokeMethod(m_worker, [this, ticket, password, hash] {
        const bool matches = PasswordMatches(password, hash);
        // Back on the owner's thread; the checker outlives its thread, so
        // this is never delivered to a destroyed object.
        QMetaObject::invokeMethod(
            this,
            [this, ticket, matches] {
                --m_pending;
                emit checked(ticket, matches);
            },
            Qt::QueuedConnection);
    });
    return true;
}

} // namespace vantor
