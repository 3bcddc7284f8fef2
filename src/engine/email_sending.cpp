// The one way e-mail leaves the station, the Preferences dialog's test
// message and the daily report.
#include "daily_report.h"
#include "engine.h"
#include "send_email.h"

namespace vantor {

bool Engine::SendEmail(const QString &recipient, const QString &text, bool showErrors,
                       const QString &subject)
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
    const SendEmailOutcome outcome =
        SendEmailMessage(settings, recipient, text, subject, m_clock.currentDateTime(),
                         Folders.EmailsSentFolder, *m_mail);
    if (outcome.transportFailed) {
        if (showErrors)
            ShowMessage(outcome.status);
        AddToActivityLog(-1, UnableToSendLine(outcome.status));
    }
    return outcome.result;
}

QString Engine::SendTestEmail()
{
    if (!m_prefs.Flag(QStringLiteral("Enable")))
        return QStringLiteral("Enable the Email function first");
    return SendEmail(m_prefs.Text(QStringLiteral("To")), QStringLiteral("Test Message"), true,
                     QString())
               ? QStringLiteral("Email sent OK")
               : QStringLiteral("Unable to send email");
}

void Engine::SendDailyReport()
{
    if (const auto report = ComposeDailyReport(G.AppActivityLines, Devices))
        SendEmail(report->recipients, report->text, false, DailyReportSubject);
}

void Engine::SetMailTransport(std::unique_ptr<MailTransport> transport)
{
    m_mail = std::move(transport);
}

} // namespace vantor
