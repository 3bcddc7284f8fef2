// Posts JSON documents to webhook receivers through libcurl's multi interface
// on the event loop: curl's sockets are watched by socket notifiers and its
// time-outs by a timer, so a receiver that hangs or answers slowly never
// holds up the engine. Each receiver gets the posts in the order given, one
// at a time; a post failing with a 5xx answer, a refused connection or a
// time-out is tried again after growing waits until its retry time runs
// out. At most MaxWaiting posts wait per receiver; more are given up at once.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include <deque>
#include <map>
#include <memory>
#include <vector>

class QSocketNotifier;

namespace vantor {

// Posts a sender delivered and gave up since it was made.
struct WebhookTotals {
    qint64 delivered = 0;
    qint64 failed = 0;
};

struct WebhookTiming {
    int timeLimitMs = 10000; // one request, connection included
    int firstRetryMs = 5000; // the first wait, doubled each time
    int longestRetryMs = 300000;
    int retryForMs = 3600000; // from the first attempt
};

// The signature header of a post whose receiver has a secret: "sha256=" and
// the hex HMAC-SHA256 of the body under the secret.
inline constexpr const char *WebhookSignatureHeader = "X-Vantor-Signature-256";
QByteArray WebhookSignature(const QByteArray &secret, const QByteArray &body);

class WebhookSender : public QObject
{
    Q_OBJECT

public:
    static constexpr int MaxWaiting = 1000;

    struct Receiver {
        QString url;
        QByteArray secret;
    };

    explicit WebhookSender(std::vector<Receiver> receivers, WebhookTiming timing = {},
                           QObject *parent = nullptr);
    ~WebhookSender() override;

    // Queues the body for every receiver.
    void Post(const QByteArray &body);
    // Posts not yet delivered or given up.
    int Pending() const;
    WebhookTotals Totals() const { return m_totals; }

signals:
    // A post was given up: the line for "app.log".
    void gaveUp(const QString &line);

private:
    struct Target;
    struct Watch;

    void StartNext(Target &target);
    void Finished(void *easy, int curlCode);
    void Drive(int socket, int action);
    void SetSocketWatch(int socket, int what);
    void GiveUp(Target &target, const QString &why);

    friend struct WebhookCurl;

    void *m_multi = nullptr;
    WebhookTiming m_timing;
    std::vector<std::unique_ptr<Target>> m_targets;
    std::map<int, std::unique_ptr<Watch>> m_watches;
    QTimer m_curlTimer;
    WebhookTotals m_totals;
};

} // namespace vantor
