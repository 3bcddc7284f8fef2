// Webhook posts through libcurl on the event loop to a real HTTP receiver
// process on loopback: the document and its signature, retries, receivers
// that fail, hang or are absent, and the bound of the queue.
#include "test_support.h"
#include "webhook_receiver.h"
#include "webhook_sender.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTimer>
#include <gtest/gtest.h>

using namespace vantor;
using namespace vantor::test;

namespace {

// Short waits, so a test sees several attempts within a second.
WebhookTiming Quick()
{
    WebhookTiming timing;
    timing.timeLimitMs = 2000;
    timing.firstRetryMs = 50;
    timing.longestRetryMs = 200;
    timing.retryForMs = 60000;
    return timing;
}

QByteArray Body(int n)
{
    return QStringLiteral("{\"event\":\"alarm_raised\",\"n\":%1,\"text\":\"\u00e9\"}")
        .arg(n)
        .toUtf8();
}

QStringList Bodies(const QList<QJsonObject> &requests)
{
    QStringList out;
    for (const QJsonObject &r : requests)
        out << r.value(QStringLiteral("body")).toString();
    return out;
}

QStringList Expected(int from, int to)
{
    QStringList out;
    for (int n = from; n <= to; ++n)
        out << QString::fromUtf8(Body(n));
    return out;
}

int ClosedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

// The longest the event loop went without running a 10 ms timer, while
// waiting for pred.
qint64 LongestStall(const std::function<bool()> &pred, int timeoutMs, bool *held)
{
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    qint64 longest = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longest = std::max(longest, clock.elapsed() - last);
        last = clock.elapsed();
    });
    tick.start(10);
    *held = waitFor(pred, timeoutMs);
    return longest;
}

} // namespace

TEST(WebhookSender, PostsArriveInOrderAsJsonSignedWithTheSecret)
{
    WebhookReceiver signedReceiver(QStringLiteral("s3cret"));
    WebhookReceiver plainReceiver;
    ASSERT_NE(signedReceiver.port(), 0) << signedReceiver.error().toStdString();
    ASSERT_NE(plainReceiver.port(), 0) << plainReceiver.error().toStdString();
    WebhookSender sender({{signedReceiver.url(), "s3cret"}, {plainReceiver.url(), {}}}, Quick());
    for (int n = 1; n <= 3; ++n)
        sender.Post(Body(n));
    ASSERT_TRUE(waitFor([&] { return sender.Pending() == 0; }, 10000));

    for (const WebhookReceiver *receiver : {&signedReceiver, &plainReceiver}) {
        const QList<QJsonObject> got = receiver->accepted();
        EXPECT_EQ(Bodies(got), Expected(1, 3));
        for (const QJsonObject &r : got) {
            EXPECT_EQ(r.value(QStringLiteral("path")).toString(), QStringLiteral("/hook"));
            EXPECT_EQ(r.value(QStringLiteral("content_type")).toString(),
                      QStringLiteral("application/json"));
        }
    }
    for (const QJsonObject &r : signedReceiver.accepted())
        EXPECT_TRUE(r.value(QStringLiteral("signature_ok")).toBool())
            << r.value(QStringLiteral("signature")).toString().toStdString();
    for (const QJsonObject &r : plainReceiver.accepted())
        EXPECT_TRUE(r.value(QStringLiteral("signature")).isNull()) << "no secret, no signature";
    EXPECT_EQ(sender.Totals().delivered, 6);
    EXPECT_EQ(sender.Totals().failed, 0);
}

TEST(WebhookSender, ServerErrorsAreRetriedUntilTheReceiverTakesThePostsInOrder)
{
    WebhookReceiver receiver;
    ASSERT_NE(receiver.port(), 0) << receiver.error().toStdString();
    receiver.setMode(QStringLiteral("500"));
    WebhookSender sender({{receiver.url(), {}}}, Quick());
    for (int n = 1; n <= 4; ++n)
        sender.Post(Body(n));
    ASSERT_TRUE(waitFor([&] { return receiver.seen().size() >= 3; }, 10000));
    EXPECT_TRUE(receiver.accepted().isEmpty());
    for (const QJsonObject &r : receiver.seen())
        EXPECT_EQ(r.value(QStringLiteral("body")).toString(), QString::fromUtf8(Body(1)))
            << "the first post is retried before any later one goes";

    receiver.setMode(QStringLiteral("ok"));
    ASSERT_TRUE(waitFor([&] { return sender.Pending() == 0; }, 10000));
    EXPECT_EQ(Bodies(receiver.accepted()), Expected(1, 4));
    EXPECT_EQ(sender.Totals().delivered, 4);
    EXPECT_EQ(sender.Totals().failed, 0);
}

