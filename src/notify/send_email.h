// Sending one e-mail of the system: the checks, the message and its copy in
// the EmailsSent folder, and the hand-over to the mail transport. Showing the
// transport's error and logging the failure are left to the caller, which
// owns the screen and the application log.
#pragma once

#include "email_settings.h"
#include "mail_transport.h"

#include <QDateTime>
#include <QString>

namespace vantor {

// The third argument of every Send: the time limit of one delivery in ms.
inline constexpr int SendTimeLimitMs = 5000;

struct SendEmailOutcome {
    bool result = false;          // what SendEmail answers
    bool transportFailed = false; // the transport's status did not begin with "OK"
    QString status;               // the transport's status text; empty when not sent
};

// At least 3 characters, with a "." and an at-sign somewhere.
bool PlausibleRecipient(const QString &recipient);

// recipient: one address or several separated by commas or semicolons; text:
// the body without signature, lines separated by CR LF; an empty subject
// takes the setting's. now is the local time of sending, with its offset from
// UTC; emailsSentFolder ends with a separator. An empty server setting keeps
// the copy and sends nothing (result true).
SendEmailOutcome SendEmailMessage(const EmailSettings &settings, const QString &recipient,
                                  const QString &text, const QString &subject, const QDateTime &now,
                                  const QString &emailsSentFolder, MailTransport &transport);

// The application log line of a transport failure.
QString UnableToSendLine(const QString &status);

} // namespace vantor
