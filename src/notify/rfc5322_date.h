// The date-time of a message header in Internet form, for example
// "Thu, 10 Dec 2026 03:15:07 +0100".
#pragma once

#include <QDateTime>
#include <QString>

namespace vantor {

// The wall-clock fields of dt followed by its own offset from UTC; day and
// month names are English whatever the locale.
QString Rfc5322Date(const QDateTime &dt);

} // namespace vantor
