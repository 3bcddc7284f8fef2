// Delivery through the libcurl transport to a real SMTP server process on
// loopback: plain, STARTTLS with login, and the failures an operator meets.
#include "curl_mail_transport.h"
#include "email_copy.h"
#include "email_message.h"
#include "mail_queue.h"
#include "send_email.h"
#include "smtp_test_server.h"
#include "test_support.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>

#include <atomic>
#include <future>

using namespace vantor;
using namespace vantor::test;

namespace {

const QString User = QStringLiteral("station");
const QString Password = QStringLiteral("s3cret pass");

QDateTime Now()
{
    return QDateTime(QDate(2026, 12, 10), QTime(3, 15, 7), QTimeZone(3600));
}

QByteArray Message(const QString &recipients, const QString &body)
{
    return SerialiseEmail(
        {QStringLiteral("station@example.org"), recipients, QStringLiteral("Test"), body, Now()});
}

// A port on loopback where nothing listens.
int ClosedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

class SmtpDelivery : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        certDir = new QTemporaryDir;
        certOk = MakeThrowAwayCertificate(certDir->path());
    }
    static void TearDownTestSuite()
    {
        delete certDir;
        certDir = nullptr;
    }

    static SmtpServerOptions TlsLogin()
    {
        return {certDir->path() + QStringLiteral("/cert.pem"),
                certDir->path() + QStringLiteral("/key.pem"),
                User,
                Password,
                {}};
    }

    QString SendVia(CurlMailTransport &transport, const QByteArray &message, int port,
                    bool authenticate = false, bool tls = false, const QString &password = Password,
                    int timeLimitMs = SendTimeLimitMs)
    {
        transport.Msg(message);
        transport.Auth(authenticate, tls, User, password);
        return transport.Send(QStringLiteral("127.0.0.1"), port, timeLimitMs);
    }

    // Composes a message and sends it through a queue with the given
    // transport, as the station does; the status once it is known.
    QString ComposeAndSend(const EmailSettings &settings, const QString &recipient,
                           const QString &text, const QString &folder,
                           std::unique_ptr<CurlMailTransport> transport)
    {
        const ComposedEmail composed = ComposeEmail(settings, recipient, text, {}, Now(), folder);
        if (!composed.delivery)
            return QStringLiteral("nothing to send");
        MailQueue queue(std::move(transport));
        QString status;
        queue.Enqueue(*composed.delivery, [&](const QString &s) { status = s; });
        EXPECT_TRUE(waitFor([&] { return queue.Pending() == 0; }, 3 * SendTimeLimitMs));
        return status;
    }

    static std::unique_ptr<CurlMailTransport> TrustingTransport()
    {
        auto transport = std::make_unique<CurlMailTransport>();
        transport->SetCaFile(certDir->path() + QStringLiteral("/cert.pem"));
        return transport;
    }

    static inline QTemporaryDir *certDir = nullptr;
    static inline bool certOk = false;
};

} // namespace

TEST_F(SmtpDelivery, PlainDeliveryArrivesAsComposed)
{
    SmtpTestServer server;
    ASSERT_NE(server.port(), 0) << server.error().toStdString();
    CurlMailTransport transport;
    const QString body = QStringLiteral(".starts with a dot\r\n..two\r\n.\r\nend \xe9");
    const QString status =
        SendVia(transport, Message(QStringLiteral("ops@example.org"), body), server.port());
    EXPECT_TRUE(status.startsWith(QLatin1String("OK"))) << status.toStdString();

    ASSERT_EQ(server.messageCount(), 1);
    // Stuffed once by the client, unstuffed once by the server: the stored body
    // is the composed one, not a doubly dotted one.
    EXPECT_EQ(server.message(1), QByteArray("From: station@example.org\r\n"
                                            "Subject: Test\r\n"
                                            "To: ops@example.org\r\n"
                                            "Date: Thu, 10 Dec 2026 03:15:07 +0100\r\n"
                                            "\r\n"
                                            ".starts with a dot\r\n"
                                            "..two\r\n"
                                            ".\r\n"
                                            "end \xe9\r\n"));
    EXPECT_EQ(server.envelopeSender(1), QStringLiteral("station@example.org"));
    EXPECT_EQ(server.envelopeRecipients(1), QStringList{QStringLiteral("ops@example.org")});
}

