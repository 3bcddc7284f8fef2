#include "rfc5322_date.h"

#include <array>
#include <cstdlib>

namespace vantor {

QString Rfc5322Date(const QDateTime &dt)
{
    static constexpr std::array<const char *, 7> days = {"Mon", "Tue", "Wed", "Thu",
                                                         "Fri", "Sat", "Sun"};
    static constexpr std::array<const char *, 12> months = {
        "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const QDate date = dt.date();
    const QTime time = dt.time();
    const int offsetMinutes = dt.offsetFromUtc() / 60;
    const int absMinutes = std::abs(offsetMinutes);
    return QStringLiteral("%1, %2 %3 %4 %5:%6:%7 %8%9%10")
        .arg(QLatin1String(days[static_cast<std::size_t>(date.dayOfWeek() - 1)]))
        .arg(date.day(), 2, 10, QLatin1Char('0'))
        .arg(QLatin1String(months[static_cast<std::size_t>(date.month() - 1)]))
        .arg(date.year(), 4, 10, QLatin1Char('0'))
        .arg(time.hour(), 2, 10, QLatin1Char('0'))
        .arg(time.minute(), 2, 10, QLatin1Char('0'))
        .arg(time.second(), 2, 10, QLatin1Char('0'))
        .arg(offsetMinutes < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        .arg(absMinutes / 60, 2, 10, QLatin1Char('0'))
        .arg(absMinutes % 60, 2, 10, QLatin1Char('0'));
}

} // namespace vantor
