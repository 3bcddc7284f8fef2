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

// Records what the sending side hands over and answers with a set status.
class RecordingTransport : public MailTransport
{
public:
    QString status = QStringLiteral("OK");
    QByteArrayList messages;
    QString authCall;
    QString sendCall;

    void Msg(const QByteArray &message) override { messages.append(message); }
    void Auth(bool authenticate, bool tls, const QString &user, const QString &password) override
    {
        authCall = QStringLiteral("%1 %2 %3 %4").arg(authenticate).arg(tls).arg(user, password);
    }
    QString Send(const QString &host, int port, int timeLimitMs) override
    {
        sendCall = QStringLiteral("%1 %2 %3").arg(host).arg(port).arg(timeLimitMs);
        return status;
    }
};

class SendEmail : public ::testing::Test
{
protected:
    SendEmail()
    {
        settings.Enable = true;
        settings.SMTPServer = QStringLiteral("mail.example.org:587");
        settings.From = QStringLiteral("station@example.org");
        settings.Signature = QStringLiteral("-- \r\nNorth station");
        folder = tmp.path() + QLatin1Char('/');
    }

    SendEmailOutcome Send(const QString &recipient, const QString &text,
                          const QString &subject = {})
    {
        return SendEmailMessage(settings, recipient, text, subject, now, folder, transport);
    }

    QStringList Copies() const { return QDir(tmp.path()).entryList(QDir::Files); }
    QByteArray Copy() const { return readAll(folder + EmailCopyFileName(now)); }

    QTemporaryDir tmp;
    QString folder;
    EmailSettings settings;
    RecordingTransport transport;
    QDateTime now{QDate(2026, 12, 8), QTime(21, 15, 7), QTimeZone(3600)};
};

} // namespace

TEST_F(SendEmail, DisabledOrImplausibleRecipientDoesNothing)
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
        const SendEmailOutcome out = Send(QString::fromLatin1(c.recipient), QStringLiteral("t"));
        EXPECT_EQ(out.result, c.sent) << c.recipient;
        EXPECT_EQ(Copies().isEmpty(), !c.sent) << c.recipient;
        EXPECT_FALSE(out.transportFailed);
        QDir(tmp.path()).removeRecursively();
        QDir().mkpath(tmp.path());
    }
    EXPECT_EQ(transport.messages.size(), 2);
}

TEST_F(SendEmail, CopyAndHandOver)
{
    settings.Authenticate = true;
    settings.TLS = true;
    settings.Username = QStringLiteral("user");
    settings.Password = QStringLiteral("pass word");
    const SendEmailOutcome out =
        Send(QStringLiteral("ops@example.org"), QStringLiteral("Silence\r\n.hidden"));
    EXPECT_TRUE(out.result);
    EXPECT_FALSE(out.transportFailed);
    EXPECT_EQ(out.status, QStringLiteral("OK"));

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
    EXPECT_EQ(transport.messages, QByteArrayList{expected});
    EXPECT_EQ(transport.authCall, QStringLiteral("1 1 user pass word"));
    EXPECT_EQ(transport.sendCall, QStringLiteral("mail.example.org 587 5000"));
}

TEST_F(SendEmail, GivenSubjectAndPortRules)
{
    settings.SMTPServer = QStringLiteral("ab:2525");
    Send(QStringLiteral("ops@example.org"), QStringLiteral("x"),
         QStringLiteral("Vantor Daily Report"));
    EXPECT_TRUE(Copy().contains("\r\nSubject: Vantor Daily Report\r\n"));
    EXPECT_EQ(transport.sendCall, QStringLiteral("ab:2525 25 5000"));
}

TEST_F(SendEmail, EmptyServerKeepsTheCopyAndSendsNothing)
{
    settings.SMTPServer.clear();
    const SendEmailOutcome out = Send(QStringLiteral("ops@example.org"), QStringLiteral("x"));
    EXPECT_TRUE(out.result);
    EXPECT_TRUE(out.status.isEmpty());
    EXPECT_TRUE(transport.messages.isEmpty());
    EXPECT_TRUE(transport.sendCall.isEmpty());
    EXPECT_TRUE(Copy().endsWith("\r\n\r\nx\r\n\r\n-- \r\nNorth station\r\n.\r\n"));
}

TEST_F(SendEmail, TransportAdjustmentsSpareTheCopy)
{
    const QString text = QStringLiteral("Content-Transfer-Encoding: 7bit\r\n"
                                        "Content-Transfer-Encoding: 7bit\r\n"
                                        "\r\n"
                                        " =?UTF-8?Q?caf=C3=A9?=");
    Send(QStringLiteral("ops@example.org"), text);
    const QByteArray copy = Copy();
    EXPECT_EQ(copy.count("Content-Transfer-Encoding: 7bit"), 2);
    EXPECT_TRUE(copy.contains("7bit\r\n\r\n =?UTF-8?Q?caf"));

    ASSERT_EQ(transport.messages.size(), 1);
    QByteArray adjusted = copy;
    adjusted.replace(adjusted.indexOf("7bit"), 1, "8");
    adjusted.replace("7bit\r\n\r\n =?UTF-8?Q?", "7bit\r\n =?UTF-8?Q?");
    EXPECT_EQ(transport.messages[0], adjusted);
    EXPECT_TRUE(transport.messages[0].contains("8bit\r\nContent-Transfer-Encoding: 7bit\r\n =?"));
}

TEST_F(SendEmail, StatusDecidesTheResult)
{
    const struct {
        const char *status;
        bool ok;
    } cases[] = {{"OK", true}, {"OK (250 Accepted)", true},  {"Ok", false}, {" OK", false},
                 {"", false},  {"connection refused", false}};
    for (const auto &c : cases) {
        transport.status = QString::fromLatin1(c.status);
        const SendEmailOutcome out = Send(QStringLiteral("ops@example.org"), QStringLiteral("x"));
        EXPECT_EQ(out.result, c.ok) << c.status;
        EXPECT_EQ(out.transportFailed, !c.ok) << c.status;
        EXPECT_EQ(out.status, transport.status);
    }
    EXPECT_EQ(UnableToSendLine(QStringLiteral("time-out after 5000 ms")),
              QStringLiteral("Unable to send email (time-out after 5000 ms)"));
}

TEST_F(SendEmail, CopyOfTheSameSecondIsReplacedAndAnUnwritableCopyIsIgnored)
{
    Send(QStringLiteral("first@example.org"), QStringLiteral("first"));
    Send(QStringLiteral("second@example.org"), QStringLiteral("second"));
    EXPECT_EQ(Copies().size(), 1);
    EXPECT_TRUE(Copy().contains("\r\nsecond\r\n"));

    folder = tmp.path() + QStringLiteral("/missing/");
    const SendEmailOutcome out = Send(QStringLiteral("ops@example.org"), QStringLiteral("x"));
    EXPECT_TRUE(out.result);
    EXPECT_EQ(transport.messages.size(), 3);
}
