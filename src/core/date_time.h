// Date-times as the engine computes with them: a double counting days since
// 1899-12-30 00:00 local time, the fraction being the time of day. Conversion
// to Qt types happens only at the edges.
#pragma once

#include <QDateTime>
#include <QString>

namespace vantor {

using TDateTime = double;

inline constexpr double OneSecond = 1.0 / 86400.0;
inline constexpr double OneMinute = 1.0 / 1440.0;

TDateTime ToDateTime(const QDate &date, const QTime &time);
// The wall-clock fields of dt, whatever its time zone.
TDateTime ToDateTime(const QDateTime &dt);
QDate DatePart(TDateTime dt);
QTime TimePart(TDateTime dt);
// A local QDateTime with the wall-clock fields of dt.
QDateTime ToQDateTime(TDateTime dt);

// Formats with Pascal-style patterns: yyyy/yy year, mm/m month (minutes after
// h or hh), dd/d day, hh/h hour, nn/n minutes, ss/s seconds, zzz milliseconds.
// Text in double quotes is copied as is.
QString FormatDateTime(const QString &pattern, TDateTime dt);

// Whole days/seconds between two date-times, truncated toward zero.
qint64 DaysBetween(TDateTime a, TDateTime b);
qint64 SecondsBetween(TDateTime a, TDateTime b);

// Weekday of dt, Monday = 1 ... Sunday = 7.
int DayOfTheWeek(TDateTime dt);

// The classic date-time-to-text form: "d.mm.yyyy h:nn:ss", the time left out at
// exactly midnight.
QString DateTimeToStr(TDateTime dt);

} // namespace vantor
