// Login sessions: ids and CSRF tokens nobody can guess, idle expiry on the
// station's clock, logout, and the cookie a browser is handed.
#include "fake_clock.h"
#include "web_sessions.h"

#include <QSet>
#include <gtest/gtest.h>

using namespace vantor;

namespace {
constexpr qint64 IdleMs = 15 * 60 * 1000;

class WebSessionsTest : public ::testing::Test
{
protected:
    FakeClock m_clock{QDateTime(QDate(2026, 12, 11), QTime(6, 0), Qt::UTC)};
    WebSessions m_sessions{m_clock, IdleMs, 4};
};
} // namespace

TEST_F(WebSessionsTest, ASessionCarriesItsUserRoleAndTokenUntilLogout)
{
    const NewWebSession created = m_sessions.Create(QStringLiteral("alice"), WebRole::Operator);
    EXPECT_EQ(created.id.size(), 43);
    EXPECT_EQ(created.csrfToken.size(), 43);
    EXPECT_NE(created.id, created.csrfToken);
    const auto session = m_sessions.Use(created.id);
    ASSERT_TRUE(session);
    EXPECT_EQ(session->user, QStringLiteral("alice"));
    EXPECT_EQ(session->role, WebRole::Operator);
    EXPECT_TRUE(CsrfTokenMatches(*session, created.csrfToken));
    EXPECT_FALSE(CsrfTokenMatches(*session, QByteArray()));
    EXPECT_FALSE(CsrfTokenMatches(*session, created.csrfToken.left(42)));
    EXPECT_FALSE(CsrfTokenMatches(*session, created.id));

    m_sessions.End(created.id);
    EXPECT_FALSE(m_sessions.Use(created.id));
    EXPECT_EQ(m_sessions.size(), 0);
}

TEST_F(WebSessionsTest, IdsAreRandomAndOnlyTheWholeIdOpensASession)
{
    QSet<QByteArray> seen;
    for (int i = 0; i < 200; ++i) {
        WebSessions many(m_clock);
        const NewWebSession created = many.Create(QStringLiteral("a"), WebRole::Viewer);
        seen.insert(created.id);
        seen.insert(created.csrfToken);
    }
    EXPECT_EQ(seen.size(), 400);

    const NewWebSession created = m_sessions.Create(QStringLiteral("alice"), WebRole::Viewer);
    QByteArray oneOff = created.id;
    oneOff[0] = oneOff[0] == 'A' ? 'B' : 'A';
    const QList<QByteArray> guesses = {
        oneOff,          created.id.left(42), created.id + QByteArray("A"),
        QByteArray(),    created.csrfToken,   QByteArray(43, '.'),
        " " + created.id};
    for (const QByteArray &guess : guesses)
        EXPECT_FALSE(m_sessions.Use(guess)) << guess.toStdString();
    EXPECT_TRUE(m_sessions.Use(created.id));
}

TEST_F(WebSessionsTest, ASessionEndsAfterIdleTimeAndUseKeepsItAlive)
{
    const NewWebSession kept = m_sessions.Create(QStringLiteral("alice"), WebRole::Viewer);
    const NewWebSession idle = m_sessions.Create(QStringLiteral("bob"), WebRole::Viewer);
    for (int i = 0; i < 4; ++i) {
        m_clock.advanceMs(IdleMs - 1000);
        EXPECT_TRUE(m_sessions.Use(kept.id)) << i;
    }
    EXPECT_FALSE(m_sessions.Use(idle.id));
    m_clock.advanceMs(IdleMs + 1);
    EXPECT_FALSE(m_sessions.Use(kept.id));
    EXPECT_EQ(m_sessions.size(), 0);
}

TEST_F(WebSessionsTest, AFullTableEndsTheSessionUsedLongestAgo)
{
    QList<NewWebSession> created;
    for (int i = 0; i < 4; ++i) {
        created << m_sessions.Create(QStringLiteral("u%1").arg(i), WebRole::Viewer);
        m_clock.advanceSeconds(1);
    }
    ASSERT_TRUE(m_sessions.Use(created[0].id));
    created << m_sessions.Create(QStringLiteral("u4"), WebRole::Viewer);
    EXPECT_EQ(m_sessions.size(), 4);
    EXPECT_TRUE(m_sessions.Use(created[0].id));
    EXPECT_FALSE(m_sessions.Use(created[1].id));
    EXPECT_TRUE(m_sessions.Use(created[4].id));

    m_sessions.EndUser(QStringLiteral("u4"));
    EXPECT_FALSE(m_sessions.Use(created[4].id));
    EXPECT_TRUE(m_sessions.Use(created[2].id));
}

TEST(SessionCookie, IsHttpOnlyStrictAndSecureUnderTls)
{
    const QByteArray id(43, 'x');
    EXPECT_EQ(SessionCookie(id, false),
              "vantor_session=" + id + "; Path=/; HttpOnly; SameSite=Strict");
    EXPECT_EQ(SessionCookie(id, true),
              "vantor_session=" + id + "; Path=/; HttpOnly; SameSite=Strict; Secure");
    EXPECT_EQ(ExpiredSessionCookie(true),
              "vantor_session=; Max-Age=0; Path=/; HttpOnly; SameSite=Strict; Secure");

    EXPECT_EQ(SessionIdFromCookies("vantor_session=" + id), id);
    EXPECT_EQ(SessionIdFromCookies("theme=dark; vantor_session=" + id + "; lang=en"), id);
    EXPECT_EQ(SessionIdFromCookies("xvantor_session=abc; theme=dark"), QByteArray());
    EXPECT_EQ(SessionIdFromCookies(""), QByteArray());
}
