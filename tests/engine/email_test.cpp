// E-mail from the engine through a real SMTP server on loopback: delivery,
// the failure line in "app.log", the test message and the daily report.
#include "engine_fixture.h"
#include "smtp_test_server.h"

using namespace vantor;
using namespace vantor::test;

namespace {
class EngineEmail : public EngineFixture
{
protected:
    void StartWithServer(int port, const QByteArray &extra = {})
    {
        WriteDevices({QStringLiteral("10.0.0.5:7000"), QStringLiteral("10.0.0.6:7000")},
                     {"Email=ops@example.com\r\n", "Email=noc@example.com\r\n"});
        WriteFile(QStringLiteral("config.ini"),
                  "[Email]\r\nEnable=1\r\nFrom=vantor@example.com\r\nTo=test@example.com\r\n"
                  "SMTPServer=127.0.0.1:" +
                      QByteArray::number(port) + "\r\n" + extra);
        Start();
    }
    QString AppLog()
    {
        return QString::fromLatin1(
            readAll(engine.Folders.AppLogsFolder + QStringLiteral("app.log")));
    }
};
} // namespace

TEST_F(EngineEmail, DeliversAndReportsFailuresInTheApplicationLog)
{
    SmtpServerOptions options;
    options.user = QStringLiteral("station");
    options.password = QStringLiteral("secret");
    SmtpTestServer smtp(options);
    ASSERT_GT(smtp.port(), 0) << qPrintable(smtp.error());
    StartWithServer(smtp.port(), "Authenticate=1\r\nUsername=station\r\nPassword=wrong\r\n");

    EXPECT_FALSE(engine.SendEmail(QStringLiteral("ops@example.com"), QStringLiteral("Body"), false,
                                  QString()));
    EXPECT_TRUE(AppLog().contains(
        QStringLiteral("[application] Unable to send email (authentication failed")))
        << qPrintable(AppLog());
    EXPECT_EQ(smtp.messageCount(), 0);
    view.interactive = true;
    EXPECT_EQ(engine.SendTestEmail(), QStringLiteral("Unable to send email"));
    ASSERT_EQ(view.messages.size(), 1) << "the test message shows the transport's text";
    EXPECT_TRUE(view.messages[0].startsWith(QStringLiteral("authentication failed")));

    engine.Prefs().SetText(QStringLiteral("Password"), QStringLiteral("secret"));
    EXPECT_EQ(engine.SendTestEmail(), QStringLiteral("Email sent OK"));
    ASSERT_EQ(smtp.messageCount(), 1);
    EXPECT_TRUE(smtp.message(1).contains("To: test@example.com\r\n"));
    EXPECT_TRUE(smtp.message(1).contains("\r\n\r\nTest Message\r\n"));

    engine.Prefs().SetFlag(QStringLiteral("Enable"), false);
    EXPECT_EQ(engine.SendTestEmail(), QStringLiteral("Enable the Email function first"));
    EXPECT_EQ(smtp.messageCount(), 1);
}

TEST_F(EngineEmail, AServerThatIsDownGivesFalseAndALogLine)
{
    int port;
    {
        SmtpTestServer gone;
        port = gone.port();
    }
    StartWithServer(port);
    EXPECT_FALSE(engine.SendEmail(QStringLiteral("ops@example.com"), QStringLiteral("Body"), false,
                                  QString()));
    EXPECT_TRUE(
        AppLog().contains(QStringLiteral("[application] Unable to send email (connection refused")))
        << qPrintable(AppLog());
}

TEST_F(EngineEmail, TheDailyReportArrivesAfterADayOfUptime)
{
    SmtpTestServer smtp;
    ASSERT_GT(smtp.port(), 0);
    StartWithServer(smtp.port(), "SendDailyReports=1\r\n");
    engine.AddToActivityLog(1000 + 1, QStringLiteral("Connected to 10.0.0.6:7000"));
    clock.advanceSeconds(24 * 3600);
    for (int k = 0; k < 5; ++k)
        engine.TimerStatusTimer();
    ASSERT_EQ(smtp.messageCount(), 1);
    const QByteArray mail = smtp.message(1);
    EXPECT_TRUE(mail.contains("Subject: Vantor Daily Report\r\n"));
    EXPECT_EQ(smtp.envelopeRecipients(1),
              (QStringList{QStringLiteral("ops@example.com"), QStringLiteral("noc@example.com")}));
    EXPECT_TRUE(mail.contains("Device 'D1' Recent Activity:\r\n\r\n"));
    EXPECT_TRUE(mail.contains("[D1] Connected to 10.0.0.6:7000\r\n"));
    EXPECT_TRUE(mail.contains("--- End of the report ---\r\n"));
}
