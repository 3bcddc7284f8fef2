// Tick steps and label texts of numeric chart axes: how far apart the major
// and minor ticks lie and how many decimals their labels carry.
#pragma once

#include <QString>

namespace vantor {

struct AxisSteps {
    double major = 0;
    double minor = 0;
    int decimals = 0; // may be negative: 20 as step gives -1
};

// Rounds a step hint to 1, 2 or 5 times a power of ten.
double RoundStepHint(double hint);

// Label decimals implied by a major step (20 -> -1, 5 -> 0, 0.5 -> 1, 0.05 -> 2).
int StepDecimals(double major);

// Steps for an axis from min to max that is axisPixels long with labels
// labelSpacing pixels apart; hints at or below 0 mean automatic.
AxisSteps ComputeAxisSteps(double min, double max, double axisPixels, double labelSpacing,
                           double majorHint, double minorHint);

// Number of multiples of step within [min, max].
int CountTicks(double min, double max, double step);

// Label text of a tick value; fixedPoint writes plain fixed-point numbers,
// otherwise small and large magnitudes get an exponent.
QString FormatAxisLabel(double value, int decimals, double major, bool fixedPoint);

} // namespace vantor
