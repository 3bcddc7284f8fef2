// The station's outgoing e-mail. Messages go out one at a time, in the order
// they were queued, through the mail transport on a thread of the queue's
// own, so a slow or silent server never holds up the event loop; each
// message's status comes back on the thread that owns the queue, through its
// event loop. At most MaxWaiting messages wait behind the one being sent.
// A message whose delivery fails for a reason that may pass (the server away,
// a 4xx reply) is tried again after growing waits for as long as its
// retryForMs allows; the messages behind it wait, so they still go out in
// order.
#pragma once

#include "mail_transport.h"
#include "send_email.h"

#include <QObject>
#include <QTimer>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace vantor {

class MailQueue : public QObject
{
    Q_OBJECT

public:
    using Done = std::function<void(const QString &status)>;

    static constexpr int MaxWaiting = 100;

    explicit MailQueue(std::unique_ptr<MailTransport> transport, QObject *parent = nullptr);
    // Cuts the message being sent short and drops the waiting ones without
    // reporting them; returns once the sending thread has ended.
    ~MailQueue() override;

    // done runs once, later, with the transport's status (GivenUpStatus when
    // retries ran out), with
    // QueueFullStatus() (at once, when MaxWaiting messages are waiting) or
    // with AbandonedStatus().
    void Enqueue(OutgoingEmail mail, Done done);
    // Messages queued whose status has not been reported yet.
    int Pending() const { return static_cast<int>(m_dones.size()); }

    // The end of the program: the queued messages get up to graceMs to go
    // out; then the one being sent is cut short and the rest are abandoned.
    // done runs, through the event loop, once every status is reported.
    void Finish(int graceMs, std::function<void()> done);

    // The waits between attempts: the first, doubled each time up to the
    // longest.
    void SetRetryDelays(int firstMs, int longestMs);

    static constexpr int FirstRetryDelayMs = 15000;
    static constexpr int LongestRetryDelayMs = 300000;

    static QString QueueFullStatus();
    static QString AbandonedStatus();

private:
    void SendAll();
    // Sends one message, retrying as the message allows; the final status.
    QString Deliver(const OutgoingEmail &mail);
    void Report(const QString &status);
    void Abandon();

    const std::unique_ptr<MailTransport> m_transport;

    // Shared with the sending thread.
    std::mutex m_lock;
    std::condition_variable m_wake;
    std::deque<OutgoingEmail> m_waiting;
    bool m_abandoned = false;
    bool m_stopping = false;
    int m_firstRetryDelayMs = FirstRetryDelayMs;
    int m_longestRetryDelayMs = LongestRetryDelayMs;

    // Owner's thread only: one entry per message not yet reported, in order.
    std::deque<Done> m_dones;
    QTimer m_grace;
    std::function<void()> m_finished;

    std::thread m_sender;
};

} // namespace vantor
