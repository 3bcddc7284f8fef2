// The mail queue with a transport that holds each message until the test lets
// it go: order, one message at a time, the bound, and the end of the program.
#include "mail_queue.h"
#include "mail_retry.h"
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
    void Enqueue(const QByteArray &message, int retryForMs = 0)
    {
        OutgoingEmail mail;
        mail.message = message;
        mail.retryForMs = retryForMs;
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

TEST(MailRetry, FailuresThatMayPassAreToldFromPermanentOnes)
{
    const struct {
        const char *status;
        bool transient;
    } cases[] = {
        {"connection refused: Failed to connect to 127.0.0.1 port 2525", true},
        {"server not found: Could not resolve host: mail.example.org", true},
        {"time-out after 5000 ms: Operation timed out", true},
        {"sending failed: Failure when receiving data from the peer", true},
        {"sending failed: MAIL failed: 421 (server: 421 4.3.2 Service not available)", true},
        {"recipient refused: RCPT failed: 450 (server: 450 4.2.0 Mailbox busy)", true},
        {"recipient refused: RCPT failed: 550 (server: 550 5.1.1 No such user here)", false},
        {"sending failed: DATA failed: 554 (server: 554 5.7.1 Rejected)", false},
        {"authentication failed: Login denied (server: 535 5.7.8 Bad credentials)", false},
        {"TLS failed: SSL peer certificate was not OK", false},
        {"invalid server: URL using bad/illegal format", false},
        {"no recipient", false},
        {"OK (250 Message accepted for delivery)", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(TransientMailFailure(QString::fromLatin1(c.status)), c.transient) << c.status;
}

TEST(MailRetry, WaitsDoubleUpToTheLongest)
{
    EXPECT_EQ(RetryDelayMs(1, 15000, 300000), 15000);
    EXPECT_EQ(RetryDelayMs(2, 15000, 300000), 30000);
    EXPECT_EQ(RetryDelayMs(5, 15000, 300000), 240000);
    EXPECT_EQ(RetryDelayMs(6, 15000, 300000), 300000);
    EXPECT_EQ(RetryDelayMs(1000, 15000, 300000), 300000);
}

TEST_F(MailQueueTest, AFailureThatMayPassIsRetriedAndTheMessagesBehindWait)
{
    queue.SetRetryDelays(10, 40);
    Enqueue("m1", 60000);
    Enqueue("m2", 60000);
    transport->Release("connection refused: Failed to connect");
    transport->Release("sending failed: MAIL failed (server: 421 4.3.2 Service not available)");
    transport->Release("OK (250 accepted)");
    transport->Release("OK");
    ASSERT_TRUE(waitFor([&] { return queue.Pending() == 0; }));

    EXPECT_EQ(transport->Started(), (QByteArrayList{"m1", "m1", "m1", "m2"}));
    EXPECT_EQ(reports,
              (QStringList{QStringLiteral("m1 OK (250 accepted)"), QStringLiteral("m2 OK")}));
}

TEST_F(MailQueueTest, APermanentRefusalOrNoRetryTimeEndsAfterOneAttempt)
{
    queue.SetRetryDelays(10, 40);
    Enqueue("refused", 60000);
    Enqueue("no retry", 0);
    transport->Release("recipient refused: RCPT failed (server: 550 5.1.1 No such user here)");
    transport->Release("connection refused: Failed to connect");
    ASSERT_TRUE(waitFor([&] { return queue.Pending() == 0; }));

    EXPECT_EQ(transport->Started(), (QByteArrayList{"refused", "no retry"}));
    EXPECT_EQ(
        reports,
        (QStringList{QStringLiteral("refused recipient refused: RCPT failed (server: 550 5.1.1 No "
                                    "such user here)"),
                     QStringLiteral("no retry connection refused: Failed to connect")}));
}

TEST_F(MailQueueTest, RetriesEndWhenTheirTimeRunsOutWithTheLastStatus)
{
    queue.SetRetryDelays(20, 20);
    for (int k = 0; k < 1000; ++k)
        transport->Release("connection refused: Failed to connect");
    QElapsedTimer clock;
    clock.start();
    Enqueue("m1", 200);
    ASSERT_TRUE(waitFor([&] { return queue.Pending() == 0; }, 5000));

    EXPECT_GE(clock.elapsed(), 190);
    const int attempts = static_cast<int>(transport->Started().size());
    EXPECT_GE(attempts, 3);
    EXPECT_EQ(reports,
              QStringList{QStringLiteral("m1 ") +
                          GivenUpStatus(attempts, QStringLiteral("connection refused: Failed to "
                                                                 "connect"))});
}

TEST_F(MailQueueTest, FinishCutsTheWaitForARetryShort)
{
    Enqueue("m1", 3600000); // the first wait is the full 15 s
    Enqueue("m2", 3600000);
    transport->Release("connection refused: Failed to connect");
    ASSERT_TRUE(waitFor([&] { return transport->Started().size() == 1; }));

    bool finished = false;
    queue.Finish(100, [&] { finished = true; });
    ASSERT_TRUE(waitFor([&] { return finished; }, 3000));
    EXPECT_EQ(reports, (QStringList{QStringLiteral("m1 ") + MailQueue::AbandonedStatus(),
                                    QStringLiteral("m2 ") + MailQueue::AbandonedStatus()}));
}
