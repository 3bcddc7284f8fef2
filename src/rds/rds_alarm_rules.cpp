#include "rds_alarm_rules.h"
#include "rds_group.h"

namespace vantor {

QStringList ExpectedPsNames(const QString &stationPs)
{
    return stationPs.split(QLatin1Char('|'), Qt::SkipEmptyParts);
}

bool PsMatches(const QString &received, const QString &expected)
{
    if (received.size() > PsLength || expected.size() > PsLength)
        return false;
    const QString ps = received.leftJustified(PsLength, QLatin1Char(' '));
    const QString name = expected.leftJustified(PsLength, QLatin1Char(' '));
    for (int i = 0; i < PsLength; ++i) {
        if (name[i] != QLatin1Char('*') && name[i] != ps[i])
            return false;
    }
    return true;
}

std::optional<QList<int>> ParseGroupTypes(const QString &list)
{
    const auto separator = [](QChar c) { return c.isSpace() || c == QLatin1Char(','); };
    QList<int> types;
    for (qsizetype i = 0; i < list.size();) {
        if (separator(list[i])) {
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < list.size() && !separator(list[end]))
            ++end;
        const int type = RdsGroupTypeIndex(QStringView(list).sliced(i, end - i));
        if (type < 0)
            return std::nullopt;
        if (!types.contains(type))
            types.append(type);
        i = end;
    }
    return types;
}

} // namespace vantor
