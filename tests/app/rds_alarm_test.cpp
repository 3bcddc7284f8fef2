// End to end: the headless program, the simulator and an SMTP server as three
// processes. The simulator plays groups received off air (tests/rds/data); the
// JSON status, the metrics and the RDS change log show the decoded PS and
// RadioText, and a PS mismatch alarm is raised, mailed and cleared when the
// expected name comes back on air.
#include "process_helpers.h"
#include "smtp_test_server.h"
#include "test_support.h"
#include "web_station_helpers.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vantor::test;

namespace {

QByteArray Capture(const char *name)
{
    return readAll(qEnvironmentVariable("VANTOR_SOURCE_DIR") + QStringLiteral("/tests/rds/data/") +
                   QLatin1String(name));
}

// The one device's object of /api/v1/status.
QJsonObject DeviceStatus(int webPort)
{
    const QByteArray body =
        HttpCall("GET", QStringLiteral("http://127.0.0.1:%1/api/v1/status").arg(webPort));
    return QJsonDocument::fromJson(body)[QLatin1String("devices")][0].toObject();
}

QString AlarmState(const QJsonObject &device, const QString &kind)
{
    for (const QJsonValue &a : device[QLatin1String("alarms")].toArray()) {
        if (a[QLatin1String("kind")].toString() == kind)
            return a[QLatin1String("state")].toString();
    }
    return QStringLiteral("missing");
}

} // namespace