TEST(WebhookSender, AHangingReceiverNeverStallsTheEventLoopAndLosesNothing)
{
    WebhookReceiver receiver;
    ASSERT_NE(receiver.port(), 0) << receiver.error().toStdString();
    receiver.setMode(QStringLiteral("hang"));
    WebhookTiming timing = Quick();
    timing.timeLimitMs = 500;
    WebhookSender sender({{receiver.url(), {}}}, timing);
    for (int n = 1; n <= 3; ++n)
        sender.Post(Body(n));

    bool held = false;
    const qint64 stall = LongestStall([&] { return receiver.seen().size() >= 3; }, 15000, &held);
    ASSERT_TRUE(held) << "each hung request ends at its time limit and is tried again";
    // The receiver held every request for the whole time limit; the loop
    // stayed free (a generous figure: the machine is shared).
    EXPECT_LT(stall, 250);

    receiver.setMode(QStringLiteral("ok"));
    ASSERT_TRUE(waitFor([&] { return sender.Pending() == 0; }, 15000));
    EXPECT_EQ(Bodies(receiver.accepted()), Expected(1, 3));
}

TEST(WebhookSender, AnAbsentReceiverIsRetriedForTheRetryTimeThenGivenUpAndTold)
{
    WebhookTiming timing = Quick();
    timing.retryForMs = 400;
    const QString url = QStringLiteral("http://127.0.0.1:%1/hook").arg(ClosedPort());
    WebhookSender sender({{url, {}}}, timing);
    QStringList lines;
    QObject::connect(&sender, &WebhookSender::gaveUp, [&](const QString &l) { lines << l; });
    sender.Post(Body(1));
    sender.Post(Body(2));
    ASSERT_TRUE(waitFor([&] { return sender.Pending() == 0; }, 10000));

    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("Webhook to ") + url +
                                    QStringLiteral(" given up after ")))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[0].contains(QLatin1String("onnect"))) << lines[0].toStdString();
    EXPECT_EQ(sender.Totals().failed, 2);
}

TEST(WebhookSender, AClientErrorIsNotRetried)
{
    WebhookReceiver receiver;
    ASSERT_NE(receiver.port(), 0) << receiver.error().toStdString();
    receiver.setMode(QStringLiteral("404"));
    WebhookSender sender({{receiver.url(), {}}}, Quick());
    QStringList lines;
    QObject::connect(&sender, &WebhookSender::gaveUp, [&](const QString &l) { lines << l; });
    sender.Post(Body(1));
    ASSERT_TRUE(waitFor([&] { return sender.Pending() == 0; }, 10000));
    EXPECT_EQ(receiver.seen().size(), 1);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].endsWith(QLatin1String("after 1 attempts (HTTP 404)")))
        << lines[0].toStdString();
}

TEST(WebhookSender, BeyondTheBoundAPostIsGivenUpAtOnceAndTheWaitingOnesKept)
{
    WebhookReceiver receiver;
    ASSERT_NE(receiver.port(), 0) << receiver.error().toStdString();
    receiver.setMode(QStringLiteral("500"));
    WebhookSender sender({{receiver.url(), {}}}, Quick());
    QStringList lines;
    QObject::connect(&sender, &WebhookSender::gaveUp, [&](const QString &l) { lines << l; });
    const int bound = WebhookSender::MaxWaiting + 1; // the one in flight and those waiting
    for (int n = 1; n <= bound + 2; ++n)
        sender.Post(Body(n));
    EXPECT_EQ(sender.Pending(), bound);
    EXPECT_EQ(lines.size(), 2);

    receiver.setMode(QStringLiteral("ok"));
    ASSERT_TRUE(waitFor([&] { return sender.Pending() == 0; }, 60000));
    EXPECT_EQ(Bodies(receiver.accepted()), Expected(1, bound));
}
