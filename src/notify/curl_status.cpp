#include "curl_status.h"

namespace vantor {

namespace {

QString WithDetail(const QString &what, const QString &detail, const QString &serverReply)
{
    QString text = what;
    if (!detail.isEmpty())
        text += QStringLiteral(": ") + detail;
    if (!serverReply.isEmpty())
        text += QStringLiteral(" (server: ") + serverReply + QLatin1Char(')');
    return text;
}

bool IsTlsFailure(CURLcode code)
{
    switch (code) {
    case CURLE_USE_SSL_FAILED:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_ENGINE_INITFAILED:
    case CURLE_SSL_SHUTDOWN_FAILED:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_SSL_CLIENTCERT:
        return true;
    default:
        return false;
    }
}

} // namespace

QString CurlSmtpStatus(CURLcode code, const QString &detail, const QString &serverReply,
                       int timeLimitMs)
{
    if (code == CURLE_OK)
        return serverReply.isEmpty() ? QStringLiteral("OK")
                                     : QStringLiteral("OK (") + serverReply + QLatin1Char(')');
    if (code == CURLE_COULDNT_CONNECT)
        return WithDetail(QStringLiteral("connection refused"), detail, serverReply);
    if (code == CURLE_COULDNT_RESOLVE_HOST)
        return WithDetail(QStringLiteral("server not found"), detail, serverReply);
    if (code == CURLE_OPERATION_TIMEDOUT)
        return WithDetail(QStringLiteral("time-out after %1 ms").arg(timeLimitMs), detail,
                          serverReply);
    if (code == CURLE_LOGIN_DENIED || code == CURLE_AUTH_ERROR)
        return WithDetail(QStringLiteral("authentication failed"), detail, serverReply);
    if (IsTlsFailure(code))
        return WithDetail(QStringLiteral("TLS failed"), detail, serverReply);
    // libcurl reports a refused envelope address as a failed send and names
    // the command in its text.
    if (detail.startsWith(QLatin1String("RCPT")))
        return WithDetail(QStringLiteral("recipient refused"), detail, serverReply);
    if (detail.startsWith(QLatin1String("MAIL")))
        return WithDetail(QStringLiteral("sender refused"), detail, serverReply);
    return WithDetail(QStringLiteral("sending failed"), detail, serverReply);
}

} // namespace vantor
