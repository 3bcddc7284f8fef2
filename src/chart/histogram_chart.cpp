#include "histogram_chart.h"

#include "chart.h"

#include <algorithm>

namespace vantor {

namespace {

// Deviation limit the histogram splits at: at most 110 kHz.
constexpr int MaxHistogramLimit = 110;
// Highest bin drawn; the one above it counts in the totals only.
constexpr int LastDrawnBin = 120;

const QColor ControlBackground(243, 243, 243);
const QColor BelowLimitColor(0, 0, 128);
const QColor ToleranceColor(74, 0, 62);
const QColor AboveColor(128, 0, 0);

// Points first ... first + count - 1 as a one-column data array, x in kHz.
Tdatatype Series(const std::vector<float> &points, int first, int count)
{
    Tdatatype data;
    NewDataArray(data, count, 1);
    for (int r = 1; r <= count; ++r) {
        const int i = first + r - 1;
        data[static_cast<std::size_t>(r)][0] = static_cast<float>(i);
        data[static_cast<std::size_t>(r)][1] = points[static_cast<std::size_t>(i)];
    }
    return data;
}

} // namespace

std::vector<float> HistogramPoints(const TDevice &device, bool accumulated)
{
    std::vector<float> points(LastDrawnBin + 1, 0.0f);
    if (!accumulated) {
        for (int i = 0; i <= LastDrawnBin; ++i)
            points[static_cast<std::size_t>(i)] =
                static_cast<float>(device.HistogramBins[static_cast<std::size_t>(i)]);
        return points;
    }
    // Summed wide: 122 counts near the 32-bit limit must not wrap.
    qint64 sum = 0;
    for (const int bin : device.HistogramBins)
        sum += bin;
    if (sum < 1)
        return points;
    qint64 remainder = sum;
    for (int i = 0; i <= LastDrawnBin; ++i) {
        remainder =
            std::max<qint64>(remainder - device.HistogramBins[static_cast<std::size_t>(i)], 0);
        points[static_cast<std::size_t>(i)] =
            static_cast<float>(static_cast<int>(static_cast<double>(remainder) / sum * 100));
    }
    return points;
}

void DrawHistogram(const ChartTarget &target, const TDevice &device,
                   const HistogramOptions &options)
{
    // Out-of-range settings would make the series overlap or run past bin 120.
    const int limit = std::clamp(options.deviationLimit, 0, MaxHistogramLimit);
    const int tolerance = std::clamp(options.deviationTolerance, 0, LastDrawnBin - limit);
    const std::vector<float> points = HistogramPoints(device, options.accumulated);

    Chart chart;
    if (!BeginChart(chart, target, ControlBackground))
        return;
    const int w = target.canvasWidth();
    const int h = target.canvasHeight();
    chart.AddPlotArea(0, 100, 0, 100, 40, 12, 18, 66);
    chart.SetGridStyle(4, -1, 4, -1);

    const QColor black(Qt::black);
    chart.PlotText(black, QStringLiteral("Max at: %1 kHz").arg(device.HistogramMaxAt), 1, 5, h - 46,
                   1, 0);
    chart.PlotText(black,
                   QStringLiteral("% above %1 kHz: %2")
                       .arg(limit + tolerance)
                       .arg(static_cast<double>(device.HistogramPercentAbove), 0, 'f', 1),
                   1, 5, h - 32, 1, 0);
    chart.PlotText(black, QStringLiteral("MIN: %1 kHz").arg(device.HistogramMin), 1, 5, h - 18, 1,
                   0);
    chart.PlotText(black, QStringLiteral("Total samples: %1").arg(device.HistogramTotal), -1,
                   w - 10, h - 36, 1, 0);
    chart.PlotText(black, device.HistogramTime, -1, w - 10, h - 18, 1, 0);
    chart.PlotText(black, device.Station.Frequency + QStringLiteral(" - ") + device.Station.Name,
                   -1, w - 5, 10, 0, 0);

    chart.XAxis(black, QStringLiteral("Frequency Deviation [kHz]"), false, 0, LastDrawnBin, 0, 0,
                false, true);
    if (options.accumulated)
        chart.YAxis(black, QStringLiteral("[%]"), 5, 0, 100, 0, 0, true, false, true);
    else
        chart.YAxis(black, QStringLiteral(" "), 5, 0, device.HistogramPeak + 1, 0, 0, true, false,
                    true);

    const struct {
        int first;
        int count;
        QColor color;
    } series[] = {
        {0, limit + 1, BelowLimitColor},
        {limit + 1, tolerance, ToleranceColor},
        {limit + tolerance + 1, LastDrawnBin - limit - tolerance, AboveColor},
    };
    for (const auto &s : series) {
        chart.SetPenColor(s.color);
        chart.PlotDataArray(Series(points, s.first, s.count), 3);
    }
    chart.FinishPlot();
}

} // namespace vantor
