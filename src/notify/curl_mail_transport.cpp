#include "curl_mail_transport.h"

#include "curl_status.h"
#include "smtp_payload.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>

namespace vantor {

namespace {

struct Upload {
    const QByteArray *data;
    qsizetype pos = 0;
};

size_t ReadUpload(char *buffer, size_t size, size_t count, void *userdata)
{
    auto *upload = static_cast<Upload *>(userdata);
    const qsizetype n = std::min<qsizetype>(static_cast<qsizetype>(size * count),
                                            upload->data->size() - upload->pos);
    std::memcpy(buffer, upload->data->constData() + upload->pos, static_cast<size_t>(n));
    upload->pos += n;
    return static_cast<size_t>(n);
}

// Keeps the last line the server sent, so a failure can quote the server's
// own words (a 535 or 550 reply says more than libcurl's code). The farewell
// to the QUIT that libcurl sends after a failure would hide the reply that
// mattered.
int KeepServerReply(CURL *, curl_infotype type, char *data, size_t size, void *userdata)
{
    if (type != CURLINFO_HEADER_IN)
        return 0;
    const QString line = QString::fromLatin1(data, static_cast<qsizetype>(size))
                             .trimmed()
                             .section(QLatin1Char('\n'), -1)
                             .trimmed();
    if (!line.isEmpty() && !line.startsWith(QLatin1String("221")))
        *static_cast<QString *>(userdata) = line;
    return 0;
}

// Polled by libcurl about once a second, also while it waits for the server.
int StopWhenAborted(void *aborted, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return static_cast<const std::atomic<bool> *>(aborted)->load() ? 1 : 0;
}

struct CurlDeleter {
    void operator()(CURL *curl) const { curl_easy_cleanup(curl); }
};
struct SlistDeleter {
    void operator()(curl_slist *list) const { curl_slist_free_all(list); }
};
struct UrlDeleter {
    void operator()(CURLU *url) const { curl_url_cleanup(url); }
};

// The server's URL; empty with a reason when host or port cannot form one.
std::unique_ptr<CURLU, UrlDeleter> ServerUrl(const QString &host, int port, QString &error)
{
    if (port < 1 || port > 65535) {
        error = QStringLiteral("invalid server port %1").arg(port);
        return {};
    }
    std::unique_ptr<CURLU, UrlDeleter> url(curl_url());
    if (!url) {
        error = QStringLiteral("sending failed: out of memory");
        return {};
    }
    // A name with colons can only be an IPv6 address, which a URL brackets.
    QString name = host;
    if (name.contains(QLatin1Char(':')) && !name.startsWith(QLatin1Char('[')))
        name = QLatin1Char('[') + name + QLatin1Char(']');
    if (host.isEmpty() || curl_url_set(url.get(), CURLUPART_SCHEME, "smtp", 0) != CURLUE_OK ||
        curl_url_set(url.get(), CURLUPART_HOST, name.toUtf8().constData(), 0) != CURLUE_OK ||
        curl_url_set(url.get(), CURLUPART_PORT, QByteArray::number(port).constData(), 0) !=
            CURLUE_OK) {
        error = QStringLiteral("invalid server name \"%1\"").arg(host);
        return {};
    }
    return url;
}

} // namespace

CurlMailTransport::CurlMailTransport() : m_caFile(qEnvironmentVariable("VANTOR_SMTP_CA_FILE"))
{
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

void CurlMailTransport::Msg(const QByteArray &message)
{
    m_message = message;
}

void CurlMailTransport::Auth(bool authenticate, bool tls, const QString &user,
                             const QString &password)
{
    m_authenticate = authenticate;
    m_tls = tls;
    m_user = user;
    m_password = password;
}

void CurlMailTransport::Abort()
{
    m_aborted = true;
}

QString CurlMailTransport::Send(const QString &host, int port, int timeLimitMs)
{
    if (m_aborted)
        return QStringLiteral("sending failed: aborted");
    const SmtpPayload payload = PayloadFromMessage(m_message);
    if (payload.recipients.isEmpty())
        return QStringLiteral("no recipient address in the message");
    QString error;
    const auto url = ServerUrl(host, port, error);
    if (!url)
        return error;

    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl)
        return QStringLiteral("sending failed: libcurl could not start");
    std::unique_ptr<curl_slist, SlistDeleter> recipients;
    for (const QString &r : payload.recipients) {
        curl_slist *grown = curl_slist_append(recipients.get(), r.toLatin1().constData());
        if (!grown)
            return QStringLiteral("sending failed: out of memory");
        if (!recipients)
            recipients.reset(grown); // later appends keep the same head
    }

    Upload upload{&payload.data};
    QString serverReply;
    char detail[CURL_ERROR_SIZE] = {};
    const QByteArray sender = payload.sender.toLatin1();
    const QByteArray user = m_user.toUtf8();
    const QByteArray password = m_password.toUtf8();
    const QByteArray caFile = m_caFile.toLocal8Bit();

    CURL *c = curl.get();
    curl_easy_setopt(c, CURLOPT_CURLU, url.get());
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, detail);
    curl_easy_setopt(c, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(c, CURLOPT_DEBUGFUNCTION, KeepServerReply);
    curl_easy_setopt(c, CURLOPT_DEBUGDATA, &serverReply);
    // The limit covers the whole dialogue, connecting included. libcurl waits
    // for the answer to QUIT outside that limit, for up to two minutes unless
    // told a shorter reply time-out, and with a connection kept for reuse it
    // would do so at clean-up, where no setting of this transfer applies. It
    // would also wait for a hung name lookup to end.
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, static_cast<long>(timeLimitMs));
    curl_easy_setopt(c, CURLOPT_SERVER_RESPONSE_TIMEOUT,
                     static_cast<long>(std::max(1, (timeLimitMs + 999) / 1000)));
    curl_easy_setopt(c, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(c, CURLOPT_QUICK_EXIT, 1L);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, StopWhenAborted);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &m_aborted);
    curl_easy_setopt(c, CURLOPT_MAIL_FROM, sender.constData());
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT, recipients.get());
    curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(c, CURLOPT_READFUNCTION, ReadUpload);
    curl_easy_setopt(c, CURLOPT_READDATA, &upload);
    if (m_tls) {
        curl_easy_setopt(c, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
        curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L);
        curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L);
        if (!caFile.isEmpty())
            curl_easy_setopt(c, CURLOPT_CAINFO, caFile.constData());
    }
    if (m_authenticate) {
        curl_easy_setopt(c, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(c, CURLOPT_PASSWORD, password.constData());
    }

    const CURLcode code = curl_easy_perform(c);
    return CurlSmtpStatus(code, QString::fromLocal8Bit(detail).trimmed(), serverReply, timeLimitMs);
}

} // namespace vantor
