// The mail transport: takes a finished message, the login and TLS choice and
// the server, delivers the message and answers with a status text that begins
// with "OK" exactly when delivery succeeded. Calls come in the order Msg,
// Auth, Send for each message; sender and recipients are read from the
// message's own "From" and "To" fields. Send waits for the server, so the
// program calls it only from the mail queue's own thread (MailQueue).
#pragma once

#include <QByteArray>
#include <QString>

namespace vantor {

class MailTransport
{
public:
    virtual ~MailTransport() = default;

    // The serialised message, dot-stuffed and ended by a "." line.
    virtual void Msg(const QByteArray &message) = 0;
    virtual void Auth(bool authenticate, bool tls, const QString &user,
                      const QString &password) = 0;
    // Blocks until the server has answered or timeLimitMs have passed.
    virtual QString Send(const QString &host, int port, int timeLimitMs) = 0;
    // May be called from any thread: the Send in progress and every later one
    // end soon with a failure status. A transport that never waits has
    // nothing to cut short.
    virtual void Abort() {}
};

} // namespace vantor
