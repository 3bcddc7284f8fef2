#include "webhook_sender.h"

#include "mail_retry.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QMessageAuthenticationCode>
#include <QSocketNotifier>

#include <curl/curl.h>

namespace vantor {

QByteArray WebhookSignature(const QByteArray &secret, const QByteArray &body)
{
    return "sha256=" +
           QMessageAuthenticationCode::hash(body, secret, QCryptographicHash::Sha256).toHex();
}

struct WebhookSender::Target {
    Receiver receiver;
    struct Post {
        QByteArray body;
        QElapsedTimer since; // started at the first attempt
        int attempts = 0;
    };
    std::deque<Post> waiting; // the front one is in flight or waiting to retry
    CURL *easy = nullptr;
    curl_slist *headers = nullptr;
    QTimer retry;
};

struct WebhookSender::Watch {
    std::unique_ptr<QSocketNotifier> read;
    std::unique_ptr<QSocketNotifier> write;
};

struct WebhookCurl {
    static int OnSocket(CURL *, curl_socket_t socket, int what, void *self, void *)
    {
        static_cast<WebhookSender *>(self)->SetSocketWatch(socket, what);
        return 0;
    }
    static int OnTimer(CURLM *, long timeoutMs, void *self)
    {
        auto *sender = static_cast<WebhookSender *>(self);
        if (timeoutMs < 0)
            sender->m_curlTimer.stop();
        else
            sender->m_curlTimer.start(static_cast<int>(timeoutMs));
        return 0;
    }
    // The receiver's answer is not needed.
    static size_t Discard(char *, size_t size, size_t count, void *) { return size * count; }
};

WebhookSender::WebhookSender(std::vector<Receiver> receivers, WebhookTiming timing, QObject *parent)
    : QObject(parent), m_multi(curl_multi_init()), m_timing(timing)
{
    curl_multi_setopt(m_multi, CURLMOPT_SOCKETFUNCTION, &WebhookCurl::OnSocket);
    curl_multi_setopt(m_multi, CURLMOPT_SOCKETDATA, this);
    curl_multi_setopt(m_multi, CURLMOPT_TIMERFUNCTION, &WebhookCurl::OnTimer);
    curl_multi_setopt(m_multi, CURLMOPT_TIMERDATA, this);
    m_curlTimer.setSingleShot(true);
    connect(&m_curlTimer, &QTimer::timeout, this, [this] { Drive(CURL_SOCKET_TIMEOUT, 0); });
    for (Receiver &receiver : receivers) {
        auto target = std::make_unique<Target>();
        target->receiver = std::move(receiver);
        target->retry.setSingleShot(true);
        Target *t = target.get();
        connect(&target->retry, &QTimer::timeout, this, [this, t] { StartNext(*t); });
        m_targets.push_back(std::move(target));
    }
}

WebhookSender::~WebhookSender()
{
    for (const auto &target : m_targets) {
        if (target->easy) {
            curl_multi_remove_handle(m_multi, target->easy);
            curl_easy_cleanup(target->easy);
            curl_slist_free_all(target->headers);
        }
    }
    m_watches.clear();
    curl_multi_cleanup(m_multi);
}

int WebhookSender::Pending() const
{
    int pending = 0;
    for (const auto &target : m_targets)
        pending += static_cast<int>(target->waiting.size());
    return pending;
}

void WebhookSender::Post(const QByteArray &body)
{
    for (const auto &target : m_targets) {
        if (static_cast<int>(target->waiting.size()) > MaxWaiting) {
            ++m_totals.failed;
            emit gaveUp(QStringLiteral("Webhook not sent to %1: %2 posts were already waiting")
                            .arg(target->receiver.url)
                            .arg(MaxWaiting));
            continue;
        }
        target->waiting.push_back({body, {}, 0});
        if (target->waiting.size() == 1)
            StartNext(*target);
    }
}

void WebhookSender::StartNext(Target &target)
{
    if (target.waiting.empty() || target.easy || target.retry.isActive())
        return;
    Target::Post &post = target.waiting.front();
    if (post.attempts++ == 0)
        post.since.start();

    target.headers = curl_slist_append(nullptr, "Content-Type: application/json");
    if (!target.receiver.secret.isEmpty()) {
        const QByteArray line = QByteArray(WebhookSignatureHeader) + ": " +
                                WebhookSignature(target.receiver.secret, post.body);
        target.headers = curl_slist_append(target.headers, line.constData());
    }
    CURL *easy = curl_easy_init();
    curl_easy_setopt(easy, CURLOPT_URL, target.receiver.url.toUtf8().constData());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, target.headers);
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(post.body.size()));
    curl_easy_setopt(easy, CURLOPT_COPYPOSTFIELDS, post.body.constData());
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(m_timing.timeLimitMs));
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &WebhookCurl::Discard);
    curl_easy_setopt(easy, CURLOPT_PRIVATE, &target);
    target.easy = easy;
    curl_multi_add_handle(m_multi, easy);
}

