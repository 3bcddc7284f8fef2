// Composing one e-mail of the system: the checks, the message and its copy in
// the EmailsSent folder, and what the mail transport is to be given. The
// delivery itself goes through the MailQueue; showing the transport's error
// and logging the failure are left to the caller, which owns the screen and
// the application log.
#pragma once

#include "email_settings.h"
#include "smtp_server.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

namespace vantor {

// The third argument of every Send: the time limit of one delivery in ms.
inline constexpr int SendTimeLimitMs = 5000;

// One message as the mail transport takes it.
struct OutgoingEmail {
    QByteArray message; // serialised and adjusted for the transport
    bool authenticate = false;
    bool tls = false;
    QString user;
    QString password;
    SmtpServer server;
    // How long failures that may pass are retried, from the first attempt;
    // 0: one attempt only.
    int retryForMs = 0;
};

struct ComposedEmail {
    // E-mail is on and the recipient plausible: the message was composed and
    // its copy kept. Without a server to send to, this is the whole result.
    bool accepted = false;
    // What is to be delivered; none when not accepted or no server is set.
    std::optional<OutgoingEmail> delivery;
};

// At least 3 characters, with a "." and an at-sign somewhere.
bool PlausibleRecipient(const QString &recipient);

// recipient: one address or several separated by commas or semicolons; text:
// the body without signature, lines separated by CR LF; an empty subject
// takes the setting's. now is the local time of composing, with its offset
// from UTC; emailsSentFolder ends with a separator.
ComposedEmail ComposeEmail(const EmailSettings &settings, const QString &recipient,
                           const QString &text, const QString &subject, const QDateTime &now,
                           const QString &emailsSentFolder);

// Whether a transport status reports delivery: it begins with "OK".
bool Delivered(const QString &status);

// The application log line of a transport failure.
QString UnableToSendLine(const QString &status);

} // namespace vantor