TEST(RdsAlarmEndToEnd, ACapturedStationIsDecodedAndItsPsMismatchRaisedMailedAndCleared)
{
    QTemporaryDir tmp;
    // Radio Krka's names (0B) and its RadioText (2B) are two captures of the
    // same station; played one after the other they are what it sends.
    const QString krka = tmp.filePath(QStringLiteral("krka.groups"));
    const QString x3m = tmp.filePath(QStringLiteral("x3m.groups"));
    ASSERT_TRUE(
        writeAll(krka, Capture("radio-krka-0b.groups") + Capture("radio-krka-2b-rt.groups")));
    ASSERT_TRUE(writeAll(x3m, Capture("yle-x3m-2016-09-15.groups")));

    SimulatorProcess simulator;
    ASSERT_TRUE(simulator.start());
    ASSERT_EQ(simulator.control(QStringLiteral("set 98.5 Groups ") + x3m).last().left(2),
              QStringLiteral("OK"));
    // No blocks lost on the way: the Krka 2B capture holds 0000 where a
    // version B group repeats the PI, so a lost block A would show PI 0000.
    ASSERT_EQ(simulator.control(QStringLiteral("set 98.5 BlockErrorRate 0")).last().left(2),
              QStringLiteral("OK"));
    SmtpTestServer smtp;
    ASSERT_GT(smtp.port(), 0) << qPrintable(smtp.error());

    const QString data = tmp.path() + QStringLiteral("/station");
    QDir().mkpath(data);
    ASSERT_TRUE(writeAll(data + QStringLiteral("/devices.ini"), OneDeviceIni(simulator.port())));
    ASSERT_TRUE(writeAll(
        data + QStringLiteral("/stations.ini"),
        "[General]\r\nStationCount=1\r\n[Station0]\r\nName=Krka\r\nFrequency=98.5\r\n"
        "DeviceName=Tx Site\r\nPS=RADIO 1|**KRKA**\r\nMeasuring=0\r\nRDS=30\r\nModeOrder=RDS\r\n"
        "Email=ops@example.com\r\nAlarmSetName=Rds\r\n"));
    ASSERT_TRUE(writeAll(data + QStringLiteral("/alarms.ini"),
                         "[General]\r\nAlarmSetCount=1\r\n[AlarmSet0]\r\nName=Rds\r\n"
                         "PS_Enabled=1\r\nPS_Duration=3\r\nPS_SendEmail=1\r\n"));
    ASSERT_TRUE(writeAll(data + QStringLiteral("/config.ini"),
                         "[Email]\r\nEnable=1\r\nFrom=vantor@example.com\r\nSMTPServer=127.0.0.1:" +
                             QByteArray::number(smtp.port()) + "\r\n"));
    const int webPort = FreeTcpPort();
    QProcess program;
    program.start(binDir() + QStringLiteral("/vantor"),
                  {QStringLiteral("--headless"), QStringLiteral("--data-dir"), data,
                   QStringLiteral("--http"), QStringLiteral("127.0.0.1:%1").arg(webPort)});
    ASSERT_TRUE(program.waitForStarted());

    // YLE X3M's name is not one Krka may send: raised and mailed.
    ASSERT_TRUE(waitFor([&] { return smtp.messageCount() == 1; }, 30000))
        << DeviceLog(data, QStringLiteral("Tx Site")).constData();
    const QByteArray mail = smtp.message(1);
    EXPECT_TRUE(mail.contains("\r\n\r\nAlarm: RDS PS mismatch\r\n\r\nTime: ")) << mail.constData();
    EXPECT_TRUE(mail.contains("\r\nStation: 98.5 - Krka\r\nDevice: Tx Site\r\n"));
    EXPECT_EQ(smtp.envelopeRecipients(1), QStringList{QStringLiteral("ops@example.com")});
    EXPECT_TRUE(
        DeviceLog(data, QStringLiteral("Tx Site")).contains("Alarm: RDS PS mismatch (Krka)"));
    QJsonObject device = DeviceStatus(webPort);
    EXPECT_EQ(AlarmState(device, QStringLiteral("ps_mismatch")), QStringLiteral("active"));
    EXPECT_EQ(device[QLatin1String("rds_decoded")][QLatin1String("ps")].toString(),
              QStringLiteral("YLE X3M "));
    EXPECT_TRUE(HttpCall("GET", QStringLiteral("http://127.0.0.1:%1/metrics").arg(webPort))
                    .contains("kind=\"ps_mismatch\"} 2"));

    // Krka's own name comes back: cleared, with nothing mailed.
    ASSERT_EQ(simulator.control(QStringLiteral("set 98.5 Groups ") + krka).last().left(2),
              QStringLiteral("OK"));
    ASSERT_TRUE(waitFor(
        [&] {
            device = DeviceStatus(webPort);
            return AlarmState(device, QStringLiteral("ps_mismatch")) == QLatin1String("off") &&
                   device[QLatin1String("rds_decoded")][QLatin1String("radiotext")]
                       .toString()
                       .startsWith(QLatin1String("PRIJETNO POSLUSANJE RADIA KRKA"));
        },
        20000))
        << QJsonDocument(device).toJson().constData();
    const QJsonObject rds = device[QLatin1String("rds_decoded")].toObject();
    EXPECT_EQ(rds[QLatin1String("ps")].toString(), QStringLiteral("  KRKA  "));
    EXPECT_EQ(rds[QLatin1String("pi")].toString(), QStringLiteral("9423"))
        << QJsonDocument(rds).toJson().constData();
    // The metrics label a name once it has stayed for a while.
    QByteArray metrics;
    EXPECT_TRUE(waitFor(
        [&] {
            metrics = HttpCall("GET", QStringLiteral("http://127.0.0.1:%1/metrics").arg(webPort));
            return metrics.contains("ps=\"  KRKA  \"");
        },
        20000))
        << metrics.constData();
    EXPECT_TRUE(metrics.contains("kind=\"ps_mismatch\"} 0"));

    QByteArray changeLog;
    for (const QString &file : FilesIn(data + QStringLiteral("/AppLogs"))) {
        if (file.endsWith(QLatin1String(" RDS.csv")))
            changeLog += readAll(data + QStringLiteral("/AppLogs/") + file);
    }
    EXPECT_TRUE(changeLog.contains("YLE X3M ")) << changeLog.constData();
    EXPECT_TRUE(changeLog.contains("  KRKA  "));
    EXPECT_TRUE(changeLog.contains("PRIJETNO POSLUSANJE RADIA KRKA"));
    EXPECT_EQ(smtp.messageCount(), 1);

    ASSERT_TRUE(Terminate(program));
    EXPECT_EQ(program.exitCode(), 0);
}
