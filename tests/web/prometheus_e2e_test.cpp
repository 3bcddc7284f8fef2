// End to end: a real Prometheus server scrapes a running station on the
// simulator with the access token and answers a query for the deviation the
// simulator plays.
#include "http_client.h"
#include "test_support.h"
#include "web_station_helpers.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QStandardPaths>
#include <QUrlQuery>
#include <gtest/gtest.h>

#include <cstdio>

using namespace vantor::test;

namespace {
// The numbers of a Prometheus instant query's result, empty while there is none.
QList<double> QueryValues(int port, const QString &query)
{
    QUrlQuery parameters;
    parameters.addQueryItem(QStringLiteral("query"), query);
    const QByteArray answer =
        HttpCall("GET",
                 QStringLiteral("http://127.0.0.1:%1/api/v1/query?").arg(port) +
                     parameters.toString(QUrl::FullyEncoded),
                 {}, 5000);
    QList<double> values;
    const QJsonArray result =
        QJsonDocument::fromJson(answer)[QLatin1String("data")][QLatin1String("result")].toArray();
    for (const QJsonValue item : result)
        values << item[QLatin1String("value")].toArray().at(1).toString().toDouble();
    return values;
}
} // namespace

TEST(PrometheusScrape, AnswersAQueryForTheStationsDeviation)
{
    const QString prometheus = QStandardPaths::findExecutable(QStringLiteral("prometheus"));
    if (prometheus.isEmpty())
        GTEST_SKIP() << "prometheus is not installed (Debian package prometheus; scripts/setup)";
    WebStation station;
    ASSERT_TRUE(station.start("e2e-scrape-token"));
    const QByteArray started =
        "Web server: listening on http://127.0.0.1:" + QByteArray::number(station.webPort()) +
        "/ (access token required)";
    EXPECT_TRUE(station.appLog().contains(started));
    EXPECT_EQ(Get(quint16(station.webPort()), "/metrics").status, 401);

    const int port = FreeTcpPort();
    const QString config = station.folder() + QStringLiteral("/prometheus.yml");
    ASSERT_TRUE(writeAll(config, "global:\n  scrape_interval: 1s\n"
                                 "scrape_configs:\n"
                                 "  - job_name: vantor\n"
                                 "    authorization:\n"
                                 "      credentials_file: " +
                                     station.tokenFile().toUtf8() +
                                     "\n"
                                     "    static_configs:\n"
                                     "      - targets: ['127.0.0.1:" +
                                     QByteArray::number(station.webPort()) + "']\n"));
    QProcess server;
    server.setProcessChannelMode(QProcess::MergedChannels);
    server.start(
        prometheus,
        {QStringLiteral("--config.file=") + config,
         QStringLiteral("--storage.tsdb.path=") + station.folder() + QStringLiteral("/tsdb"),
         QStringLiteral("--web.listen-address=127.0.0.1:") + QString::number(port)});
    ASSERT_TRUE(server.waitForStarted());

    // The built-in 98.5 MHz station plays an average deviation of 38 kHz
    // give or take its noise.
    QList<double> average;
    EXPECT_TRUE(waitFor(
        [&] {
            average = QueryValues(
                port,
                QStringLiteral(
                    R"(vantor_deviation_average_hertz{station="City FM",frequency_mhz="98.50"})"));
            return !average.isEmpty();
        },
        60000));
    ASSERT_EQ(average.size(), 1);
    EXPECT_NEAR(average[0], 38000, 1000);
    // The histogram follows once the receiver has sent its first one.
    EXPECT_TRUE(waitFor(
        [&] {
            const QList<double> median = QueryValues(
                port,
                QStringLiteral(
                    R"(histogram_quantile(0.5, vantor_station_deviation_hertz_bucket{device="Tx Site"}))"));
            return median.size() == 1 && median[0] > 30000 && median[0] < 46000;
        },
        30000));
    EXPECT_EQ(QueryValues(port, QStringLiteral(R"(up{job="vantor"})")), QList<double>{1});
    EXPECT_TRUE(Terminate(server));
    if (HasFailure())
        std::fputs(server.readAll().constData(), stderr);
    EXPECT_TRUE(station.stopProgram());
}
