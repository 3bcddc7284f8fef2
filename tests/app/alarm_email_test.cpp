// End to end: the headless program, the simulator and an SMTP server as three
// processes. The simulator's station goes silent; after the alarm's duration
// the alarm e-mail arrives, the activity log has the alarm line, and the
// output pin command reaches the analyzer.
#include "process_helpers.h"
#include "smtp_test_server.h"
#include "test_support.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vantor::test;

TEST(AlarmEmail, SilenceRaisesTheAlarmWithMailLogAndPin)
{
    SimulatorProcess simulator;
    ASSERT_TRUE(simulator.start());
    SmtpTestServer smtp;
    ASSERT_GT(smtp.port(), 0) << qPrintable(smtp.error());

    QTemporaryDir tmp;
    const QString data = tmp.path() + QStringLiteral("/station");
    QDir().mkpath(data);
    ASSERT_TRUE(writeAll(data + QStringLiteral("/devices.ini"), OneDeviceIni(simulator.port())));
    ASSERT_TRUE(
        writeAll(data + QStringLiteral("/stations.ini"),
                 "[General]\r\nStationCount=1\r\n[Station0]\r\nName=City FM\r\nFrequency=98.5\r\n"
                 "DeviceName=Tx Site\r\nPI=A202\r\nMeasuring=10\r\nRDS=0\r\n"
                 "Email=ops@example.com\r\nAlarmSetName=Watch\r\n"));
    ASSERT_TRUE(
        writeAll(data + QStringLiteral("/alarms.ini"),
                 "[General]\r\nAlarmSetCount=1\r\n[AlarmSet0]\r\nName=Watch\r\nSD_Enabled=1\r\n"
                 "SD_Duration=3\r\nSD_SendEmail=1\r\nSD_DrivePin1=1\r\nSD_Pin1Polarity=1\r\n"));
    ASSERT_TRUE(writeAll(data + QStringLiteral("/config.ini"),
                         "[Email]\r\nEnable=1\r\nFrom=vantor@example.com\r\nSMTPServer=127.0.0.1:" +
                             QByteArray::number(smtp.port()) + "\r\n"));

    QProcess program;
    program.start(binDir() + QStringLiteral("/vantor"),
                  {QStringLiteral("--headless"), QStringLiteral("--data-dir"), data});
    ASSERT_TRUE(program.waitForStarted());
    const auto log = [&] { return DeviceLog(data, QStringLiteral("Tx Site")); };
    ASSERT_TRUE(waitFor([&] { return log().contains("Tuning to 98.5 - City FM"); }, 15000));
    // Let measuring begin and a few good readings pass, then silence.
    ASSERT_TRUE(waitFor(
        [&] {
            return QFileInfo(data + QStringLiteral("/StationLogs/Recent/City FM.csv")).size() > 150;
        },
        15000));
    EXPECT_EQ(smtp.messageCount(), 0);
    ASSERT_EQ(simulator.control(QStringLiteral("set 98.5 AVE 2")).last().left(2),
              QStringLiteral("OK"));

    ASSERT_TRUE(waitFor([&] { return smtp.messageCount() == 1; }, 20000))
        << readAll(data + QStringLiteral("/AppLogs/app.log")).constData()
        << qPrintable(QDir(data + QStringLiteral("/EmailsSent"))
                          .entryList(QDir::Files)
                          .join(QLatin1Char(',')));
    const QByteArray mail = smtp.message(1);
    EXPECT_TRUE(mail.contains("From: vantor@example.com\r\n"));
    EXPECT_TRUE(mail.contains("Subject: Vantor Alarm Message\r\n"));
    EXPECT_TRUE(mail.contains("To: ops@example.com\r\n"));
    EXPECT_TRUE(mail.contains("\r\n\r\nAlarm: Silence detector\r\n\r\nTime: "));
    EXPECT_TRUE(
        mail.contains("\r\nStation: 98.5 - City FM\r\nDevice: Tx Site\r\n\r\nRecent Data:\r\n"));
    const qsizetype ave = mail.indexOf("\r\nAVE=");
    ASSERT_GE(ave, 0) << mail.constData();
    EXPECT_LT(mail.mid(ave + 6, 4).toDouble(), 25.0) << "the silent deviation is reported";
    EXPECT_EQ(smtp.envelopeRecipients(1), QStringList{QStringLiteral("ops@example.com")});
    EXPECT_TRUE(log().contains("Alarm: Silence detector (City FM)"));
    EXPECT_TRUE(waitFor(
        [&] {
            return simulator.control(QStringLiteral("commands"))
                .contains(QStringLiteral("ARI:GH*X"));
        },
        5000));
    // The copy of the message is kept.
    EXPECT_EQ(QDir(data + QStringLiteral("/EmailsSent")).entryList(QDir::Files).size(), 1);

    ASSERT_TRUE(Terminate(program));
    EXPECT_EQ(program.exitCode(), 0);
}
