#include "axis_ticks.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

TEST(AxisSteps, UnitRangeOnThreeHundredPixelsWithThirteenPixelLabels)
{
    // Label spacing of a y axis: "label dist Y" (2) times the text height.
    const AxisSteps steps = ComputeAxisSteps(0, 1, 300, 2 * 13, 0, 0);
    EXPECT_DOUBLE_EQ(steps.major, 0.1);
    EXPECT_DOUBLE_EQ(steps.minor, 0.02);
    EXPECT_EQ(steps.decimals, 1);
    EXPECT_EQ(FormatAxisLabel(0.3, steps.decimals, steps.major, true), "0.3");
}

TEST(AxisSteps, MantissaPicksFiveTwoOrOneUnits)
{
    struct Case {
        double max, major, minor;
        int decimals;
    };
    // 10 labels fit on the axis, so raw = max / 10.
    const Case cases[] = {
        {30, 5, 1, 0},       // raw 3 -> 5 units
        {15, 2, 0.5, 0},     // raw 1.5 -> 2 units
        {8, 1, 0.2, 0},      // raw 0.8 -> 1 unit
        {1200, 200, 50, -2}, // raw 120 -> 1.2 hundreds -> 2 hundreds
        {0.04, 0.005, 0.001, 3},
    };
    for (const Case &c : cases) {
        const AxisSteps steps = ComputeAxisSteps(0, c.max, 100, 10, 0, 0);
        EXPECT_NEAR(steps.major, c.major, c.major * 1e-12) << c.max;
        EXPECT_NEAR(steps.minor, c.minor, c.minor * 1e-12) << c.max;
        EXPECT_EQ(steps.decimals, c.decimals) << c.max;
    }
}

TEST(AxisSteps, ReversedRangeIsSwapped)
{
    const AxisSteps steps = ComputeAxisSteps(1, 0, 300, 26, 0, 0);
    EXPECT_DOUBLE_EQ(steps.major, 0.1);
}

TEST(AxisSteps, ShrinksUntilTwoMajorTicksFitInside)
{
    // 0.15 ... 0.95 on a short axis: one label's room gives raw 0.8 and a
    // step of 1, which has no tick inside; shrinking brings 0.5 with one
    // tick, then 0.2 with four.
    const AxisSteps steps = ComputeAxisSteps(0.15, 0.95, 10, 10, 0, 0);
    EXPECT_GE(CountTicks(0.15, 0.95, steps.major), 2);
    EXPECT_DOUBLE_EQ(steps.major, 0.2);
}

TEST(AxisSteps, HintsRaiseTheSteps)
{
    // Automatic steps would be 0.1 / 0.02.
    AxisSteps steps = ComputeAxisSteps(0, 1, 300, 26, 0.3, 0.05);
    EXPECT_DOUBLE_EQ(steps.major, 0.2); // 0.3 rounds to 0.2
    EXPECT_DOUBLE_EQ(steps.minor, 0.05);
    // A major step 2.5 times the minor one is doubled.
    steps = ComputeAxisSteps(0, 10, 300, 26, 5, 2);
    EXPECT_DOUBLE_EQ(steps.major, 10);
    EXPECT_DOUBLE_EQ(steps.minor, 2);
}

TEST(AxisSteps, HintTooLargeForTwoTicksStillEnds)
{
    const AxisSteps steps = ComputeAxisSteps(0, 1, 300, 26, 100, 0);
    EXPECT_DOUBLE_EQ(steps.major, 100);
}

TEST(AxisSteps, EmptyRangeOrAxisGivesNoSteps)
{
    EXPECT_EQ(ComputeAxisSteps(3, 3, 300, 26, 0, 0).major, 0);
    EXPECT_EQ(ComputeAxisSteps(0, 1, 0, 26, 0, 0).major, 0);
}

TEST(AxisSteps, HintRoundsToOneTwoOrFive)
{
    const std::pair<double, double> cases[] = {
        {1, 1},    {1.4, 1}, {1.41, 2},   {3.2, 2},   {3.3, 5},   {7, 5},
        {7.1, 10}, {0.7, 1}, {0.69, 0.5}, {140, 100}, {250, 200}, {0.004, 0.005},
    };
    for (const auto &[hint, rounded] : cases)
        EXPECT_NEAR(RoundStepHint(hint), rounded, rounded * 1e-12) << hint;
}

TEST(AxisSteps, DecimalsOfMajorStep)
{
    const std::pair<double, int> cases[] = {
        {20, -1}, {5, 0}, {0.5, 1}, {0.2, 1}, {0.05, 2}, {1, 0}, {100, -2}, {0.1, 1},
    };
    for (const auto &[major, decimals] : cases)
        EXPECT_EQ(StepDecimals(major), decimals) << major;
}

TEST(AxisLabels, Formats)
{
    struct Case {
        double value;
        int decimals;
        double major;
        bool fixed;
        const char *text;
    };
    const Case cases[] = {
        {20, -1, 20, true, "20"},
        {0.25, 2, 0.05, true, "0.25"},
        {-1.5, 1, 0.5, true, "-1.5"},
        {0.0001, 1, 0.5, false, "0"},      // within half a step of zero
        {25000, -3, 5000, false, "25E3"},  // mantissa and exponent
        {40, -1, 20, false, "40"},         // whole number
        {0.005, 3, 0.005, false, "5E-3"},  // small magnitude
        {0.001, 3, 0.001, false, "10E-4"}, // scaled until above 1, not until 1
        {0.0125, 4, 0.0025, false, "0.0125"},
        {2.5, 1, 0.5, false, "2.5"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(FormatAxisLabel(c.value, c.decimals, c.major, c.fixed), c.text) << c.value;
}

} // namespace
} // namespace vantor
