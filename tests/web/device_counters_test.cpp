// The per-device counters the metrics carry, kept by the engine itself: alarms
// raised per kind, and alarm e-mails delivered or failed through a real SMTP
// peer on loopback.
#include "engine_fixture.h"
#include "engine_tables.h"
#include "metrics_text.h"
#include "smtp_test_server.h"

using namespace vantor;
using namespace vantor::test;

class DeviceCounters : public EngineFixture
{};

TEST_F(DeviceCounters, CountAlarmsRaisedAndEmailsDeliveredOrFailed)
{
    SmtpTestServer smtp;
    ASSERT_GT(smtp.port(), 0) << qPrintable(smtp.error());
    WriteDevices({QStringLiteral("127.0.0.1:1"), QStringLiteral("127.0.0.1:2")},
                 {"Email=ops@example.com\r\n", "Email=noc@example.com\r\n"});
    WriteFile(QStringLiteral("config.ini"),
              "[Email]\r\nEnable=1\r\nRetryMinutes=0\r\nFrom=vantor@example.com\r\n"
              "SMTPServer=127.0.0.1:" +
                  QByteArray::number(smtp.port()) + "\r\n");
    Start();

    engine.ActivateAlarm(0, AlarmOvermodulation);
    engine.DeactivateAlarm(0, AlarmOvermodulation);
    engine.ActivateAlarm(0, AlarmOvermodulation);
    engine.ActivateAlarm(0, AlarmConnection); // its e-mail goes to the device's address
    ASSERT_TRUE(waitFor([&] { return engine.PendingEmails() == 0; }, 3 * SendTimeLimitMs));
    ASSERT_EQ(smtp.messageCount(), 1);

    engine.Prefs().SetText(QStringLiteral("SMTPServer"), QStringLiteral("127.0.0.1:1"));
    engine.ActivateAlarm(0, AlarmNoResponse);
    ASSERT_TRUE(waitFor([&] { return engine.PendingEmails() == 0; }, 3 * SendTimeLimitMs));

    const TDevice &d = Tables(engine).Devices[0];
    EXPECT_EQ(d.AlarmActivations[AlarmOvermodulation], 2);
    EXPECT_EQ(d.EmailsSent, 1);
    EXPECT_EQ(d.EmailsFailed, 1);
    EXPECT_EQ(Tables(engine).Devices[1].EmailsSent + Tables(engine).Devices[1].EmailsFailed, 0);
    const QByteArray text = MetricsText(engine, {});
    EXPECT_TRUE(
        text.contains("vantor_alarms_activated_total{device=\"D0\",kind=\"overmodulation\"} 2\n"));
    EXPECT_TRUE(text.contains("vantor_emails_sent_total{device=\"D0\"} 1\n"));
    EXPECT_TRUE(text.contains("vantor_emails_failed_total{device=\"D0\"} 1\n"));
}
