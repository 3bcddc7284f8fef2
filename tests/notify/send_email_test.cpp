#include "email_copy.h"
#include "send_email.h"
#include "test_support.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>

using namespace vantor;
using vantor::test::readAll;

namespace {

class ComposeEmailTest : public ::testing::Test
{
protected:
    ComposeEmailTest()
    {
        settings.Enable = true;
        settings.SMTPServer = QStringLiteral("mail.example.org:587");
        settings.From = QStringLiteral("station@example.org");
        settings.Signature = QStringLiteral("-- \r\nNorth station");
        folder = tmp.path() + QLatin1Char('/');
    }

    ComposedEmail Compose(const QString &recipient, const QString &text,
                          const QString &subject = {})
    {
        return ComposeEmail(settings, recipient, text, subject, now, folder);
    }

    QStringList Copies() const { return QDir(tmp.path()).entryList(QDir::Files); }
    QByteArray Copy() const { return readAll(folder + EmailCopyFileName(now)); }

    QTemporaryDir tmp;
    QString folder;
    EmailSettings settings;
    QDateTime now{QDate(2026, 12, 8), QTime(21, 15, 7), QTimeZone(3600)};
};

} // namespace

TEST_F(ComposeEmailTest, DisabledOrImplausibleRecipientDoesNothing)
{
    const struct {
        bool enable;
        const char *recipient;
        bool sent;
    } cases[] = {
        {false, "ops@example.org", false},
        {true, "@.", false},
        {true, "ops@example", false},
        {true, "ops.example.org", false},
        {true, "", false},
        {true, "@.x", true},
        {true, "x.@", true},
    };
    for (const auto &c : cases) {
        settings.Enable = c.enable;
        const ComposedEmail out = Compose(QString::fromLatin1(c.recipient), QStringLiteral("t"));
        EXPECT_EQ(out.accepted, c.sent) << c.recipient;
        EXPECT_EQ(out.delivery.has_value(), c.sent) << c.recipient;
        EXPECT_EQ(Copies().isEmpty(), !c.sent) << c.recipient;
        QDir(tmp.path()).removeRecursively();
        QDir().mkpath(tmp.path());
    }
}

TEST_F(ComposeEmailTest, CopyAndHandOver)
{
    settings.Authenticate = true;
    settings.TLS = true;
    settings.Username = QStringLiteral("user");
    settings.Password = QStringLiteral("pass word");
    const ComposedEmail out =
        Compose(QStringLiteral("ops@example.org"), QStringLiteral("Silence\r\n.hidden"));
    EXPECT_TRUE(out.accepted);
    ASSERT_TRUE(out.delivery);

    const QByteArray expected = "From: station@example.org\r\n"
                                "Subject: Vantor Alarm Message\r\n"
                                "To: ops@example.org\r\n"
                                "Date: Tue, 08 Dec 2026 21:15:07 +0100\r\n"
                                "\r\n"
                                "Silence\r\n"
                                "..hidden\r\n"
                                "\r\n"
                                "-- \r\n"
                                "North station\r\n"
                                ".\r\n";
    EXPECT_EQ(Copies(), QStringList{QStringLiteral("2026-12-08 21-15-07.eml")});
    EXPECT_EQ(Copy(), expected);
    const OutgoingEmail &mail = *out.delivery;
    EXPECT_EQ(mail.message, expected);
    EXPECT_TRUE(mail.authenticate);
    EXPECT_TRUE(mail.tls);
    EXPECT_EQ(mail.user, QStringLiteral("user"));
    EXPECT_EQ(mail.password, QStringLiteral("pass word"));
    EXPECT_EQ(mail.server, (SmtpServer{QStringLiteral("mail.example.org"), 587}));
}

TEST_F(ComposeEmailTest, GivenSubjectAndPortRules)
{
    settings.SMTPServer = QStringLiteral("ab:2525");
    const ComposedEmail out = Compose(QStringLiteral("ops@example.org"), QStringLiteral("x"),
                                      QStringLiteral("Vantor Daily Report"));
    EXPECT_TRUE(Copy().contains("\r\nSubject: Vantor Daily Report\r\n"));
    ASSERT_TRUE(out.delivery);
    EXPECT_EQ(out.delivery->server, (SmtpServer{QStringLiteral("ab:2525"), 25}));
}

