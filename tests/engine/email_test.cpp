// E-mail from the engine through real SMTP peers on loopback: delivery, the
// failure line in "app.log", the test message, the daily report, messages
// queued in order, and a server that never answers while the station runs.
#include "engine_fixture.h"
#include "engine_tables.h"
#include "smtp_test_server.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTimer>

#include <optional>

using namespace vantor;
using namespace vantor::test;

namespace {
class EngineEmail : public EngineFixture
{
protected:
    void StartWithServer(int port, const QByteArray &extra = {},
                         const QByteArray &general = "[General]\r\n")
    {
        WriteDevices({QStringLiteral("10.0.0.5:7000"), QStringLiteral("10.0.0.6:7000")},
                     {"Email=ops@example.com\r\n", "Email=noc@example.com\r\n"});
        WriteFile(QStringLiteral("config.ini"),
                  general +
                      "[Email]\r\nEnable=1\r\nFrom=vantor@example.com\r\n"
                      "To=test@example.com\r\nSMTPServer=127.0.0.1:" +
                      QByteArray::number(port) + "\r\n" + extra);
        Start();
    }
    QString AppLog()
    {
        return QString::fromLatin1(
            readAll(Tables(engine).Folders.AppLogsFolder + QStringLiteral("app.log")));
    }
    QStringList Copies() const
    {
        return QDir(engine.FolderPaths().EmailsSentFolder).entryList(QDir::Files, QDir::Name);
    }

    // SendEmail's result once delivery has ended.
    bool SendAndWait(const QString &recipient, const QString &text)
    {
        std::optional<bool> result;
        engine.SendEmail(recipient, text, false, QString(), [&](bool r) { result = r; });
        EXPECT_FALSE(result) << "the result comes through the event loop";
        EXPECT_TRUE(waitFor([&] { return result.has_value(); }, 3 * SendTimeLimitMs));
        return result.value_or(false);
    }

