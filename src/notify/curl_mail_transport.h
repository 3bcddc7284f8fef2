// The mail transport over libcurl's SMTP client. TLS means STARTTLS is
// required (no mail goes out in clear text when it is refused); the server's
// certificate and host name are always verified, against the system's
// certificate store plus, when given, one PEM file of trusted certificates
// (SetCaFile, or the environment variable VANTOR_SMTP_CA_FILE), so a station
// whose mail server has its own certificate can trust exactly that one.
// Send blocks; the program runs it on the mail queue's thread only.
#pragma once

#include "mail_transport.h"

#include <atomic>

namespace vantor {

class CurlMailTransport : public MailTransport
{
public:
    CurlMailTransport();

    void SetCaFile(const QString &path) { m_caFile = path; }
    const QString &CaFile() const { return m_caFile; }

    void Msg(const QByteArray &message) override;
    void Auth(bool authenticate, bool tls, const QString &user, const QString &password) override;
    // Status texts: "OK (<server reply>)" on delivery; otherwise one beginning
    // "connection refused", "server not found", "time-out after <n> ms",
    // "authentication failed", "TLS failed", "recipient refused",
    // "sender refused", "invalid server", "no recipient" or "sending failed",
    // followed by the details. timeLimitMs bounds the whole dialogue, and
    // also the wait for the answer to the closing QUIT.
    QString Send(const QString &host, int port, int timeLimitMs) override;
    // The dialogue in progress ends within about a second with a status
    // beginning "sending failed"; later Sends fail at once the same way.
    void Abort() override;

private:
    QByteArray m_message;
    bool m_authenticate = false;
    bool m_tls = false;
    QString m_user;
    QString m_password;
    QString m_caFile;
    std::atomic<bool> m_aborted = false;
};

} // namespace vantor
