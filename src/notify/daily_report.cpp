#include "daily_report.h"

namespace vantor {

namespace {

const QString Crlf = QStringLiteral("\r\n");

void AddLines(QString &text, const QStringList &lines)
{
    for (const QString &line : lines)
        text += line + Crlf;
    text += Crlf + Crlf;
}

} // namespace

QString DailyReportRecipients(const std::vector<TDevice> &devices)
{
    QStringList seen;
    QStringList retained;
    for (const TDevice &device : devices) {
        if (seen.contains(device.Email))
            continue;
        seen.append(device.Email);
        if (device.Email.size() > 4)
            retained.append(device.Email);
    }
    return retained.join(QStringLiteral("; "));
}

QString DailyReportText(const QStringList &appActivityLines, const std::vector<TDevice> &devices)
{
    QString text = QStringLiteral("Just to inform you that the Vantor is running, performing the "
                                  "operations listed below.") +
                   Crlf + Crlf + Crlf;
    text += QStringLiteral("Application Recent Activity:") + Crlf + Crlf;
    AddLines(text, appActivityLines);
    for (const TDevice &device : devices) {
        text += QStringLiteral("Device '") + device.Name + QStringLiteral("' Recent Activity:") +
                Crlf + Crlf;
        AddLines(text, device.ActivityLines.value_or(QStringList()));
    }
    text += QStringLiteral("--- End of the report ---") + Crlf;
    return text;
}

std::optional<DailyReport> ComposeDailyReport(const QStringList &appActivityLines,
                                              const std::vector<TDevice> &devices)
{
    if (devices.empty())
        return std::nullopt;
    DailyReport report{DailyReportRecipients(devices), {}};
    if (report.recipients.isEmpty())
        return std::nullopt;
    report.text = DailyReportText(appActivityLines, devices);
    return report;
}

} // namespace vantor
