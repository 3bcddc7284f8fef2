// The metrics text: the values, labels and histogram of a device, and the
// whole text checked by Prometheus's own promtool when it is installed.
#include "engine_fixture.h"
#include "engine_tables.h"
#include "metrics_text.h"
#include "webhook_sender.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>

using namespace vantor;
using namespace vantor::test;

class Metrics : public EngineFixture
{
protected:
    void SetUp() override
    {
        WriteDevices({QStringLiteral("127.0.0.1:1"), QStringLiteral("127.0.0.1:2")});
        Start();
        ConnectAll();
        PutOnStation(0, QStringLiteral("98.5"), ModeMeasuringPart);
        TDevice &d = Tables(engine).Devices[0];
        d.Station.Name = QStringLiteral("City \"FM\"\\1");
        d.ColumnValue[GetTableColumn(QStringLiteral("AVE"))] = 41.3f;
        d.ColumnValue[GetTableColumn(QStringLiteral("Pm"))] = 0.9f;
        d.HistogramBins[40] = 5;
        d.HistogramBins[75] = 3;
        d.HistogramBins[121] = 2;
        d.AlarmActive[AlarmOvermodulation] = true;
        d.AlarmActivations[AlarmOvermodulation] = 4;
        d.EmailsSent = 2;
        d.EmailsFailed = 1;
        engine.AddToLastData(0, QStringLiteral("Time Error"), QStringLiteral("-3 s"));
        text = MetricsText(engine, ReadProcessFigures());
    }

    QByteArray text;
};

TEST_F(Metrics, CarryTheDeviceValuesInBaseUnitsWithEscapedLabels)
{
    const QByteArray station = R"(device="D0",station="City \"FM\"\\1",frequency_mhz="98.50")";
    for (const QByteArray &line : QList<QByteArray>{
             "vantor_deviation_average_hertz{" + station + "} 41300\n",
             "vantor_modulation_power_dbr{" + station + "} 0.9\n",
             "vantor_rds_time_error_seconds{" + station + "} -3\n",
             "vantor_device_connected{device=\"D0\"} 1\n",
             "vantor_device_mode{device=\"D0\",mode=\"measuring\"} 1\n",
             "vantor_device_mode{device=\"D0\",mode=\"rds\"} 0\n",
             "vantor_alarm_state{" + station + ",kind=\"overmodulation\"} 2\n",
             "vantor_alarm_state{" + station + ",kind=\"silence\"} 0\n",
             "vantor_alarms_activated_total{device=\"D0\",kind=\"overmodulation\"} 4\n",
             "vantor_emails_sent_total{device=\"D0\"} 2\n",
             "vantor_emails_failed_total{device=\"D0\"} 1\n",
             "vantor_station_deviation_hertz_bucket{" + station + ",le=\"30000\"} 0\n",
             "vantor_station_deviation_hertz_bucket{" + station + ",le=\"40000\"} 5\n",
             "vantor_station_deviation_hertz_bucket{" + station + ",le=\"74000\"} 5\n",
             "vantor_station_deviation_hertz_bucket{" + station + ",le=\"75000\"} 8\n",
             "vantor_station_deviation_hertz_bucket{" + station + ",le=\"120000\"} 8\n",
             "vantor_station_deviation_hertz_bucket{" + station + ",le=\"+Inf\"} 10\n",
             "vantor_station_deviation_hertz_sum{" + station + "} 667000\n",
             "vantor_station_deviation_hertz_count{" + station + "} 10\n",
             "process_open_fds ",
         })
        EXPECT_TRUE(text.contains(line)) << line.constData();
    // A value not measured is left out rather than shown as a number.
    EXPECT_FALSE(text.contains("vantor_deviation_peak_hertz{device=\"D0\""));
    EXPECT_TRUE(text.contains("vantor_device_connected{device=\"D1\"} 1\n"));
    EXPECT_TRUE(text.contains(
        "vantor_station_deviation_hertz_count{device=\"D1\",station=\"\",frequency_mhz=\"\"} 0\n"));
}