    // The text the Preferences dialog would show for its test message.
    QString TestEmail()
    {
        QString shown;
        const auto connection = QObject::connect(&engine, &Engine::TestEmailFinished,
                                                 [&](const QString &text) { shown = text; });
        engine.SendTestEmail();
        EXPECT_TRUE(waitFor([&] { return !shown.isEmpty(); }, 3 * SendTimeLimitMs));
        QObject::disconnect(connection);
        return shown;
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

    bool sent = true;
    engine.SendEmail(QStringLiteral("ops@example.com"), QStringLiteral("Body"), false, QString(),
                     [&](bool result) { sent = result; });
    // The copy is kept when the message is composed; the outcome comes later.
    EXPECT_EQ(Copies().size(), 1);
    EXPECT_FALSE(AppLog().contains(QStringLiteral("Unable to send email")));
    ASSERT_TRUE(waitFor([&] { return engine.PendingEmails() == 0; }, 3 * SendTimeLimitMs));
    EXPECT_FALSE(sent);
    EXPECT_TRUE(AppLog().contains(
        QStringLiteral("[application] Unable to send email (authentication failed")))
        << qPrintable(AppLog());
    EXPECT_EQ(smtp.messageCount(), 0);
    view.interactive = true;
    EXPECT_EQ(TestEmail(), QStringLiteral("Unable to send email"));
    ASSERT_EQ(view.messages.size(), 1) << "the test message shows the transport's text";
    EXPECT_TRUE(view.messages[0].startsWith(QStringLiteral("authentication failed")));

    engine.Prefs().SetText(QStringLiteral("Password"), QStringLiteral("secret"));
    EXPECT_EQ(TestEmail(), QStringLiteral("Email sent OK"));
    ASSERT_EQ(smtp.messageCount(), 1);
    EXPECT_TRUE(smtp.message(1).contains("To: test@example.com\r\n"));
    EXPECT_TRUE(smtp.message(1).contains("\r\n\r\nTest Message\r\n"));

    engine.Prefs().SetFlag(QStringLiteral("Enable"), false);
    EXPECT_EQ(TestEmail(), QStringLiteral("Enable the Email function first"));
    EXPECT_EQ(smtp.messageCount(), 1);
}

TEST_F(EngineEmail, AServerThatIsDownGivesFalseAndALogLine)
{
    int port;
    {
        SmtpTestServer gone;
        port = gone.port();
    }
    StartWithServer(port, "RetryMinutes=0\r\n"); // one attempt
    EXPECT_FALSE(SendAndWait(QStringLiteral("ops@example.com"), QStringLiteral("Body")));
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
    ASSERT_TRUE(waitFor([&] { return smtp.messageCount() == 1; }, 3 * SendTimeLimitMs));
    const QByteArray mail = smtp.message(1);
    EXPECT_TRUE(mail.contains("Subject: Vantor Daily Report\r\n"));
    EXPECT_EQ(smtp.envelopeRecipients(1),
              (QStringList{QStringLiteral("ops@example.com"), QStringLiteral("noc@example.com")}));
    EXPECT_TRUE(mail.contains("Device 'D1' Recent Activity:\r\n\r\n"));
    EXPECT_TRUE(mail.contains("[D1] Connected to 10.0.0.6:7000\r\n"));
    EXPECT_TRUE(mail.contains("--- End of the report ---\r\n"));
}

TEST_F(EngineEmail, MessagesQueuedTogetherArriveInOrder)
{
    SmtpTestServer smtp;
    ASSERT_GT(smtp.port(), 0) << qPrintable(smtp.error());
    StartWithServer(smtp.port());
    QStringList outcomes;
    for (int k = 1; k <= 4; ++k) {
        engine.SendEmail(QStringLiteral("ops@example.com"), QStringLiteral("Message %1").arg(k),
                         false, QString(), [&outcomes, k](bool sent) {
                             outcomes << QStringLiteral("%1 %2").arg(k).arg(sent);
                         });
        clock.advanceSeconds(1); // a copy of its own for each
    }
    EXPECT_EQ(Copies().size(), 4) << "every copy is kept before anything is sent";
    ASSERT_TRUE(waitFor([&] { return outcomes.size() == 4; }, 4 * SendTimeLimitMs));
    EXPECT_EQ(outcomes, (QStringList{QStringLiteral("1 1"), QStringLiteral("2 1"),
                                     QStringLiteral("3 1"), QStringLiteral("4 1")}));
    ASSERT_EQ(smtp.messageCount(), 4);
    for (int k = 1; k <= 4; ++k)
        EXPECT_TRUE(
            smtp.message(k).contains(QStringLiteral("\r\n\r\nMessage %1\r\n").arg(k).toLatin1()))
            << smtp.message(k).constData();
}

// A mail server that takes the connection and never says a word: two alarms
// queue their messages, and the station's ticks, run by a 200 ms timer as
// the main window runs them, keep their period and write every CSV line while
// the messages wait for their time limit.
TEST_F(EngineEmail, ASilentServerHoldsUpNeitherTicksNorTheMeasurementLog)
{
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    WriteStations({{"Radio 1", "98.5", "D0", 10, 0}, {"Radio 2", "99.1", "D1", 10, 0}});
    StartWithServer(silent.serverPort(), "RetryMinutes=0\r\n",
                    "[General]\r\nConnectionBytes=100\r\n");
    ConnectAll();
    engine.Tune(0, 0, false);
    engine.Tune(1, 1, false);
    RunSeconds(5); // measuring starts, and its ignore window passes
    ASSERT_TRUE(engine.MeasuringMode(0) && engine.MeasuringMode(1));
    engine.AddToLastData(0, QStringLiteral("Level"), QStringLiteral("63.2 dBuV"));
    // Both analyzers have gone a while without answering: the next poll of
    // each raises its "No response" alarm and sends its e-mail.
    Tables(engine).Devices[0].BytesUnanswered = 95;
    Tables(engine).Devices[1].BytesUnanswered = 95;

    constexpr int Ticks = 15;
    QList<qint64> tickStarts;
    qint64 longestTick = 0;
    QElapsedTimer real;
    real.start();
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(200);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        const qint64 start = real.elapsed();
        tickStarts << start;
        clock.advanceMs(200);
        if (tickStarts.size() % 5 == 1) {
            engine.TimerConnectTimer();
            engine.TimerSendTimer();
            engine.TimerMeasuringTimer();
        }
        engine.TimerReceiveTimer();
        engine.TimerStatusTimer();
        engine.TimerWriteLogTimer();
        longestTick = std::max(longestTick, real.elapsed() - start);
        if (tickStarts.size() == Ticks)
            timer.stop();
    });
    timer.start();
    ASSERT_TRUE(waitFor([&] { return tickStarts.size() == Ticks; }, 10 * 1000));

