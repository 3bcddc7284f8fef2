#include "send_email.h"

#include "email_copy.h"
#include "email_message.h"
#include "smtp_server.h"
#include "transport_text.h"

namespace vantor {

bool PlausibleRecipient(const QString &recipient)
{
    return recipient.size() >= 3 && recipient.contains(QLatin1Char('.')) &&
           recipient.contains(QLatin1Char('@'));
}

SendEmailOutcome SendEmailMessage(const EmailSettings &settings, const QString &recipient,
                                  const QString &text, const QString &subject, const QDateTime &now,
                                  const QString &emailsSentFolder, MailTransport &transport)
{
    SendEmailOutcome outcome;
    if (!settings.Enable || !PlausibleRecipient(recipient))
        return outcome;
    outcome.result = true;

    const EmailMessage message{settings.From, recipient,
                               subject.isEmpty() ? settings.Subject : subject,
                               text + QStringLiteral("\r\n\r\n") + settings.Signature, now};
    const QByteArray serialised = SerialiseEmail(message);
    // The copy is a record of what was attempted; failing to keep it must not
    // stop the message itself.
    SaveEmailCopy(emailsSentFolder, now, serialised);

    const SmtpServer server = ParseSmtpServer(settings.SMTPServer);
    if (settings.SMTPServer.isEmpty())
        return outcome;

    transport.Msg(AdjustForTransport(serialised));
    transport.Auth(settings.Authenticate, settings.TLS, settings.Username, settings.Password);
    outcome.status = transport.Send(server.host, server.port, SendTimeLimitMs);
    if (!outcome.status.startsWith(QLatin1String("OK"))) {
        outcome.transportFailed = true;
        outcome.result = false;
    }
    return outcome;
}

QString UnableToSendLine(const QString &status)
{
    return QStringLiteral("Unable to send email (") + status + QLatin1Char(')');
}

} // namespace vantor
