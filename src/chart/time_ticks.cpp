#include "time_ticks.h"

#include <QDate>
#include <QLocale>
#include <array>
#include <cmath>

namespace vantor {

namespace {

struct StepEntry {
    int major;
    int minor;
};

constexpr std::array<StepEntry, 12> SixtyStepTable{{{1, 1},
                                                    {2, 1},
                                                    {3, 1},
                                                    {4, 1},
                                                    {5, 1},
                                                    {6, 2},
                                                    {10, 5},
                                                    {12, 3},
                                                    {15, 5},
                                                    {20, 5},
                                                    {30, 10},
                                                    {60, 15}}};

constexpr std::array<StepEntry, 8> HourStepTable{
    {{1, 1}, {2, 1}, {3, 1}, {4, 1}, {6, 2}, {8, 4}, {12, 3}, {24, 6}}};

double UnitSeconds(TimeUnit unit)
{
    switch (unit) {
    case TimeUnit::Seconds:
        return 1;
    case TimeUnit::Minutes:
        return 60;
    case TimeUnit::Hours:
        return 3600;
    case TimeUnit::Days:
        break;
    }
    return SecondsPerDay;
}

template <std::size_t N>
StepEntry PickStep(const std::array<StepEntry, N> &table, double wholeUnits)
{
    for (const StepEntry &entry : table) {
        if (entry.major > wholeUnits)
            return entry;
    }
    return table.back();
}

// Half a millisecond: date-times from the clock carry milliseconds, and a
// tick must not slip to the previous step through rounding.
constexpr double TickSlack = 0.0005;

QDate DateOf(double dateTime)
{
    return QDate(1899, 12, 30)
        .addDays(static_cast<qint64>(std::floor(dateTime + TickSlack / SecondsPerDay)));
}

bool DayBeforeMonth()
{
    const QString format = QLocale::system().dateFormat(QLocale::ShortFormat);
    const qsizetype day = format.indexOf(u'd');
    const qsizetype month = format.indexOf(u'M');
    return day >= 0 && (month < 0 || day < month);
}

} // namespace

double TimeSteps::majorSeconds() const
{
    return major * UnitSeconds(unit);
}

double TimeSteps::minorSeconds() const
{
    return minor * UnitSeconds(unit);
}

void WidenTimeSpan(double &start, double &end)
{
    if ((end - start) * SecondsPerDay >= 2)
        return;
    const double middle = (start + end) / 2;
    start = middle - 1 / SecondsPerDay;
    end = middle + 1 / SecondsPerDay;
}

TimeSteps ComputeTimeSteps(double spanSeconds, double axisPixels, double minLabelPixels)
{
    const double interval = minLabelPixels * spanSeconds / axisPixels;
    TimeSteps steps;
    if (interval < 60)
        steps.unit = TimeUnit::Seconds;
    else if (interval < 3600)
        steps.unit = TimeUnit::Minutes;
    else if (interval < SecondsPerDay)
        steps.unit = TimeUnit::Hours;
    else
        steps.unit = TimeUnit::Days;
    const double wholeUnits = std::floor(interval / UnitSeconds(steps.unit));
    StepEntry entry{};
    if (steps.unit == TimeUnit::Hours)
        entry = PickStep(HourStepTable, wholeUnits);
    else if (steps.unit == TimeUnit::Days)
        entry = {static_cast<int>(wholeUnits) + 1, 1};
    else
        entry = PickStep(SixtyStepTable, wholeUnits);
    steps.major = entry.major;
    steps.minor = entry.minor;
    return steps;
}

double FirstTimeTick(double start, const TimeSteps &steps)
{
    // Every table step divides its minute, hour or day, and day 0 starts at
    // midnight, so rounding the absolute seconds is rounding within the unit.
    const double step = steps.majorSeconds();
    const double seconds = start * SecondsPerDay;
    return std::floor(seconds / step + TickSlack / step) * step / SecondsPerDay;
}

QString TimeLabel(double dateTime, const TimeSteps &steps)
{
    const double seconds = dateTime * SecondsPerDay;
    const auto day = static_cast<qint64>(SecondsPerDay);
    const qint64 ofDay = (static_cast<qint64>(std::floor(seconds + TickSlack)) % day + day) % day;
    const auto two = [](qint64 v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    QString text = two(ofDay / 3600) + u':' + two(ofDay / 60 % 60);
    if (steps.majorSeconds() < 60)
        text += u':' + two(ofDay % 60);
    return text;
}

QString DayMonthLabel(double dateTime)
{
    const QDate date = DateOf(dateTime);
    const QString d = QString::number(date.day());
    const QString m = QString::number(date.month());
    return DayBeforeMonth() ? d + u'-' + m : m + u'-' + d;
}

QString DateLabel(double dateTime, int monthFormat, int yearFormat)
{
    const QDate date = DateOf(dateTime);
    const QLocale locale = QLocale::system();
    const QString d = QString::number(date.day());
    const QString m = monthFormat == 1   ? locale.monthName(date.month(), QLocale::ShortFormat)
                      : monthFormat == 2 ? locale.monthName(date.month(), QLocale::LongFormat)
                                         : QString::number(date.month());
    QString text = DayBeforeMonth() ? d + u'-' + m : m + u'-' + d;
    if (yearFormat == 1)
        text += u'-' + QStringLiteral("%1").arg(date.year() % 100, 2, 10, QLatin1Char('0'));
    else if (yearFormat == 2)
        text += u'-' + QString::number(date.year());
    return text;
}

} // namespace vantor
