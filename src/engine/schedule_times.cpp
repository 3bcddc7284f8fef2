#include "schedule_times.h"

#include <QRegularExpression>

namespace vantor {

bool ScheduleListsTime(const QString &text, const QTime &time)
{
    // A whole time only: "16:05" must not start the device at 6:05.
    static const QRegularExpression listed(
        QStringLiteral("(?<![0-9])([0-9]{1,2}):([0-9]{2})(?![0-9])"));
    auto it = listed.globalMatch(text);
    while (it.hasNext()) {
        const auto m = it.next();
        if (m.captured(1).toInt() == time.hour() && m.captured(2).toInt() == time.minute())
            return true;
    }
    return false;
}

} // namespace vantor
