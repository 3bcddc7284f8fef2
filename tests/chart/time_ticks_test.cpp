#include "time_ticks.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

namespace vantor {
namespace {

// Width of nine "0" characters of the chart font at 96 dpi.
constexpr double NineChars = 9 * 7;

double At(int hour, int minute, double second)
{
    return 45000 + (hour * 3600 + minute * 60 + second) / SecondsPerDay;
}

TEST(TimeSteps, SixtySecondsOnFiveHundredPixelsTicksSeconds)
{
    const TimeSteps steps = ComputeTimeSteps(60, 500, NineChars);
    EXPECT_EQ(steps.unit, TimeUnit::Seconds);
    EXPECT_EQ(steps.major, 10);
    EXPECT_EQ(steps.minor, 5);
    EXPECT_EQ(TimeLabel(At(12, 0, 10), steps), "12:00:10");
}

TEST(TimeSteps, FourHoursLabelsHoursAndMinutes)
{
    const TimeSteps steps = ComputeTimeSteps(4 * 3600, 500, NineChars);
    EXPECT_GE(steps.majorSeconds(), 60);
    EXPECT_TRUE(steps.unit == TimeUnit::Minutes || steps.unit == TimeUnit::Hours);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d$"))
                    .match(TimeLabel(At(13, 0, 0), steps))
                    .hasMatch());
}

TEST(TimeSteps, StepTablesByIntervalInWholeUnits)
{
    struct Case {
        double interval; // smallest label interval in seconds
        TimeUnit unit;
        int major, minor;
    };
    const Case cases[] = {
        {0.5, TimeUnit::Seconds, 1, 1},        {2.7, TimeUnit::Seconds, 3, 1},
        {5, TimeUnit::Seconds, 6, 2},          {11, TimeUnit::Seconds, 12, 3},
        {59, TimeUnit::Seconds, 60, 15},       {60, TimeUnit::Minutes, 2, 1},
        {25 * 60, TimeUnit::Minutes, 30, 10},  {3599, TimeUnit::Minutes, 60, 15},
        {3600, TimeUnit::Hours, 2, 1},         {7 * 3600, TimeUnit::Hours, 8, 4},
        {23.5 * 3600, TimeUnit::Hours, 24, 6}, {2.5 * SecondsPerDay, TimeUnit::Days, 3, 1},
    };
    for (const Case &c : cases) {
        // One pixel per label interval isolates the table lookup.
        const TimeSteps steps = ComputeTimeSteps(c.interval * 100, 100, 1);
        EXPECT_EQ(steps.unit, c.unit) << c.interval;
        EXPECT_EQ(steps.major, c.major) << c.interval;
        EXPECT_EQ(steps.minor, c.minor) << c.interval;
    }
}

TEST(TimeSteps, ShortSpanWidenedToTwoSecondsAroundItsMiddle)
{
    double start = At(10, 0, 0);
    double end = At(10, 0, 1.5);
    WidenTimeSpan(start, end);
    EXPECT_NEAR((end - start) * SecondsPerDay, 2, 1e-6);
    EXPECT_NEAR(start, At(9, 59, 59.75), 1e-9);

    start = At(10, 0, 0);
    end = start;
    WidenTimeSpan(start, end);
    EXPECT_NEAR(start, At(9, 59, 59), 1e-9);
    EXPECT_NEAR(end, At(10, 0, 1), 1e-9);

    start = At(10, 0, 0);
    end = At(10, 0, 2.5);
    WidenTimeSpan(start, end);
    EXPECT_EQ(end, At(10, 0, 2.5));
}

TEST(TimeSteps, FirstTickRoundsDownWithinMinuteHourOrDay)
{
    TimeSteps tenSeconds{TimeUnit::Seconds, 10, 5};
    EXPECT_NEAR(FirstTimeTick(At(12, 0, 7.3), tenSeconds), At(12, 0, 0), 1e-9);
    TimeSteps twelveMinutes{TimeUnit::Minutes, 12, 3};
    EXPECT_NEAR(FirstTimeTick(At(12, 37, 30), twelveMinutes), At(12, 36, 0), 1e-9);
    TimeSteps eightHours{TimeUnit::Hours, 8, 4};
    EXPECT_NEAR(FirstTimeTick(At(13, 5, 0), eightHours), At(8, 0, 0), 1e-9);
    // A date-time a hair below a whole step stays on that step.
    EXPECT_NEAR(FirstTimeTick(At(12, 0, 10) - 1e-12, tenSeconds), At(12, 0, 10), 1e-9);
}

TEST(TimeSteps, LabelsByStepSize)
{
    const double t = At(13, 1, 1);
    EXPECT_EQ(TimeLabel(t, TimeSteps{TimeUnit::Seconds, 30, 10}), "13:01:01");
    EXPECT_EQ(TimeLabel(t, TimeSteps{TimeUnit::Seconds, 60, 15}), "13:01");
    EXPECT_EQ(TimeLabel(t, TimeSteps{TimeUnit::Hours, 2, 1}), "13:01");
    EXPECT_EQ(TimeLabel(At(0, 0, 0), TimeSteps{}), "00:00:00");
}

} // namespace
} // namespace vantor
