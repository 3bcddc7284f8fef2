// RDS clock-time groups (type 4A) for tests, written the way a transmitter
// sends them: the group as the analyzer reports it, 16 hexadecimal digits of
// blocks A to D.
#pragma once

#include <QDateTime>
#include <QString>

namespace vantor::test {

// The 4A group of station pi (4 hex digits) for the UTC minute of utc, with a
// local time offset of offsetHalfHours (signed, in half hours).
QString ClockTimeGroup(const QString &pi, const QDateTime &utc, int offsetHalfHours = 0);

} // namespace vantor::test