TEST_F(Metrics, CountDeliveredAndGivenUpWebhooks)
{
    // A receiver that takes every post, and an address where nothing listens.
    QTcpServer receiver;
    ASSERT_TRUE(receiver.listen(QHostAddress::LocalHost));
    QObject::connect(&receiver, &QTcpServer::newConnection, [&] {
        QTcpSocket *client = receiver.nextPendingConnection();
        QObject::connect(client, &QTcpSocket::readyRead, client, [client] {
            if (client->readAll().contains("}"))
                client->write("HTTP/1.1 204 No Content\r\nConnection: close\r\n\r\n");
        });
    });
    QTcpServer closed;
    closed.listen(QHostAddress::LocalHost);
    const QString nowhere = QStringLiteral("http://127.0.0.1:%1/").arg(closed.serverPort());
    closed.close();
    WebhookTiming once;
    once.retryForMs = 0;
    WebhookSender sender(
        {{QStringLiteral("http://127.0.0.1:%1/").arg(receiver.serverPort()), {}}, {nowhere, {}}},
        once);
    sender.Post("{}");
    sender.Post("{}");
    ASSERT_TRUE(waitFor([&] { return sender.Pending() == 0; }));

    const QByteArray after = MetricsText(engine, ReadProcessFigures(), sender.Totals());
    EXPECT_TRUE(after.contains("\nvantor_webhooks_delivered_total 2\n")) << after.constData();
    EXPECT_TRUE(after.contains("\nvantor_webhooks_failed_total 2\n"));
    // A station without webhooks shows none.
    EXPECT_TRUE(text.contains("\nvantor_webhooks_delivered_total 0\n"));
}

TEST_F(Metrics, PassPromtoolCheck)
{
    const QString promtool = QStandardPaths::findExecutable(QStringLiteral("promtool"));
    if (promtool.isEmpty())
        GTEST_SKIP() << "promtool is not installed (Debian package prometheus; scripts/setup)";
    QProcess check;
    check.start(promtool, {QStringLiteral("check"), QStringLiteral("metrics")});
    ASSERT_TRUE(check.waitForStarted());
    check.write(text);
    check.closeWriteChannel();
    ASSERT_TRUE(check.waitForFinished(30000));
    EXPECT_EQ(check.exitCode(), 0)
        << check.readAllStandardOutput().constData() << check.readAllStandardError().constData();
}

namespace {
QString SourceFile(const char *path)
{
    return qEnvironmentVariable("VANTOR_SOURCE_DIR") + QLatin1Char('/') + QLatin1String(path);
}
} // namespace

// The example alert rules and the dashboard in docs/ ask only for series the
// station exports.
TEST_F(Metrics, TheDocumentedRulesAndDashboardUseExportedSeries)
{
    static const QRegularExpression name(QStringLiteral(R"(\b(?:vantor|process)_[a-z_]+)"));
    for (const char *file :
         {"docs/prometheus/vantor-alerts.yml", "docs/grafana/vantor-dashboard.json"}) {
        const QString content = QString::fromUtf8(readAll(SourceFile(file)));
        ASSERT_FALSE(content.isEmpty()) << file;
        int found = 0;
        for (const QRegularExpressionMatch &m : name.globalMatch(content)) {
            ++found;
            const QByteArray series = m.captured().toUtf8();
            EXPECT_TRUE(text.contains(QByteArray(series + '{')) ||
                        text.contains(QByteArray(series + ' ')))
                << file << ": " << qPrintable(m.captured());
        }
        EXPECT_GT(found, 4) << file;
    }
}

TEST(AlertRules, PassTheirPromtoolTests)
{
    const QString promtool = QStandardPaths::findExecutable(QStringLiteral("promtool"));
    if (promtool.isEmpty())
        GTEST_SKIP() << "promtool is not installed (Debian package prometheus; scripts/setup)";
    QProcess check;
    check.setWorkingDirectory(SourceFile("docs/prometheus"));
    check.start(promtool, {QStringLiteral("test"), QStringLiteral("rules"),
                           QStringLiteral("vantor-alerts.test.yml")});
    ASSERT_TRUE(check.waitForFinished(60000));
    EXPECT_EQ(check.exitCode(), 0)
        << check.readAllStandardOutput().constData() << check.readAllStandardError().constData();
}