TEST_F(SmtpDelivery, EveryListedRecipientGetsTheMessage)
{
    SmtpTestServer server;
    ASSERT_NE(server.port(), 0) << server.error().toStdString();
    CurlMailTransport transport;
    const QString status =
        SendVia(transport,
                Message(QStringLiteral("one@example.org,two@example.org; Ops <three@example.org>"),
                        QStringLiteral("x")),
                server.port());
    EXPECT_TRUE(status.startsWith(QLatin1String("OK"))) << status.toStdString();
    ASSERT_EQ(server.messageCount(), 1);
    EXPECT_EQ(server.envelopeRecipients(1),
              (QStringList{QStringLiteral("one@example.org"), QStringLiteral("two@example.org"),
                           QStringLiteral("three@example.org")}));
}

TEST_F(SmtpDelivery, StartTlsWithLogin)
{
    ASSERT_TRUE(certOk);
    SmtpTestServer server(TlsLogin());
    ASSERT_NE(server.port(), 0) << server.error().toStdString();
    CurlMailTransport transport;
    transport.SetCaFile(certDir->path() + QStringLiteral("/cert.pem"));
    const QByteArray message = Message(QStringLiteral("ops@example.org"), QStringLiteral(".x"));
    const QString status = SendVia(transport, message, server.port(), true, true);
    EXPECT_TRUE(status.startsWith(QLatin1String("OK"))) << status.toStdString();
    ASSERT_EQ(server.messageCount(), 1);
    EXPECT_TRUE(server.message(1).endsWith("\r\n\r\n.x\r\n"));
}

TEST_F(SmtpDelivery, RefusedLoginAndUntrustedCertificateFail)
{
    ASSERT_TRUE(certOk);
    SmtpTestServer server(TlsLogin());
    ASSERT_NE(server.port(), 0) << server.error().toStdString();
    const QByteArray message = Message(QStringLiteral("ops@example.org"), QStringLiteral("x"));

    CurlMailTransport trusting;
    trusting.SetCaFile(certDir->path() + QStringLiteral("/cert.pem"));
    const QString refused =
        SendVia(trusting, message, server.port(), true, true, QStringLiteral("wrong"));
    EXPECT_TRUE(refused.startsWith(QLatin1String("authentication failed")))
        << refused.toStdString();
    EXPECT_TRUE(refused.contains(QLatin1String("535"))) << refused.toStdString();

    // The certificate is checked: one nobody vouched for ends the dialogue.
    CurlMailTransport verifying;
    verifying.SetCaFile(QString());
    const QString untrusted = SendVia(verifying, message, server.port(), true, true);
    EXPECT_TRUE(untrusted.startsWith(QLatin1String("TLS failed"))) << untrusted.toStdString();

    EXPECT_EQ(server.messageCount(), 0);
}

TEST_F(SmtpDelivery, TlsRequiredButNotOfferedSendsNothing)
{
    SmtpTestServer server;
    ASSERT_NE(server.port(), 0) << server.error().toStdString();
    CurlMailTransport transport;
    const QString status =
        SendVia(transport, Message(QStringLiteral("ops@example.org"), QStringLiteral("x")),
                server.port(), false, true);
    EXPECT_TRUE(status.startsWith(QLatin1String("TLS failed"))) << status.toStdString();
    EXPECT_EQ(server.messageCount(), 0);
}

TEST_F(SmtpDelivery, RefusedRecipient)
{
    SmtpServerOptions options;
    options.refusedRecipient = QStringLiteral("gone@example.org");
    SmtpTestServer server(options);
    ASSERT_NE(server.port(), 0) << server.error().toStdString();
    CurlMailTransport transport;
    const QString status =
        SendVia(transport,
                Message(QStringLiteral("ops@example.org, gone@example.org"), QStringLiteral("x")),
                server.port());
    EXPECT_TRUE(status.startsWith(QLatin1String("recipient refused"))) << status.toStdString();
    EXPECT_TRUE(status.contains(QLatin1String("550"))) << status.toStdString();
    EXPECT_EQ(server.messageCount(), 0);
}