TEST_F(ComposeEmailTest, EmptyServerKeepsTheCopyAndSendsNothing)
{
    settings.SMTPServer.clear();
    const ComposedEmail out = Compose(QStringLiteral("ops@example.org"), QStringLiteral("x"));
    EXPECT_TRUE(out.accepted);
    EXPECT_FALSE(out.delivery);
    EXPECT_TRUE(Copy().endsWith("\r\n\r\nx\r\n\r\n-- \r\nNorth station\r\n.\r\n"));
}

TEST_F(ComposeEmailTest, TransportAdjustmentsSpareTheCopy)
{
    const QString text = QStringLiteral("Content-Transfer-Encoding: 7bit\r\n"
                                        "Content-Transfer-Encoding: 7bit\r\n"
                                        "\r\n"
                                        " =?UTF-8?Q?caf=C3=A9?=");
    const ComposedEmail out = Compose(QStringLiteral("ops@example.org"), text);
    const QByteArray copy = Copy();
    EXPECT_EQ(copy.count("Content-Transfer-Encoding: 7bit"), 2);
    EXPECT_TRUE(copy.contains("7bit\r\n\r\n =?UTF-8?Q?caf"));

    ASSERT_TRUE(out.delivery);
    QByteArray adjusted = copy;
    adjusted.replace(adjusted.indexOf("7bit"), 1, "8");
    adjusted.replace("7bit\r\n\r\n =?UTF-8?Q?", "7bit\r\n =?UTF-8?Q?");
    EXPECT_EQ(out.delivery->message, adjusted);
    EXPECT_TRUE(out.delivery->message.contains("8bit\r\nContent-Transfer-Encoding: 7bit\r\n =?"));
}

TEST(SendEmailStatus, OnlyALeadingOkIsDelivery)
{
    const struct {
        const char *status;
        bool ok;
    } cases[] = {{"OK", true}, {"OK (250 Accepted)", true},  {"Ok", false}, {" OK", false},
                 {"", false},  {"connection refused", false}};
    for (const auto &c : cases)
        EXPECT_EQ(Delivered(QString::fromLatin1(c.status)), c.ok) << c.status;
    EXPECT_EQ(UnableToSendLine(QStringLiteral("time-out after 5000 ms")),
              QStringLiteral("Unable to send email (time-out after 5000 ms)"));
}

TEST_F(ComposeEmailTest, CopiesOfTheSameSecondAreAllKeptAndAnUnwritableCopyIsIgnored)
{
    const QStringList texts{QStringLiteral("first"), QStringLiteral("second"),
                            QStringLiteral("third")};
    for (const QString &text : texts)
        Compose(QStringLiteral("ops@example.org"), text);
    // A copy of the next second, to show that the same second's stay together.
    const QDateTime sent = now;
    now = now.addSecs(1);
    Compose(QStringLiteral("ops@example.org"), QStringLiteral("next"));
    const QStringList names = QDir(tmp.path()).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(names, (QStringList{QStringLiteral("2026-12-08 21-15-07.eml"),
                                  QStringLiteral("2026-12-08 21-15-07_002.eml"),
                                  QStringLiteral("2026-12-08 21-15-07_003.eml"),
                                  QStringLiteral("2026-12-08 21-15-08.eml")}));
    for (int copy = 1; copy <= 3; ++copy) {
        EXPECT_TRUE(readAll(folder + EmailCopyFileName(sent, copy))
                        .contains(QByteArray("\r\n" + texts[copy - 1].toLatin1() + "\r\n")))
            << copy;
    }

    folder = tmp.path() + QStringLiteral("/missing/");
    const ComposedEmail out = Compose(QStringLiteral("ops@example.org"), QStringLiteral("x"));
    EXPECT_TRUE(out.accepted);
    EXPECT_TRUE(out.delivery);
}
