#include "mail_queue.h"

#include <utility>

namespace vantor {

MailQueue::MailQueue(std::unique_ptr<MailTransport> transport, QObject *parent)
    : QObject(parent), m_transport(std::move(transport))
{
    m_grace.setSingleShot(true);
    connect(&m_grace, &QTimer::timeout, this, &MailQueue::Abandon);
    m_sender = std::thread([this] { SendAll(); });
}

MailQueue::~MailQueue()
{
    {
        const std::lock_guard lock(m_lock);
        m_stopping = true;
    }
    m_transport->Abort();
    m_wake.notify_one();
    m_sender.join();
}

QString MailQueue::QueueFullStatus()
{
    return QStringLiteral("not sent: %1 messages were already waiting").arg(MaxWaiting);
}

QString MailQueue::AbandonedStatus()
{
    return QStringLiteral("not sent: the program was closing");
}

void MailQueue::Enqueue(OutgoingEmail mail, Done done)
{
    if (Pending() > MaxWaiting) {
        QMetaObject::invokeMethod(
            this, [done = std::move(done)] { done(QueueFullStatus()); }, Qt::QueuedConnection);
        return;
    }
    m_dones.push_back(std::move(done));
    {
        const std::lock_guard lock(m_lock);
        m_waiting.push_back(std::move(mail));
    }
    m_wake.notify_one();
}

void MailQueue::Finish(int graceMs, std::function<void()> done)
{
    m_finished = std::move(done);
    if (m_dones.empty()) {
        QMetaObject::invokeMethod(
            this, [this] { std::exchange(m_finished, {})(); }, Qt::QueuedConnection);
        return;
    }
    m_grace.start(graceMs);
}

void MailQueue::SendAll()
{
    for (;;) {
        OutgoingEmail mail;
        bool abandoned;
        {
            std::unique_lock lock(m_lock);
            m_wake.wait(lock, [this] { return m_stopping || !m_waiting.empty(); });
            if (m_stopping)
                return;
            mail = std::move(m_waiting.front());
            m_waiting.pop_front();
            abandoned = m_abandoned;
        }
        QString status = AbandonedStatus();
        if (!abandoned) {
            m_transport->Msg(mail.message);
            m_transport->Auth(mail.authenticate, mail.tls, mail.user, mail.password);
            status = m_transport->Send(mail.server.host, mail.server.port, SendTimeLimitMs);
            const std::lock_guard lock(m_lock);
            // Cut short because the time to finish ran out.
            if (m_abandoned && !Delivered(status))
                status = AbandonedStatus();
        }
        QMetaObject::invokeMethod(
            this, [this, status] { Report(status); }, Qt::QueuedConnection);
    }
}

void MailQueue::Report(const QString &status)
{
    const Done done = std::move(m_dones.front());
    m_dones.pop_front();
    done(status);
    if (m_dones.empty() && m_finished) {
        m_grace.stop();
        std::exchange(m_finished, {})();
    }
}

void MailQueue::Abandon()
{
    {
        const std::lock_guard lock(m_lock);
        m_abandoned = true;
    }
    m_transport->Abort();
}

} // namespace vantor
