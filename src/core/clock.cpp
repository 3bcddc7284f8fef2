#include "clock.h"

namespace vantor {

namespace {
const QDateTime UtcEpoch(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC);
}

TDateTime Clock::now() const
{
    return ToDateTime(currentDateTime());
}

TDateTime Clock::utcNow() const
{
    return ToDateTime(currentDateTime().toUTC());
}

qint64 Clock::utcMilliseconds() const
{
    return UtcEpoch.msecsTo(currentDateTime());
}

QDateTime SystemClock::currentDateTime() const
{
    return QDateTime::currentDateTime();
}

} // namespace vantor