TEST_F(SmtpDelivery, ServerDownOrSilent)
{
    CurlMailTransport transport;
    const QByteArray message = Message(QStringLiteral("ops@example.org"), QStringLiteral("x"));
    const QString down = SendVia(transport, message, ClosedPort());
    EXPECT_TRUE(down.startsWith(QLatin1String("connection refused"))) << down.toStdString();
    // An IPv6 address is a host name too, not a malformed server text.
    transport.Msg(message);
    const QString downV6 = transport.Send(QStringLiteral("::1"), ClosedPort(), 1500);
    EXPECT_TRUE(downV6.startsWith(QLatin1String("connection refused"))) << downV6.toStdString();

    // Listening but never accepting: the connection is made by the kernel,
    // and no greeting ever comes.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    QElapsedTimer clock;
    clock.start();
    const QString timedOut =
        SendVia(transport, message, silent.serverPort(), false, false, Password, 1500);
    const qint64 elapsed = clock.elapsed();
    EXPECT_TRUE(timedOut.startsWith(QLatin1String("time-out after 1500 ms")))
        << timedOut.toStdString();
    EXPECT_GE(elapsed, 1400);
    EXPECT_LT(elapsed, 3000);
}

TEST_F(SmtpDelivery, AbortCutsASilentDialogueShort)
{
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    CurlMailTransport transport;
    transport.Msg(Message(QStringLiteral("ops@example.org"), QStringLiteral("x")));
    transport.Auth(false, false, {}, {});
    QElapsedTimer clock;
    clock.start();
    auto status = std::async(std::launch::async, [&] {
        return transport.Send(QStringLiteral("127.0.0.1"), silent.serverPort(), 20000);
    });
    // Once the connection is made the dialogue waits for a greeting that
    // never comes.
    ASSERT_TRUE(waitFor([&] { return silent.hasPendingConnections(); }));
    transport.Abort();
    ASSERT_EQ(status.wait_for(std::chrono::seconds(3)), std::future_status::ready);
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_TRUE(status.get().startsWith(QLatin1String("sending failed")));
    // Aborted for good: the next message does not even connect.
    EXPECT_TRUE(transport.Send(QStringLiteral("127.0.0.1"), silent.serverPort(), 20000)
                    .startsWith(QLatin1String("sending failed")));
}

TEST_F(SmtpDelivery, InvalidServerOrNoRecipientIsReportedWithoutConnecting)
{
    CurlMailTransport transport;
    const QByteArray message = Message(QStringLiteral("ops@example.org"), QStringLiteral("x"));
    transport.Msg(message);
    transport.Auth(false, false, {}, {});
    EXPECT_TRUE(transport.Send(QStringLiteral("ab:2525"), 25, 1000)
                    .startsWith(QLatin1String("invalid server name")));
    EXPECT_TRUE(transport.Send(QStringLiteral("mail.example.org"), 123456, 1000)
                    .startsWith(QLatin1String("invalid server port")));
    transport.Msg(Message(QString(), QStringLiteral("x")));
    EXPECT_TRUE(transport.Send(QStringLiteral("127.0.0.1"), ClosedPort(), 1000)
                    .startsWith(QLatin1String("no recipient")));
}

TEST_F(SmtpDelivery, SendEmailDeliversAndKeepsTheCopy)
{
    ASSERT_TRUE(certOk);
    SmtpTestServer server(TlsLogin());
    ASSERT_NE(server.port(), 0) << server.error().toStdString();
    QTemporaryDir sent;
    EmailSettings settings;
    settings.Enable = true;
    settings.SMTPServer = QStringLiteral("127.0.0.1:%1").arg(server.port());
    settings.From = QStringLiteral("station@example.org");
    settings.Authenticate = true;
    settings.TLS = true;
    settings.Username = User;
    settings.Password = Password;
    settings.Signature = QStringLiteral(".sig");

    const QString folder = sent.path() + QLatin1Char('/');
    const QString status =
        ComposeAndSend(settings, QStringLiteral("a@example.org, b@example.org"),
                       QStringLiteral("Alarm\r\n.line"), folder, TrustingTransport());
    EXPECT_TRUE(Delivered(status)) << status.toStdString();

    const QByteArray copy = readAll(folder + QStringLiteral("2026-12-10 03-15-07.eml"));
    EXPECT_EQ(copy, QByteArray("From: station@example.org\r\n"
                               "Subject: Vantor Alarm Message\r\n"
                               "To: a@example.org, b@example.org\r\n"
                               "Date: Thu, 10 Dec 2026 03:15:07 +0100\r\n"
                               "\r\n"
                               "Alarm\r\n"
                               "..line\r\n"
                               "\r\n"
                               "..sig\r\n"
                               ".\r\n"));
    ASSERT_EQ(server.messageCount(), 1);
    EXPECT_EQ(server.envelopeRecipients(1),
              (QStringList{QStringLiteral("a@example.org"), QStringLiteral("b@example.org")}));
    EXPECT_TRUE(server.message(1).endsWith("\r\n\r\nAlarm\r\n.line\r\n\r\n.sig\r\n"));
}

