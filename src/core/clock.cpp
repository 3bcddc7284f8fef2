#include "clock.h"

#include <ctime>

namespace vantor {

namespace {
const QDateTime UtcEpoch(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC);
constexpr char SystemZoneFile[] = "/etc/localtime";
} // namespace

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

void PinLocalTimeZone()
{
    if (qEnvironmentVariableIsSet("TZ"))
        return;
    qputenv("TZ", QByteArray(":") + SystemZoneFile);
    tzset();
}

void ReloadLocalTimeZone()
{
    // The C library reads the zone again only when TZ changes, and even then
    // skips a file whose inode and modification second look unchanged (a file
    // rewritten in place within a second). Passing through a zone that names
    // no file makes it read the file in full.
    if (qEnvironmentVariableIsSet("TZ")) {
        const QByteArray zone = qgetenv("TZ");
        qputenv("TZ", "UTC0");
        tzset();
        qputenv("TZ", zone);
    }
    tzset();
}

QString LocalTimeZoneFile()
{
    if (!qEnvironmentVariableIsSet("TZ"))
        return QString::fromLatin1(SystemZoneFile);
    QByteArray zone = qgetenv("TZ");
    if (zone.startsWith(':'))
        zone.remove(0, 1);
    return zone.startsWith('/') ? QString::fromLocal8Bit(zone) : QString();
}

} // namespace vantor
