// The daily report that tells the device administrators the station is
// running: its recipients and its text from the recent activity lists.
#pragma once

#include "model.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace vantor {

inline const QString DailyReportSubject = QStringLiteral("Vantor Daily Report");

// Each device's Email in list order, a repeat of an earlier device's exact
// text and an address of 4 characters or fewer left out, joined by "; ".
QString DailyReportRecipients(const std::vector<TDevice> &devices);

// The report body (CR LF line ends): the greeting, the application's recent
// activity, each device's recent activity under its heading, and the end
// line. A device whose activity list was never created has no lines.
QString DailyReportText(const QStringList &appActivityLines, const std::vector<TDevice> &devices);

struct DailyReport {
    QString recipients;
    QString text;
};

// The report to send, or nothing when there are no devices or no recipients.
std::optional<DailyReport> ComposeDailyReport(const QStringList &appActivityLines,
                                              const std::vector<TDevice> &devices);

} // namespace vantor
