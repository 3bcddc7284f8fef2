// The one way e-mail leaves the station, the Preferences dialog's test
// message and the daily report.
#include "curl_mail_transport.h"
#include "daily_report.h"
#include "engine.h"
#include "send_email.h"

namespace vantor {

void Engine::SendEmail(const QString &recipient, const QString &text, bool showErrors,
                       const QString &subject, std::function<void(bool)> done, int device)
{
    EmailSettings settings;
    settings.Enable = m_prefs.Flag(QStringLiteral("Enable"));
    settings.SMTPServer = m_prefs.Text(QStringLiteral("SMTPServer"));
    settings.Username = m_prefs.Text(QStringLiteral("Username"));
    settings.Password = m_prefs.Text(QStringLiteral("Password"));
    settings.Authenticate = m_prefs.Flag(QStringLiteral("Authenticate"));
    settings.TLS = m_prefs.Flag(QStringLiteral("TLS"));
    settings.From = m_prefs.Text(QStringLiteral("From"));
    settings.Subject = m_prefs.Text(QStringLiteral("Subject"));
    settings.Signature = m_prefs.Text(QStringLiteral("Signature"));
    ComposedEmail composed = ComposeEmail(settings, recipient, text, subject,
                                          m_clock.currentDateTime(), Folders.EmailsSentFolder);
    if (!composed.delivery) {
        if (done)
            QMetaObject::invokeMethod(
                this, [done = std::move(done), result = composed.accepted] { done(result); },
                Qt::QueuedConnection);
        return;
    }
    // The operator waiting for a test message hears at once; the station's own
    // messages wait out a mail server's outage.
    if (!showErrors)
        composed.delivery->retryForMs = m_prefs.Integer(QStringLiteral("RetryMinutes")) * 60000;
    m_mail->Enqueue(std::move(*composed.delivery), [this, showErrors, device,
                                                    done = std::move(done)](const QString &status) {
        RunGuarded([&] {
            const bool delivered = Delivered(status);
            if (!InvalidDevice(device))
                ++(delivered ? Devices[device].EmailsSent : Devices[device].EmailsFailed);
            if (!delivered) {
                if (showErrors)
                    ShowMessage(status);
                AddToActivityLog(-1, UnableToSendLine(status));
            }
            if (done)
                done(delivered);
        });
    });
}

void Engine::SendTestEmail()
{
    if (!m_prefs.Flag(QStringLiteral("Enable"))) {
        QMetaObject::invokeMethod(
            this,
            [this] { emit TestEmailFinished(QStringLiteral("Enable the Email function first")); },
            Qt::QueuedConnection);
        return;
    }
    SendEmail(m_prefs.Text(QStringLiteral("To")), QStringLiteral("Test Message"), true, QString(),
              [this](bool sent) {
                  emit TestEmailFinished(sent ? QStringLiteral("Email sent OK")
                                              : QStringLiteral("Unable to send email"));
              });
}

void Engine::SendDailyReport()
{
    if (const auto report = ComposeDailyReport(G.AppActivityLines, Devices))
        SendEmail(report->recipients, report->text, false, DailyReportSubject);
}

void Engine::SetMailTransport(std::unique_ptr<MailTransport> transport)
{
    m_mail = std::make_unique<MailQueue>(std::move(transport));
}

} // namespace vantor
