#include "date_time.h"

#include <cmath>

namespace vantor {

namespace {
const qint64 EpochJulianDay = QDate(1899, 12, 30).toJulianDay();
constexpr qint64 MsPerDay = 86400000;

// Splits dt into whole days and milliseconds of the day, rounding to the
// nearest millisecond as the classic decoding does.
void Split(TDateTime dt, qint64 &days, qint64 &ms)
{
    days = static_cast<qint64>(std::trunc(dt));
    ms = std::llround(std::fabs(dt - static_cast<double>(days)) * MsPerDay);
    if (ms >= MsPerDay) {
        ms -= MsPerDay;
        days += dt < 0 ? -1 : 1;
    }
}
} // namespace

TDateTime ToDateTime(const QDate &date, const QTime &time)
{
    const double days = static_cast<double>(date.toJulianDay() - EpochJulianDay);
    const double frac = time.isValid() ? time.msecsSinceStartOfDay() / double(MsPerDay) : 0.0;
    return days >= 0 ? days + frac : days - frac;
}

TDateTime ToDateTime(const QDateTime &dt)
{
    return ToDateTime(dt.date(), dt.time());
}

QDate DatePart(TDateTime dt)
{
    qint64 days, ms;
    Split(dt, days, ms);
    return QDate::fromJulianDay(EpochJulianDay + days);
}

QTime TimePart(TDateTime dt)
{
    qint64 days, ms;
    Split(dt, days, ms);
    return QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms));
}

QDateTime ToQDateTime(TDateTime dt)
{
    return QDateTime(DatePart(dt), TimePart(dt));
}

QString FormatDateTime(const QString &pattern, TDateTime dt)
{
    const QDate d = DatePart(dt);
    const QTime t = TimePart(dt);
    auto pad = [](int v, int w) { return QString::number(v).rightJustified(w, QLatin1Char('0')); };

    QString out;
    bool lastWasHour = false;
    const qsizetype n = pattern.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = pattern[i].toLower();
        qsizetype run = 1;
        while (i + run < n && pattern[i + run].toLower() == c)
            ++run;
        if (pattern[i] == QLatin1Char('"')) {
            const qsizetype end = pattern.indexOf(QLatin1Char('"'), i + 1);
            const qsizetype stop = end < 0 ? n : end;
            out += pattern.mid(i + 1, stop - i - 1);
            i = stop + 1;
            continue;
        }
        switch (c.unicode()) {
        case 'y':
            out += run >= 3 ? pad(d.year(), 4) : pad(d.year() % 100, 2);
            break;
        case 'm':
            if (lastWasHour)
                out += run >= 2 ? pad(t.minute(), 2) : QString::number(t.minute());
            else
                out += run >= 2 ? pad(d.month(), 2) : QString::number(d.month());
            break;
        case 'd':
            out += run >= 2 ? pad(d.day(), 2) : QString::number(d.day());
            break;
        case 'h':
            out += run >= 2 ? pad(t.hour(), 2) : QString::number(t.hour());
            break;
        case 'n':
            out += run >= 2 ? pad(t.minute(), 2) : QString::number(t.minute());
            break;
        case 's':
            out += run >= 2 ? pad(t.second(), 2) : QString::number(t.second());
            break;
        case 'z':
            out += run >= 3 ? pad(t.msec(), 3) : QString::number(t.msec());
            break;
        default:
            out += pattern.mid(i, run);
            break;
        }
        if (c != QLatin1Char(' ') && c != QLatin1Char(':'))
            lastWasHour = c == QLatin1Char('h');
        i += run;
    }
    return out;
}

qint64 DaysBetween(TDateTime a, TDateTime b)
{
    return std::llround(std::fabs(a - b) * MsPerDay) / MsPerDay;
}

qint64 SecondsBetween(TDateTime a, TDateTime b)
{
    // Round to milliseconds first so that 12:00:05 - 12:00:00 is 5, not 4.999...
    const qint64 ms = std::llround(std::fabs(a - b) * MsPerDay);
    return ms / 1000;
}

int DayOfTheWeek(TDateTime dt)
{
    return DatePart(dt).dayOfWeek();
}

QString DateTimeToStr(TDateTime dt)
{
    if (TimePart(dt).msecsSinceStartOfDay() == 0)
        return FormatDateTime(QStringLiteral("d.mm.yyyy"), dt);
    return FormatDateTime(QStringLiteral("d.mm.yyyy h:nn:ss"), dt);
}

} // namespace vantor
