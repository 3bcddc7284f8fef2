// A real SMTP server process on loopback for the e-mail tests (aiosmtpd run
// by the system's Python), and the throw-away certificate its STARTTLS uses.
#pragma once

#include "loopback_server_process.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace vantor::test {

struct SmtpServerOptions {
    QString certFile; // with keyFile: STARTTLS offered and required
    QString keyFile;
    QString user; // non-empty: login required
    QString password;
    QString refusedRecipient; // an address the server rejects
};

class SmtpTestServer
{
public:
    // Starts the server and waits until it listens; port() is 0 when it did
    // not come up (error() says why).
    explicit SmtpTestServer(const SmtpServerOptions &options = {});
    SmtpTestServer(const SmtpTestServer &) = delete;
    SmtpTestServer &operator=(const SmtpTestServer &) = delete;

    // An outage: the server goes away, then comes back on its old port with
    // the messages it had (Restart is false when it did not come up).
    void Stop();
    bool Restart();

    int port() const { return m_server.port(); }
    QString error() const { return m_server.error(); }

    int messageCount() const;
    // The n-th message (from 1) as the server received it, and its envelope.
    QByteArray message(int n) const;
    QString envelopeSender(int n) const;
    QStringList envelopeRecipients(int n) const;

private:
    void Start();

    SmtpServerOptions m_options;
    QTemporaryDir m_store;
    LoopbackServerProcess m_server;
};

// A self-signed certificate for 127.0.0.1 and localhost, written as
// cert.pem and key.pem into folder; false when openssl failed.
bool MakeThrowAwayCertificate(const QString &folder);

} // namespace vantor::test
