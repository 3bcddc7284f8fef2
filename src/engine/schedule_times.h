// The start times of a weekday as the operator typed them ("6:00 18:30",
// "6:00, 18:30", ...).
#pragma once

#include <QDateTime>
#include <QString>
#include <QTime>

namespace vantor {

// True when one of the times listed in text is exactly the hour and minute of
// time. Times are written h:nn or hh:nn; any other characters separate them.
bool ScheduleListsTime(const QString &text, const QTime &time);

// True when one of the times listed in text lies between the minutes of first
// and last, both included.
bool ScheduleListsTimeBetween(const QString &text, const QTime &first, const QTime &last);

// The wall-clock minutes of the local day in which a listed start time is due
// at the instant now (which carries the station's time zone). Normally just
// the current minute. In the first minute after the clock skipped forward
// (the spring change of daylight saving) it also holds the skipped minutes,
// so "2:30" on that day starts once, at 3:00.
struct StartWindow {
    QTime first;
    QTime last;
};
StartWindow DueStartWindow(const QDateTime &now);

// True when a start at now would repeat the start at last: the same local
// date and minute, but a minute or more later, as happens once a year when
// the clock is set back and an hour of the night comes twice.
bool RepeatsScheduledStart(const QDateTime &last, const QDateTime &now);

} // namespace vantor
