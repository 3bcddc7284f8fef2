#include "clock_time_group.h"

#include <cstdlib>

namespace vantor::test {

QString ClockTimeGroup(const QString &pi, const QDateTime &utc, int offsetHalfHours)
{
    const QDateTime t = utc.toUTC();
    // Modified Julian Day: days since 1858-11-17.
    const int mjd = static_cast<int>(t.date().toJulianDay() - 2400001);
    const int hour = t.time().hour();
    const int offset = (offsetHalfHours < 0 ? 0x20 : 0) | (std::abs(offsetHalfHours) & 0x1F);
    auto hex = [](int v) { return QStringLiteral("%1").arg(v, 4, 16, QLatin1Char('0')); };
    return (pi + hex(0x4000 | ((mjd >> 15) & 3)) + hex(((mjd & 0x7FFF) << 1) | (hour >> 4)) +
            hex(((hour & 15) << 12) | (t.time().minute() << 6) | offset))
        .toUpper();
}

} // namespace vantor::test
