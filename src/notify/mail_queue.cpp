#include "mail_queue.h"

#include "mail_retry.h"

#include <chrono>
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

void MailQueue::SetRetryDelays(int firstMs, int longestMs)
{
    const std::lock_guard lock(m_lock);
    m_firstRetryDelayMs = firstMs;
    m_longestRetryDelayMs = longestMs;
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
        const QString status = abandoned ? AbandonedStatus() : Deliver(mail);
        QMetaObject::invokeMethod(
            this, [this, status] { Report(status); }, Qt::QueuedConnection);
    }
}

QString MailQueue::Deliver(const OutgoingEmail &mail)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point giveUpAt = Clock::now() + std::chrono::milliseconds(mail.retryForMs);
    for (int attempt = 1;; ++attempt) {
        m_transport->Msg(mail.message);
        m_transport->Auth(mail.authenticate, mail.tls, mail.user, mail.password);
        const QString status =
            m_transport->Send(mail.server.host, mail.server.port, SendTimeLimitMs);
        std::unique_lock lock(m_lock);
        // Cut short because the time to finish ran out.
        if (m_abandoned && !Delivered(status))
            return AbandonedStatus();
        if (Delivered(status) || !TransientMailFailure(status) || m_stopping)
            return status;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(giveUpAt - Clock::now());
        if (left.count() <= 0)
            return attempt > 1 ? GivenUpStatus(attempt, status) : status;
        const auto wait = std::min(left, std::chrono::milliseconds(RetryDelayMs(
                                             attempt, m_firstRetryDelayMs, m_longestRetryDelayMs)));
        if (m_wake.wait_for(lock, wait, [this] { return m_stopping || m_abandoned; }))
            return m_abandoned ? AbandonedStatus() : status;
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
    m_wake.notify_one();
}

} // namespace vantor
