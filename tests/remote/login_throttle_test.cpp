// Login throttling on the station's clock: the waits double after the free
// failures, a lock follows, and the counters tell /metrics what happened.
#include "fake_clock.h"
#include "login_throttle.h"

#include <gtest/gtest.h>

using namespace vantor;

namespace {
const QString Address = QStringLiteral("192.0.2.7");

class LoginThrottleTest : public ::testing::Test
{
protected:
    // Fails once the attempt is allowed, as a client guessing as fast as
    // allowed would; returns the wait it had to sit out first.
    qint64 GuessWrong(const QString &address, const QString &user)
    {
        const qint64 wait = m_throttle.WaitMs(address, user);
        m_clock.advanceMs(wait);
        EXPECT_EQ(m_throttle.WaitMs(address, user), 0);
        m_throttle.Failed(address, user);
        return wait;
    }

    FakeClock m_clock{QDateTime(QDate(2026, 12, 11), QTime(6, 0), Qt::UTC)};
    LoginThrottleSettings m_settings{3, 1000, 60000, 10, 15 * 60 * 1000, 60 * 60 * 1000, 64};
    LoginThrottle m_throttle{m_clock, m_settings};
};
} // namespace

TEST_F(LoginThrottleTest, WaitsDoubleAfterTheFreeFailuresThenALockFollows)
{
    QList<qint64> waits;
    for (int i = 0; i < 10; ++i)
        waits << GuessWrong(Address, QStringLiteral("alice"));
    EXPECT_EQ(waits, (QList<qint64>{0, 0, 0, 1000, 2000, 4000, 8000, 16000, 32000, 60000}));
    EXPECT_EQ(m_throttle.WaitMs(Address, QStringLiteral("alice")), 15 * 60 * 1000);
    EXPECT_EQ(m_throttle.locksTotal(), 2u) << "the address and the name";
    EXPECT_EQ(m_throttle.failedTotal(), 10u);

    // The lock holds for the address whatever the name, and for the name
    // from any address.
    const quint64 refusedBefore = m_throttle.refusedTotal();
    EXPECT_GT(m_throttle.WaitMs(Address, QStringLiteral("bob")), 14 * 60 * 1000);
    EXPECT_GT(m_throttle.WaitMs(QStringLiteral("198.51.100.1"), QStringLiteral("alice")),
              14 * 60 * 1000);
    EXPECT_EQ(m_throttle.WaitMs(QStringLiteral("198.51.100.1"), QStringLiteral("bob")), 0);
    EXPECT_EQ(m_throttle.refusedTotal(), refusedBefore + 2);

    m_clock.advanceMs(15 * 60 * 1000);
    EXPECT_EQ(m_throttle.WaitMs(Address, QStringLiteral("alice")), 0);
    // A served lock starts the count again.
    EXPECT_EQ(GuessWrong(Address, QStringLiteral("alice")), 0);
    EXPECT_EQ(m_throttle.WaitMs(Address, QStringLiteral("alice")), 0);
}

TEST_F(LoginThrottleTest, SuccessClearsTheUserButNotTheAddress)
{
    for (int i = 0; i < 5; ++i)
        GuessWrong(Address, QStringLiteral("alice"));
    m_clock.advanceMs(m_throttle.WaitMs(Address, QStringLiteral("alice")));
    m_throttle.Succeeded(QStringLiteral("alice"));
    EXPECT_EQ(m_throttle.WaitMs(QStringLiteral("198.51.100.1"), QStringLiteral("alice")), 0);
    // The address guessed five times: its next failure waits on.
    m_throttle.Failed(Address, QStringLiteral("carol"));
    EXPECT_EQ(m_throttle.WaitMs(Address, QStringLiteral("dave")), 8000);
}

TEST_F(LoginThrottleTest, SprayingNamesFromOneAddressIsThrottledByTheAddress)
{
    QList<qint64> waits;
    for (int i = 0; i < 5; ++i)
        waits << GuessWrong(Address, QStringLiteral("user%1").arg(i));
    EXPECT_EQ(waits, (QList<qint64>{0, 0, 0, 1000, 2000}));
}

TEST_F(LoginThrottleTest, OldFailuresAreForgotten)
{
    for (int i = 0; i < 4; ++i)
        GuessWrong(Address, QStringLiteral("alice"));
    m_clock.advanceMs(60 * 60 * 1000 + 1);
    EXPECT_EQ(m_throttle.WaitMs(Address, QStringLiteral("alice")), 0);
    EXPECT_EQ(GuessWrong(Address, QStringLiteral("alice")), 0);
    EXPECT_EQ(m_throttle.WaitMs(Address, QStringLiteral("alice")), 0)
        << "one failure after an hour's quiet is a first failure";
}

TEST_F(LoginThrottleTest, AFloodOfNewNamesNeitherGrowsTheTableNorLiftsALock)
{
    for (int i = 0; i < 10; ++i)
        GuessWrong(Address, QStringLiteral("alice"));
    for (int i = 0; i < 1000; ++i)
        m_throttle.Failed(QStringLiteral("203.0.113.%1").arg(i % 250),
                          QStringLiteral("name%1").arg(i));
    EXPECT_GT(m_throttle.WaitMs(Address, QStringLiteral("alice")), 0);
    EXPECT_GT(m_throttle.WaitMs(QStringLiteral("198.51.100.9"), QStringLiteral("alice")), 0);
}

TEST(ThrottledAddress, OneIpv6NetworkCountsAsOneClient)
{
    EXPECT_EQ(ThrottledAddress(QStringLiteral("192.0.2.7")), QStringLiteral("192.0.2.7"));
    EXPECT_EQ(ThrottledAddress(QStringLiteral("::ffff:192.0.2.7")), QStringLiteral("192.0.2.7"));
    EXPECT_EQ(ThrottledAddress(QStringLiteral("2001:db8:1:2:aaaa::1")),
              ThrottledAddress(QStringLiteral("2001:db8:1:2:bbbb::2")));
    EXPECT_NE(ThrottledAddress(QStringLiteral("2001:db8:1:2::1")),
              ThrottledAddress(QStringLiteral("2001:db8:1:3::1")));
}
