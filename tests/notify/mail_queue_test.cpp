// The mail queue with a transport that holds each message until the test lets
// it go: order, one message at a time, the bound, and the end of the program.
#include "mail_queue.h"
#include "test_support.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <mutex>

using namespace vantor;
using vantor::test::waitFor;

namespace {

// Each Send waits until the test releases it with a status, or until Abort.
class GatedTransport : public MailTransport
{
public:
    void Msg(const QByteArray &message) override
    {
        const std::lock_guard lock(m_lock);
        m_message = message;
    }
    void Auth(bool, bool, const QString &, const QString &) override {}
    QString Send(const QString &, int, int) override
    {
        std::unique_lock lock(m_lock);
        m_started.append(m_message);
        m_mostAtOnce = std::max(m_mostAtOnce, ++m_inProgress);
        m_changed.wait(lock, [this] { return m_aborted || !m_statuses.empty(); });
        --m_inProgress;
        if (m_aborted)
            return QStringLiteral("sending failed: aborted");
        const char *status = m_statuses.front();
        m_statuses.pop_front();
        return QString::fromLatin1(status);
    }
    void Abort() override
    {
        const std::lock_guard lock(m_lock);
        m_aborted = true;
        m_changed.notify_all();
    }

    void Release(const char *status)
    {
        const std::lock_guard lock(m_lock);
        m_statuses.push_back(status);
        m_changed.notify_all();
    }
    QByteArrayList Started()
    {
        const std::lock_guard lock(m_lock);
        return m_started;
    }
    int MostAtOnce()
    {
        const std::lock_guard lock(m_lock);
        return m_mostAtOnce;
    }

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    QByteArray m_message;
    QByteArrayList m_started;
    std::deque<const char *> m_statuses;
    int m_inProgress = 0;
    int m_mostAtOnce = 0;
    bool m_aborted = false;
};

class MailQueueTest : public ::testing::Test
{
protected:
    void Enqueue(const QByteArray &message)
    {
        OutgoingEmail mail;
        mail.message = message;
        queue.Enqueue(mail, [this, message](const QString &status) {
            reports << QString::fromLatin1(message) + QLatin1Char(' ') + status;
        });
    }

    GatedTransport *transport = new GatedTransport;
    MailQueue queue{std::unique_ptr<MailTransport>(transport)};
    QStringList reports;
};

} // namespace

TEST_F(MailQueueTest, MessagesGoOutOneAtATimeInTheOrderQueued)
{
    QElapsedTimer clock;
    clock.start();
    for (const char *m : {"m1", "m2", "m3"})
        Enqueue(m);
    EXPECT_LT(clock.elapsed(), 100) << "queueing never waits for the server";
    EXPECT_EQ(queue.Pending(), 3);

    ASSERT_TRUE(waitFor([&] { return transport->Started().size() == 1; }));
    transport->Release("time-out after 5000 ms");
    ASSERT_TRUE(waitFor([&] { return transport->Started().size() == 2; }));
    transport->Release("OK (250 accepted)");
    transport->Release("OK");
    ASSERT_TRUE(waitFor([&] { return queue.Pending() == 0; }));

    EXPECT_EQ(transport->Started(), (QByteArrayList{"m1", "m2", "m3"}));
    EXPECT_EQ(transport->MostAtOnce(), 1);
    EXPECT_EQ(reports,
              (QStringList{QStringLiteral("m1 time-out after 5000 ms"),
                           QStringLiteral("m2 OK (250 accepted)"), QStringLiteral("m3 OK")}));
}

TEST_F(MailQueueTest, BeyondTheBoundAMessageIsRefusedAtOnce)
{
    for (int k = 0; k <= MailQueue::MaxWaiting; ++k)
        Enqueue("waiting");
    Enqueue("one too many");
    ASSERT_TRUE(waitFor([&] { return !reports.isEmpty(); }));
    EXPECT_EQ(reports, QStringList{QStringLiteral("one too many ") + MailQueue::QueueFullStatus()});
    EXPECT_EQ(queue.Pending(), MailQueue::MaxWaiting + 1);
}

TEST_F(MailQueueTest, FinishGivesQueuedMessagesTheirGraceThenAbandonsTheRest)
{
    Enqueue("m1");
    Enqueue("m2");
    Enqueue("m3");
    ASSERT_TRUE(waitFor([&] { return transport->Started().size() == 1; }));
    transport->Release("OK");
    ASSERT_TRUE(waitFor([&] { return transport->Started().size() == 2; }));

    bool finished = false;
    QElapsedTimer clock;
    clock.start();
    queue.Finish(300, [&] { finished = true; });
    ASSERT_TRUE(waitFor([&] { return finished; }, 3000));
    EXPECT_GE(clock.elapsed(), 270) << "a coarse timer may fire a little early";
    EXPECT_EQ(reports, (QStringList{QStringLiteral("m1 OK"),
                                    QStringLiteral("m2 ") + MailQueue::AbandonedStatus(),
                                    QStringLiteral("m3 ") + MailQueue::AbandonedStatus()}));
    EXPECT_EQ(transport->Started().size(), 2) << "an abandoned message is not sent";
}

TEST_F(MailQueueTest, FinishWithNothingPendingEndsAtOnce)
{
    bool finished = false;
    queue.Finish(60000, [&] { finished = true; });
    EXPECT_TRUE(waitFor([&] { return finished; }, 1000));
}

TEST(MailQueueEnd, DestroyingTheQueueCutsTheMessageInProgressShort)
{
    auto *transport = new GatedTransport;
    QStringList reports;
    QElapsedTimer clock;
    {
        MailQueue queue{std::unique_ptr<MailTransport>(transport)};
        queue.Enqueue({}, [&](const QString &status) { reports << status; });
        ASSERT_TRUE(waitFor([&] { return transport->Started().size() == 1; }));
        clock.start();
    }
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_TRUE(reports.isEmpty());
}
