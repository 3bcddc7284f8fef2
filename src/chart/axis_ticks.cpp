#include "axis_ticks.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace vantor {

namespace {

// Guards the shrink loop: step hints can make two ticks on the axis
// impossible, and the loop must still end.
constexpr int MaxShrinkRounds = 64;

// Tolerance for tick values that land on a range end through rounding.
constexpr double TickEpsilon = 1e-9;

} // namespace

double RoundStepHint(double hint)
{
    if (!(hint > 0) || !std::isfinite(hint))
        return hint;
    double mantissa = hint;
    double power = 1;
    while (mantissa > 7) {
        mantissa /= 10;
        power *= 10;
    }
    while (mantissa < 0.7) {
        mantissa *= 10;
        power /= 10;
    }
    const double rounded = mantissa <= 1.4 ? 1 : mantissa <= 3.2 ? 2 : 5;
    return rounded * power;
}

int StepDecimals(double major)
{
    const int digits = static_cast<int>(std::trunc(std::log10(major * 1.001)));
    return major >= 1 ? -digits : 1 - digits;
}

int CountTicks(double min, double max, double step)
{
    if (!(step > 0))
        return 0;
    const double first = std::ceil(min / step - TickEpsilon);
    const double last = std::floor(max / step + TickEpsilon);
    return last < first ? 0 : static_cast<int>(last - first) + 1;
}

AxisSteps ComputeAxisSteps(double min, double max, double axisPixels, double labelSpacing,
                           double majorHint, double minorHint)
{
    if (min > max)
        std::swap(min, max);
    const double span = max - min;
    if (!(span > 0) || !std::isfinite(span) || !(axisPixels > 0) || !(labelSpacing > 0))
        return {};
    majorHint = RoundStepHint(majorHint);

    AxisSteps steps;
    double shrink = 1;
    for (int round = 0; round < MaxShrinkRounds; ++round) {
        double raw = shrink * span / (axisPixels / labelSpacing);
        int count = 0;
        while (raw < 0.5) {
            raw *= 10;
            ++count;
        }
        while (raw > 5) {
            raw /= 10;
            --count;
        }
        const double unit = std::pow(10.0, -count);
        if (raw >= 2) {
            steps.major = 5 * unit;
            steps.minor = unit;
        } else if (raw >= 1) {
            steps.major = 2 * unit;
            steps.minor = 0.5 * unit;
        } else {
            steps.major = unit;
            steps.minor = 0.2 * unit;
        }
        if (minorHint > 0)
            steps.minor = std::max(steps.minor, minorHint);
        if (majorHint > 0)
            steps.major = std::max(steps.major, majorHint);
        const double ratio = steps.major / steps.minor;
        if (ratio > 2.4 && ratio < 2.6)
            steps.major *= 2;
        steps.decimals = std::min(StepDecimals(steps.major), count);
        if (CountTicks(min, max, steps.major) > 1)
            break;
        shrink *= 0.8;
    }
    return steps;
}

QString FormatAxisLabel(double value, int decimals, double major, bool fixedPoint)
{
    if (fixedPoint)
        return QString::number(value, 'f', std::max(0, decimals));
    if (std::fabs(value) < major / 2)
        return QStringLiteral("0");
    if (decimals < -2) {
        const int exponent = -decimals;
        return QString::number(std::round(value / std::pow(10.0, exponent)), 'f', 0) + u'E' +
               QString::number(exponent);
    }
    if (decimals <= 0)
        return QString::number(std::round(value), 'f', 0);
    if (std::fabs(value) <= 0.0095) {
        // Scaled until the mantissa is above 1, so 0.001 reads "10E-4"; a
        // mantissa a rounding error above 1 still counts as 1.
        int k = 0;
        double mantissa = value;
        while (std::fabs(mantissa) <= 1 + TickEpsilon) {
            mantissa *= 10;
            ++k;
        }
        return QString::number(mantissa, 'f', std::max(0, decimals - k)) + u'E' +
               QString::number(-k);
    }
    return QString::number(value, 'f', decimals);
}

} // namespace vantor
