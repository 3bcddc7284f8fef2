#include "chart.h"
#include "chart_settings.h"
#include "time_ticks.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace vantor {

namespace {

constexpr int MinLabelChars = 9;

// Beyond this a day-step axis would need absurd tick counts.
constexpr double MaxTimeTicks = 10000;

} // namespace

void Chart::XTimeAxis(const QColor &color, const QString &title, double start, double end,
                      bool dateLine, int dateStyle, int monthFormat, int yearFormat, bool grid,
                      bool &timeLabels)
{
    timeLabels = false;
    PlotArea *area = currentArea();
    if (!drawing() || area == nullptr || !area->usable || !std::isfinite(start) ||
        !std::isfinite(end))
        return;
    flushRun();
    if (start > end)
        std::swap(start, end);
    WidenTimeSpan(start, end);
    const double length = area->plot.right() - area->plot.left();
    const TimeSteps steps =
        ComputeTimeSteps((end - start) * SecondsPerDay, length, MinLabelChars * m_charWidth);
    if ((end - start) * SecondsPerDay / steps.minorSeconds() > MaxTimeTicks)
        return;
    timeLabels = steps.unit != TimeUnit::Days;

    const qsizetype bar = title.indexOf(u'|');
    const QString shownTitle = bar < 0 ? title : timeLabels ? title.mid(bar + 1) : title.left(bar);
    const QString dateSeparator = (dateStyle & 1) != 0 ? QStringLiteral(" ") : QStringLiteral("|");

    // Ticks are counted in minor steps from the first major one, so that no
    // rounding drift builds up along the axis.
    Ticks ticks;
    const double first = FirstTimeTick(start, steps);
    const double minorDays = steps.minorSeconds() / SecondsPerDay;
    const int perMajor = std::max(1, steps.major / steps.minor);
    const double slack = 1e-3 / SecondsPerDay;
    for (int j = 0;; ++j) {
        const double t = first + j * minorDays;
        if (t > end + slack)
            break;
        if (t < start - slack)
            continue;
        const double value = std::clamp(t, start, end);
        if (j % perMajor != 0) {
            ticks.minor.push_back(value);
            continue;
        }
        ticks.major.push_back(value);
        if (!timeLabels)
            ticks.labels.push_back(DateLabel(t, monthFormat, yearFormat));
        else if (dateLine)
            ticks.labels.push_back(TimeLabel(t, steps) + dateSeparator + DayMonthLabel(t));
        else
            ticks.labels.push_back(TimeLabel(t, steps));
    }

    drawXAxis(*area, Range{start, end, false}, color, shownTitle, ticks, grid);
}

} // namespace vantor