void WebhookSender::SetSocketWatch(int socket, int what)
{
    if (what == CURL_POLL_REMOVE) {
        // Called from within a notifier's own signal: let it go later.
        if (const auto found = m_watches.find(socket); found != m_watches.end()) {
            for (auto *notifier : {found->second->read.release(), found->second->write.release()}) {
                if (notifier) {
                    notifier->setEnabled(false);
                    notifier->deleteLater();
                }
            }
            m_watches.erase(found);
        }
        return;
    }
    std::unique_ptr<Watch> &watch = m_watches[socket];
    if (!watch) {
        watch = std::make_unique<Watch>();
        watch->read = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Read);
        watch->write = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Write);
        connect(watch->read.get(), &QSocketNotifier::activated, this,
                [this, socket] { Drive(socket, CURL_CSELECT_IN); });
        connect(watch->write.get(), &QSocketNotifier::activated, this,
                [this, socket] { Drive(socket, CURL_CSELECT_OUT); });
    }
    watch->read->setEnabled(what == CURL_POLL_IN || what == CURL_POLL_INOUT);
    watch->write->setEnabled(what == CURL_POLL_OUT || what == CURL_POLL_INOUT);
}

void WebhookSender::Drive(int socket, int action)
{
    int running = 0;
    curl_multi_socket_action(m_multi, socket, action, &running);
    int left = 0;
    while (CURLMsg *message = curl_multi_info_read(m_multi, &left)) {
        if (message->msg == CURLMSG_DONE)
            Finished(message->easy_handle, message->data.result);
    }
}

void WebhookSender::Finished(void *handle, int curlCode)
{
    auto *easy = static_cast<CURL *>(handle);
    Target *target = nullptr;
    curl_easy_getinfo(easy, CURLINFO_PRIVATE, &target);
    long httpCode = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &httpCode);
    const auto code = static_cast<CURLcode>(curlCode);
    curl_multi_remove_handle(m_multi, easy);
    curl_easy_cleanup(easy);
    curl_slist_free_all(target->headers);
    target->headers = nullptr;
    target->easy = nullptr;

    Target::Post &post = target->waiting.front();
    if (code == CURLE_OK && httpCode >= 200 && httpCode < 300) {
        ++m_totals.delivered;
        target->waiting.pop_front();
        StartNext(*target);
        return;
    }
    const QString why = code != CURLE_OK ? QString::fromUtf8(curl_easy_strerror(code))
                                         : QStringLiteral("HTTP %1").arg(httpCode);
    // A 4xx answer will not change by asking again; a server error, a refused
    // connection or a time-out may.
    const bool mayPass = code != CURLE_OK
                             ? code != CURLE_URL_MALFORMAT && code != CURLE_UNSUPPORTED_PROTOCOL
                             : httpCode >= 500;
    const qint64 left = m_timing.retryForMs - post.since.elapsed();
    if (!mayPass || left <= 0) {
        GiveUp(*target, why);
        return;
    }
    target->retry.start(static_cast<int>(std::min<qint64>(
        left, RetryDelayMs(post.attempts, m_timing.firstRetryMs, m_timing.longestRetryMs))));
}

void WebhookSender::GiveUp(Target &target, const QString &why)
{
    const int attempts = target.waiting.front().attempts;
    target.waiting.pop_front();
    ++m_totals.failed;
    emit gaveUp(QStringLiteral("Webhook to %1 given up after %2 attempts (%3)")
                    .arg(target.receiver.url)
                    .arg(attempts)
                    .arg(why));
    StartNext(target);
}

} // namespace vantor
