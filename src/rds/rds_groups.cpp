#include "rds_groups.h"

#include <cmath>

namespace vantor {

namespace {
// Truncation toward zero, as the standard's conversion asks for.
int Int(double v)
{
    return static_cast<int>(std::trunc(v));
}
} // namespace

bool GroupConvert(const QString &group, TGlobals &globals)
{
    const std::optional<RdsGroup> parsed = RdsGroup::Parse(group);
    return parsed && GroupConvert(*parsed, globals);
}

bool GroupConvert(const RdsGroup &group, TGlobals &globals)
{
    auto block = [&group](RdsGroup::Block b) { return group.has(b) ? int(group[b]) : -1; };
    globals.GroupBlockA = block(RdsGroup::A);
    globals.GroupBlockB = block(RdsGroup::B);
    globals.GroupBlockC = block(RdsGroup::C);
    globals.GroupBlockD = block(RdsGroup::D);
    return globals.GroupBlockB >= 0;
}

bool IsClockTimeGroup(int blockB)
{
    return blockB >= 0 && ((blockB >> 11) & 0x1F) == 8;
}

TDateTime DEC_CT(const TGlobals &globals, TDateTime now)
{
    const int b = globals.GroupBlockB;
    const int c = globals.GroupBlockC;
    const int d = globals.GroupBlockD;
    if (c == -1 || d == -1)
        return now;
    int offset = d & 0x1F;
    if (d & 0x20)
        offset = -offset;
    const int minute = (d >> 6) & 0x3F;
    const int hour = ((d >> 12) & 0x0F) + ((c & 1) ? 16 : 0);
    if (minute > 59 || hour > 23)
        return now;
    const int mjd = ((c >> 1) & 0x7FFF) | ((b & 0x3) << 15);
    if (mjd == 0)
        return now;
    const TDateTime date = GetRDSDate(mjd);
    if (date == 0)
        return now;
    return date + (hour * 60 + minute) * OneMinute + offset * 30 * OneMinute;
}

TDateTime GetRDSDate(int mjd)
{
    const int y = Int((mjd - 15078.2) / 365.25);
    const int m = Int((mjd - 14956.1 - Int(y * 365.25)) / 30.6001);
    const int day = mjd - 14956 - Int(y * 365.25) - Int(m * 30.6001);
    const int k = (m == 14 || m == 15) ? 1 : 0;
    const int year = 1900 + y + k;
    const int month = m - 1 - 12 * k;
    if (month < 0 || month > 12 || day < 0 || day > 31)
        return 0;
    const QDate date(year, month, day);
    if (!date.isValid())
        return 0;
    return ToDateTime(date, QTime(0, 0));
}

QString RdsLogStamp(TDateTime received)
{
    const QTime t = TimePart(received);
    return QStringLiteral(" @") + FormatDateTime(QStringLiteral("yyyy/mm/dd hh:nn:ss."), received) +
           QString::number(t.msec() / 10).rightJustified(2, QLatin1Char('0'));
}

QString RdsLogLine(const QString &group, TDateTime received)
{
    return group + RdsLogStamp(received);
}

} // namespace vantor
