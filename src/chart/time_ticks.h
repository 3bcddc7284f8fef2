// Tick steps and label texts of time-of-day axes. Date-times are days since
// 1899-12-30 00:00 local time, the fraction being the time of day.
#pragma once

#include <QString>

namespace vantor {

enum class TimeUnit { Seconds, Minutes, Hours, Days };

struct TimeSteps {
    TimeUnit unit = TimeUnit::Seconds;
    int major = 1; // in units
    int minor = 1; // in units
    double majorSeconds() const;
    double minorSeconds() const;
};

constexpr double SecondsPerDay = 86400;

// Widens a span shorter than two seconds to two seconds around its middle.
void WidenTimeSpan(double &start, double &end);

// Steps for a span of spanSeconds over axisPixels, labels needing at least
// minLabelPixels (the width of nine characters) between them.
TimeSteps ComputeTimeSteps(double spanSeconds, double axisPixels, double minLabelPixels);

// The first major tick at or before start: start rounded down to a whole
// multiple of the major step within its minute, hour or day.
double FirstTimeTick(double start, const TimeSteps &steps);

// "hh:mm:ss" for steps below a minute, "hh:mm" otherwise.
QString TimeLabel(double dateTime, const TimeSteps &steps);

// Day and month as numbers joined by "-", in the order of the system's short
// date format.
QString DayMonthLabel(double dateTime);

// Label of a day-sized step: day and month (monthFormat 0 number, 1 short
// name, 2 long name) and the year (yearFormat 0 none, 1 two digits, 2 four).
QString DateLabel(double dateTime, int monthFormat, int yearFormat);

} // namespace vantor
