// End to end: the headless program on the simulator posting its alarm events
// to four real HTTP receivers on loopback: one that takes every post, one
// that hangs, one that answers 500 and one that is not there. The station
// writes its CSV line every second of the visit all the same, and once the
// three come right each holds every event, once and in order.
#include "test_support.h"
#include "web_station_helpers.h"
#include "webhook_receiver.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace vantor::test;

namespace {

QStringList Bodies(const QList<QJsonObject> &requests)
{
    QStringList out;
    for (const QJsonObject &r : requests)
        out << r.value(QStringLiteral("body")).toString();
    return out;
}

QJsonObject Document(const QJsonObject &request)
{
    return QJsonDocument::fromJson(request.value(QStringLiteral("body")).toString().toUtf8())
        .object();
}

} // namespace

TEST(WebhookStation, FailingReceiversCostNoCsvSecondAndLoseNoEvent)
{
    WebhookReceiver taking(QStringLiteral("s3cret"));
    WebhookReceiver hanging;
    WebhookReceiver failing;
    WebhookReceiver absent;
    for (const WebhookReceiver *r : {&taking, &hanging, &failing, &absent})
        ASSERT_NE(r->port(), 0) << r->error().toStdString();
    hanging.setMode(QStringLiteral("hang"));
    failing.setMode(QStringLiteral("500"));
    absent.Stop();

    // WebStation's station: City FM, one minute of measuring a visit, the
    // silence detector raised after 4 s below 25 kHz.
    WebStation station;
    station.setFile(QStringLiteral("config.ini"),
                    "[Webhook]\r\nURL1=" + taking.url().toUtf8() + "\r\nSecret1=s3cret\r\nURL2=" +
                        hanging.url().toUtf8() + "\r\nURL3=" + failing.url().toUtf8() +
                        "\r\nURL4=" + absent.url().toUtf8() + "\r\n");
    ASSERT_TRUE(station.start());
    const QString data = station.folder() + QStringLiteral("/station");
    ASSERT_TRUE(waitFor(
        [&] {
            return CountCsvSeconds(data + QStringLiteral("/StationLogs/Recent/City FM.csv")).lines >
                   2;
        },
        20000));

    // Two silences, each raised and cleared.
    for (int event = 1; event <= 4; ++event) {
        const QString ave = event % 2 ? QStringLiteral("2") : QStringLiteral("40");
        ASSERT_EQ(
            station.simulator().control(QStringLiteral("set 98.5 AVE ") + ave).value(0).left(2),
            QStringLiteral("OK"));
        ASSERT_TRUE(waitFor([&] { return taking.accepted().size() == event; }, 20000))
            << station.appLog().constData();
    }
    const QList<QJsonObject> taken = taking.accepted();
    const char *const events[] = {"alarm_raised", "alarm_cleared", "alarm_raised", "alarm_cleared"};
    for (int i = 0; i < 4; ++i) {
        const QJsonObject document = Document(taken[i]);
        EXPECT_EQ(document.value(QStringLiteral("event")).toString(), QLatin1String(events[i]));
        EXPECT_EQ(document.value(QStringLiteral("kind")).toString(), QStringLiteral("silence"));
        EXPECT_EQ(document.value(QStringLiteral("device"))[QStringLiteral("name")].toString(),
                  QStringLiteral("Tx Site"));
        EXPECT_EQ(document.value(QStringLiteral("station"))[QStringLiteral("name")].toString(),
                  QStringLiteral("City FM"));
        EXPECT_EQ(document.value(QStringLiteral("limit")).toString(), QStringLiteral("25"));
        EXPECT_TRUE(taken[i].value(QStringLiteral("signature_ok")).toBool());
    }
    EXPECT_FALSE(hanging.seen().isEmpty());
    EXPECT_FALSE(failing.seen().isEmpty());

    // The three come right: each gets every event, once and in order.
    hanging.setMode(QStringLiteral("ok"));
    failing.setMode(QStringLiteral("ok"));
    ASSERT_TRUE(absent.Restart()) << absent.error().toStdString();
    for (const WebhookReceiver *r : {&hanging, &failing, &absent})
        EXPECT_TRUE(waitFor([&] { return r->accepted().size() >= 4; }, 150000))
            << r->url().toStdString() << "\n"
            << station.appLog().constData();
    for (const WebhookReceiver *r : {&hanging, &failing, &absent})
        EXPECT_EQ(Bodies(r->accepted()), Bodies(taken)) << r->url().toStdString();
    const QByteArray metrics =
        HttpCall("GET", QStringLiteral("http://127.0.0.1:%1/metrics").arg(station.webPort()));
    EXPECT_TRUE(metrics.contains("\nvantor_webhooks_delivered_total 16\n")) << metrics.constData();
    EXPECT_TRUE(metrics.contains("\nvantor_webhooks_failed_total 0\n"));
    EXPECT_FALSE(station.appLog().contains("Webhook to")) << "nothing given up";

    // The visit the receivers failed in wrote a line every second.
    ASSERT_TRUE(waitFor(
        [&] { return !ArchivedVisitCsv(data, QStringLiteral("City FM")).isEmpty(); }, 90000));
    for (const QString &file : ArchivedVisitCsv(data, QStringLiteral("City FM")))
        EXPECT_EQ(MissedCsvSeconds(file), QString());
    EXPECT_TRUE(station.stopProgram());
}
