// Access decisions: which credentials identify whom, and which requests each
// identity may make, so that a viewer never acts and no other site can act
// through a browser's stored credentials.
#include "fake_clock.h"
#include "password_checker.h"
#include "password_hash.h"
#include "web_access.h"
#include "web_sessions.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace vantor;

namespace {
QByteArray Basic(const QByteArray &userAndPassword)
{
    return "Basic " + userAndPassword.toBase64();
}

class WebAccessTest : public ::testing::Test
{
protected:
    FakeClock m_clock{QDateTime(QDate(2026, 12, 11), QTime(6, 0), Qt::UTC)};
    WebSessions m_sessions{m_clock};
};
} // namespace

TEST_F(WebAccessTest, CredentialsIdentifyTheTokenAUserToCheckOrASession)
{
    const WebAccess access("s3cret-token", WebRole::Viewer, m_sessions);
    const NewWebSession session = m_sessions.Create(QStringLiteral("alice"), WebRole::Operator);

    auto found = access.Identify({"GET", {}, "Bearer s3cret-token", {}, {}});
    ASSERT_TRUE(found.identity);
    EXPECT_EQ(found.identity->via, WebIdentity::Via::Token);
    EXPECT_EQ(found.identity->role, WebRole::Viewer);

    found = access.Identify({"GET", {}, Basic("anyone:s3cret-token"), {}, {}});
    ASSERT_TRUE(found.identity);
    EXPECT_EQ(found.identity->via, WebIdentity::Via::Token);

    found = access.Identify({"GET", {}, Basic("alice:pass:word"), {}, {}});
    EXPECT_FALSE(found.identity);
    ASSERT_TRUE(found.passwordToCheck);
    EXPECT_EQ(found.passwordToCheck->user, QStringLiteral("alice"));
    EXPECT_EQ(found.passwordToCheck->password, "pass:word");

    found = access.Identify({"GET", {}, {}, "vantor_session=" + session.id, {}});
    ASSERT_TRUE(found.identity);
    EXPECT_EQ(found.identity->via, WebIdentity::Via::Session);
    EXPECT_EQ(found.identity->user, QStringLiteral("alice"));
    EXPECT_EQ(found.identity->role, WebRole::Operator);
    EXPECT_EQ(found.identity->csrfToken, session.csrfToken);

    // Nothing to go on: neither an identity nor a password to check.
    const AccessRequest nothing[] = {
        {"GET", {}, "Bearer s3cret-toke", {}, {}},
        {"GET", {}, "Bearer", {}, {}},
        {"GET", {}, "Basic !!!", {}, {}},
        {"GET", {}, Basic("no colon"), {}, {}},
        {"GET", {}, Basic("alice:"), {}, {}},
        {"GET", {}, Basic("a\nb:password"), {}, {}},
        {"GET", {}, "Digest username=alice", {}, {}},
        // A wrong Authorization is not rescued by a valid cookie.
        {"GET", {}, "Bearer wrong", "vantor_session=" + session.id, {}},
        {"GET", {}, {}, "vantor_session=" + session.csrfToken, {}},
        {"GET", {}, {}, {}, {}},
    };
    for (const AccessRequest &request : nothing) {
        found = access.Identify(request);
        EXPECT_FALSE(found.identity) << request.authorization.toStdString();
        EXPECT_FALSE(found.passwordToCheck) << request.authorization.toStdString();
    }

    const WebAccess noToken(QByteArray(), WebRole::Operator, m_sessions);
    EXPECT_FALSE(noToken.Identify({"GET", {}, "Bearer ", {}, {}}).identity);
    EXPECT_TRUE(noToken.Identify({"GET", {}, Basic("x:"), {}, {}}).passwordToCheck == std::nullopt);
    const auto operatorToken = WebAccess("s3cret-token", WebRole::Operator, m_sessions)
                                   .Identify({"POST", {}, "Bearer s3cret-token", {}, {}});
    ASSERT_TRUE(operatorToken.identity);
    EXPECT_EQ(operatorToken.identity->role, WebRole::Operator);
}

TEST_F(WebAccessTest, TheTokenIsTakenOnlyWholeAfterItsScheme)
{
    const WebAccess access("s3cret-token", WebRole::Viewer, m_sessions);
    const struct {
        const char *header;
        bool accepted;
    } cases[] = {
        {"Bearer s3cret-token", true},
        {"bearer s3cret-token", true},
        {"  Bearer   s3cret-token  ", true},
        {"Bearer s3cret-toke", false},   // a prefix
        {"Bearer s3cret-tokenX", false}, // longer
        {"Bearer S3cret-token", false},  // case of the token counts
        {"Basic s3cret-token", false},   // not base64
        // Basic, as a browser sends it: any user name, the token as the password.
        {"Basic b3BlcmF0b3I6czNjcmV0LXRva2Vu", true},      // operator:s3cret-token
        {"basic OnMzY3JldC10b2tlbg==", true},              // :s3cret-token
        {"Basic czNjcmV0LXRva2VuOg==", false},             // s3cret-token: (the token as the user)
        {"Basic b3BlcmF0b3I6czNjcmV0LXRva2U=", false},     // operator:s3cret-toke
        {"Basic b3BlcmF0b3I6czNjcmV0LXRva2VuIA==", false}, // a blank after the token
        {"s3cret-token", false},
        {"Bearer", false},
        {"", false},
    };
    for (const auto &c : cases) {
        const auto found = access.Identify({"GET", {}, c.header, {}, {}});
        EXPECT_EQ(found.identity.has_value(), c.accepted) << c.header;
    }
    const WebAccess noToken({}, WebRole::Viewer, m_sessions);
    EXPECT_FALSE(noToken.Identify({"GET", {}, "Bearer ", {}, {}}).identity)
        << "no token configured lets nobody in";
}