    EXPECT_TRUE(DeviceLog(0).contains(QStringLiteral("Alarm: No response from the device!")));
    EXPECT_TRUE(DeviceLog(1).contains(QStringLiteral("Alarm: No response from the device!")));
    EXPECT_EQ(engine.PendingEmails(), 2);
    EXPECT_TRUE(silent.hasPendingConnections()) << "the first message is connected and waiting";
    EXPECT_FALSE(AppLog().contains(QStringLiteral("Unable to send email")));

    // Margins for a busy machine; a tick held by the mail would take seconds.
    EXPECT_LT(longestTick, 250);
    for (int k = 1; k < tickStarts.size(); ++k)
        EXPECT_LT(tickStarts[k] - tickStarts[k - 1], 500) << "tick " << k;

    QList<QByteArray> lines =
        readAll(Tables(engine).Folders.RecentFolder + QStringLiteral("Radio 1.csv")).split('\n');
    lines.removeLast();
    lines.removeFirst(); // the header
    // One line for every second of the three.
    ASSERT_EQ(lines.size(), 3);
    const QDateTime first = QDateTime::fromString(QString::fromLatin1(lines[0].mid(1, 19)),
                                                  QStringLiteral("yyyy.MM.dd hh:mm:ss"));
    ASSERT_TRUE(first.isValid()) << lines[0].constData();
    for (int k = 1; k < lines.size(); ++k) {
        const QString stamp = first.addSecs(k).toString(QStringLiteral("yyyy.MM.dd hh:mm:ss"));
        EXPECT_TRUE(lines[k].startsWith(QByteArray("\"" + stamp.toLatin1())))
            << lines[k].constData();
    }

    // The first message fails at its time limit and is logged; the second is
    // only then sent.
    ASSERT_TRUE(waitFor(
        [&] {
            return AppLog().contains(
                QStringLiteral("Unable to send email (time-out after 5000 ms"));
        },
        3 * SendTimeLimitMs));
    EXPECT_EQ(AppLog().count(QStringLiteral("Unable to send email")), 1);
    EXPECT_EQ(engine.PendingEmails(), 1);
}

// Closing while a message waits for a silent server: the queue gets its grace
// on the event loop, then what is left is logged as not sent.
TEST_F(EngineEmail, AtShutDownQueuedMailGetsABoundedGrace)
{
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    StartWithServer(silent.serverPort(), "RetryMinutes=0\r\n"); // one attempt
    engine.SendEmail(QStringLiteral("ops@example.com"), QStringLiteral("First"), false, QString());
    engine.SendEmail(QStringLiteral("ops@example.com"), QStringLiteral("Second"), false, QString());
    ASSERT_TRUE(engine.FormClose());

    bool closed = false;
    QElapsedTimer real;
    real.start();
    engine.AfterClose([&] { closed = true; });
    ASSERT_TRUE(waitFor([&] { return closed; }, Engine::MailShutDownGraceMs + 3000));
    EXPECT_GE(real.elapsed(), Engine::MailShutDownGraceMs * 9 / 10);
    EXPECT_EQ(engine.PendingEmails(), 0);
    // The first reached its own time limit within the grace; the second was
    // still waiting for the server when the grace ran out.
    const QString log = AppLog();
    const qsizetype timedOut =
        log.indexOf(QStringLiteral("Unable to send email (time-out after 5000 ms"));
    const qsizetype abandoned = log.indexOf(QStringLiteral("Unable to send email (") +
                                            MailQueue::AbandonedStatus() + QLatin1Char(')'));
    EXPECT_GE(timedOut, 0) << qPrintable(log);
    EXPECT_GT(abandoned, timedOut) << qPrintable(log);
}