TEST_F(SmtpDelivery, SendEmailReportsTransportFailures)
{
    ASSERT_TRUE(certOk);
    SmtpTestServer server(TlsLogin());
    ASSERT_NE(server.port(), 0) << server.error().toStdString();
    QTemporaryDir sent;
    const QString folder = sent.path() + QLatin1Char('/');
    EmailSettings settings;
    settings.Enable = true;
    settings.Authenticate = true;
    settings.TLS = true;
    settings.Username = User;
    settings.Password = QStringLiteral("wrong");

    const struct {
        QString server;
        const char *status;
    } cases[] = {{QStringLiteral("127.0.0.1:%1").arg(server.port()), "authentication failed"},
                 {QStringLiteral("127.0.0.1:%1").arg(ClosedPort()), "connection refused"}};
    for (const auto &c : cases) {
        settings.SMTPServer = c.server;
        const QString status = ComposeAndSend(settings, QStringLiteral("ops@example.org"),
                                              QStringLiteral("x"), folder, TrustingTransport());
        EXPECT_TRUE(status.startsWith(QLatin1String(c.status))) << status.toStdString();
        // The copy stays even though the message did not go out.
        EXPECT_FALSE(readAll(folder + EmailCopyFileName(Now())).isEmpty());
        QFile::remove(folder + EmailCopyFileName(Now()));
    }
    EXPECT_EQ(server.messageCount(), 0);
}

namespace {

// The libcurl transport, counting the deliveries tried.
class CountingTransport : public MailTransport
{
public:
    void Msg(const QByteArray &message) override { m_curl.Msg(message); }
    void Auth(bool authenticate, bool tls, const QString &user, const QString &password) override
    {
        m_curl.Auth(authenticate, tls, user, password);
    }
    QString Send(const QString &host, int port, int timeLimitMs) override
    {
        ++attempts;
        return m_curl.Send(host, port, timeLimitMs);
    }
    void Abort() override { m_curl.Abort(); }

    std::atomic<int> attempts = 0;

private:
    CurlMailTransport m_curl;
};

} // namespace

TEST(SmtpOutage, EveryMailQueuedWhileTheServerIsAwayArrivesOnceInOrder)
{
    SmtpTestServer server;
    ASSERT_NE(server.port(), 0) << server.error().toStdString();
    auto *transport = new CountingTransport;
    MailQueue queue{std::unique_ptr<MailTransport>(transport)};
    queue.SetRetryDelays(50, 200);
    server.Stop();

    QStringList statuses;
    const int count = 4;
    for (int k = 1; k <= count; ++k) {
        OutgoingEmail mail;
        mail.message =
            Message(QStringLiteral("ops@example.org"), QStringLiteral("alarm %1").arg(k));
        mail.server = {QStringLiteral("127.0.0.1"), server.port()};
        mail.retryForMs = 60000;
        queue.Enqueue(mail, [&](const QString &status) { statuses << status; });
    }
    ASSERT_TRUE(waitFor([&] { return transport->attempts >= 3; }, 10000));
    EXPECT_EQ(server.messageCount(), 0);
    EXPECT_EQ(queue.Pending(), count);
    ASSERT_TRUE(server.Restart()) << server.error().toStdString();

    ASSERT_TRUE(waitFor([&] { return queue.Pending() == 0; }, 30000));
    ASSERT_EQ(statuses.size(), count);
    for (const QString &status : statuses)
        EXPECT_TRUE(Delivered(status)) << status.toStdString();
    ASSERT_EQ(server.messageCount(), count);
    for (int k = 1; k <= count; ++k) {
        EXPECT_TRUE(
            server.message(k).endsWith(QStringLiteral("\r\n\r\nalarm %1\r\n").arg(k).toLatin1()))
            << server.message(k).toStdString();
        EXPECT_TRUE(server.message(k).contains("Date: Thu, 10 Dec 2026 03:15:07 +0100\r\n"))
            << "the message keeps the time it was composed";
    }
}
