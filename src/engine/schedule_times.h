// The start times of a weekday as the operator typed them ("6:00 18:30",
// "6:00, 18:30", ...).
#pragma once

#include <QString>
#include <QTime>

namespace vantor {

// True when one of the times listed in text is exactly the hour and minute of
// time. Times are written h:nn or hh:nn; any other characters separate them.
bool ScheduleListsTime(const QString &text, const QTime &time);

} // namespace vantor
