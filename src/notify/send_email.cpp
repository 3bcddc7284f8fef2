#include "send_email.h"

#include "email_copy.h"
#include "email_message.h"
#include "transport_text.h"

namespace vantor {

bool PlausibleRecipient(const QString &recipient)
{
    return recipient.size() >= 3 && recipient.contains(QLatin1Char('.')) &&
           recipient.contains(QLatin1Char('@'));
}

ComposedEmail ComposeEmail(const EmailSettings &settings, const QString &recipient,
                           const QString &text, const QString &subject, const QDateTime &now,
                           const QString &emailsSentFolder)
{
    ComposedEmail composed;
    if (!settings.Enable || !PlausibleRecipient(recipient))
        return composed;
    composed.accepted = true;

    const EmailMessage message{settings.From, recipient,
                               subject.isEmpty() ? settings.Subject : subject,
                               text + QStringLiteral("\r\n\r\n") + settings.Signature, now};
    const QByteArray serialised = SerialiseEmail(message);
    // The copy is a record of what was attempted; failing to keep it must not
    // stop the message itself.
    SaveEmailCopy(emailsSentFolder, now, serialised);

    if (settings.SMTPServer.isEmpty())
        return composed;
    composed.delivery = OutgoingEmail{AdjustForTransport(serialised),
                                      settings.Authenticate,
                                      settings.TLS,
                                      settings.Username,
                                      settings.Password,
                                      ParseSmtpServer(settings.SMTPServer)};
    return composed;
}

bool Delivered(const QString &status)
{
    return status.startsWith(QLatin1String("OK"));
}

QString UnableToSendLine(const QString &status)
{
    return QStringLiteral("Unable to send email (") + status + QLatin1Char(')');
}

} // namespace vantor
