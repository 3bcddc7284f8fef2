#include "schedule_times.h"

#include <QRegularExpression>

namespace vantor {

namespace {
int MinuteOfDay(const QTime &time)
{
    return time.hour() * 60 + time.minute();
}
} // namespace

bool ScheduleListsTime(const QString &text, const QTime &time)
{
    return ScheduleListsTimeBetween(text, time, time);
}

bool ScheduleListsTimeBetween(const QString &text, const QTime &first, const QTime &last)
{
    // A whole time only: "16:05" must not start the device at 6:05.
    static const QRegularExpression listed(
        QStringLiteral("(?<![0-9])([0-9]{1,2}):([0-9]{2})(?![0-9])"));
    const int from = MinuteOfDay(first);
    const int to = MinuteOfDay(last);
    auto it = listed.globalMatch(text);
    while (it.hasNext()) {
        const auto m = it.next();
        const int minute = m.captured(2).toInt();
        if (minute > 59)
            continue;
        const int listedMinute = m.captured(1).toInt() * 60 + minute;
        if (listedMinute >= from && listedMinute <= to)
            return true;
    }
    return false;
}

StartWindow DueStartWindow(const QDateTime &now)
{
    const QDateTime minuteAgo = now.addSecs(-60);
    const int skipped = minuteAgo.date() == now.date()
                            ? MinuteOfDay(now.time()) - MinuteOfDay(minuteAgo.time()) - 1
                            : MinuteOfDay(now.time());
    if (skipped <= 0)
        return {now.time(), now.time()};
    return {QTime(0, 0).addSecs(60 * (MinuteOfDay(now.time()) - skipped)), now.time()};
}

bool RepeatsScheduledStart(const QDateTime &last, const QDateTime &now)
{
    return last.isValid() && last.date() == now.date() &&
           MinuteOfDay(last.time()) == MinuteOfDay(now.time()) && last.secsTo(now) >= 60;
}

} // namespace vantor