TEST(WebAccessDecision, ViewersLookOperatorsActAndOnlyWithProof)
{
    const WebIdentity viewerToken{WebIdentity::Via::Token, WebRole::Viewer, {}, {}};
    const WebIdentity operatorToken{WebIdentity::Via::Token, WebRole::Operator, {}, {}};
    const WebIdentity operatorUser{WebIdentity::Via::Password, WebRole::Operator, "alice", {}};
    const WebIdentity viewerSession{WebIdentity::Via::Session, WebRole::Viewer, "bob", "csrf-b"};
    const WebIdentity operatorSession{WebIdentity::Via::Session, WebRole::Operator, "alice",
                                      "csrf-a"};
    const std::optional<WebIdentity> nobody;
    const auto Allowed = AccessVerdict::Allowed;
    const auto Unauthorized = AccessVerdict::Unauthorized;
    const auto Forbidden = AccessVerdict::Forbidden;
    const auto MethodNotAllowed = AccessVerdict::MethodNotAllowed;
    const struct {
        const char *what;
        AccessRequest request;
        AccessNeed need;
        std::optional<WebIdentity> identity;
        AccessVerdict verdict;
    } cases[] = {
        {"login page", {"GET", {}, {}, {}, {}}, AccessNeed::Open, nobody, Allowed},
        {"status unknown", {"GET", {}, {}, {}, {}}, AccessNeed::View, nobody, Unauthorized},
        {"status viewer", {"GET", {}, {}, {}, {}}, AccessNeed::View, viewerToken, Allowed},
        {"HEAD viewer", {"HEAD", {}, {}, {}, {}}, AccessNeed::View, viewerSession, Allowed},
        {"view by POST", {"POST", {}, {}, {}, {}}, AccessNeed::View, viewerToken, MethodNotAllowed},
        {"action by GET",
         {"GET", {}, {}, {}, "csrf-a"},
         AccessNeed::Action,
         operatorSession,
         MethodNotAllowed},
        {"action PUT",
         {"PUT", "application/json", {}, {}, {}},
         AccessNeed::Action,
         operatorToken,
         MethodNotAllowed},
        {"action unknown",
         {"POST", "application/json", {}, {}, {}},
         AccessNeed::Action,
         nobody,
         Unauthorized},
        {"viewer token acts",
         {"POST", "application/json", {}, {}, {}},
         AccessNeed::Action,
         viewerToken,
         Forbidden},
        {"viewer session acts",
         {"POST", {}, {}, {}, "csrf-b"},
         AccessNeed::Action,
         viewerSession,
         Forbidden},
        {"operator token JSON",
         {"POST", "application/json", {}, {}, {}},
         AccessNeed::Action,
         operatorToken,
         Allowed},
        {"operator user JSON charset",
         {"POST", "Application/JSON; charset=utf-8", {}, {}, {}},
         AccessNeed::Action,
         operatorUser,
         Allowed},
        {"operator user form",
         {"POST", "application/x-www-form-urlencoded", {}, {}, {}},
         AccessNeed::Action,
         operatorUser,
         Forbidden},
        {"operator user text",
         {"POST", "text/plain", {}, {}, {}},
         AccessNeed::Action,
         operatorUser,
         Forbidden},
        {"operator user json-ish",
         {"POST", "application/jsonp", {}, {}, {}},
         AccessNeed::Action,
         operatorUser,
         Forbidden},
        {"operator user no type",
         {"POST", {}, {}, {}, {}},
         AccessNeed::Action,
         operatorUser,
         Forbidden},
        {"session with token",
         {"POST", {}, {}, {}, "csrf-a"},
         AccessNeed::Action,
         operatorSession,
         Allowed},
        {"session JSON no token",
         {"POST", "application/json", {}, {}, {}},
         AccessNeed::Action,
         operatorSession,
         Forbidden},
        {"session wrong token",
         {"POST", {}, {}, {}, "csrf-b"},
         AccessNeed::Action,
         operatorSession,
         Forbidden},
        {"session token prefix",
         {"POST", {}, {}, {}, "csrf-"},
         AccessNeed::Action,
         operatorSession,
         Forbidden},
    };
    for (const auto &c : cases)
        EXPECT_EQ(DecideAccess(c.request, c.need, c.identity), c.verdict) << c.what;
    EXPECT_EQ(AccessVerdictStatus(Unauthorized), 401);
    EXPECT_EQ(AccessVerdictStatus(Forbidden), 403);
    EXPECT_EQ(AccessVerdictStatus(MethodNotAllowed), 405);
}

TEST(PasswordChecker, AnswersOnItsOwnThreadAndRefusesBeyondItsQueue)
{
    QString error;
    const QByteArray hash = HashPassword("right password", &error);
    ASSERT_FALSE(hash.isEmpty()) << error.toStdString();
    PasswordChecker checker(2);
    QSignalSpy answers(&checker, &PasswordChecker::checked);
    EXPECT_TRUE(checker.Check(1, "right password", hash));
    EXPECT_TRUE(checker.Check(2, "wrong password", hash));
    EXPECT_FALSE(checker.Check(3, "right password", hash)) << "the queue holds two";
    EXPECT_EQ(checker.pending(), 2);
    while (answers.size() < 2)
        ASSERT_TRUE(answers.wait(10000));
    EXPECT_EQ(answers.at(0).at(0).value<quint64>(), 1u);
    EXPECT_TRUE(answers.at(0).at(1).toBool());
    EXPECT_EQ(answers.at(1).at(0).value<quint64>(), 2u);
    EXPECT_FALSE(answers.at(1).at(1).toBool());
    EXPECT_EQ(checker.pending(), 0);
    EXPECT_TRUE(checker.Check(4, "right password", hash));
}
