#include "graph_chart.h"

#include "chart.h"
#include "graph_columns.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

namespace vantor {

namespace {

const std::array<QColor, 3> SeriesColors{QColor(0, 0, 255), QColor(255, 0, 0), QColor(0, 128, 0)};

// Seconds shown by each "X axis" item.
constexpr std::array<qint64, 5> XAxisSpans{60, 300, 900, 3600, 999999};

// Bounds of a series without a column, the same as the extremes of a column
// that has no samples yet.
constexpr double NoTop = -999;
constexpr double NoBottom = 999;

// A range this inverted means no series took part.
constexpr double NoSeriesGap = 500;

int SampleCount(const TDevice &device)
{
    return std::clamp(device.HistoryCount, 0, static_cast<int>(device.History.size()));
}

bool HasValue(float value)
{
    return value > NoValue;
}

int SampleStep(const GraphOptions &options, int count)
{
    const int thinned = count / 1000 + 1;
    if (options.column >= 0)
        return 1;
    switch (options.xAxis) {
    case Last15Minutes:
        return std::min(2, thinned);
    case Last1Hour:
        return std::min(5, thinned);
    case EntireFile:
        return thinned;
    default:
        return 1;
    }
}

} // namespace

GraphScales ComputeGraphScales(const TDevice &device, const GraphOptions &options)
{
    GraphScales scales;
    const auto validColumn = [](int k) { return k >= 0 && k < ColumnCount ? k : -1; };
    if (options.column >= 0)
        scales.columns = {validColumn(options.column), -1, -1};
    else
        for (std::size_t s = 0; s < scales.columns.size(); ++s)
            scales.columns[s] = validColumn(options.values[s]);

    const int count = SampleCount(device);
    if (count < 2) {
        scales.start = scales.end = options.now;
    } else {
        scales.start = device.History.front().Time;
        scales.end = device.History[static_cast<std::size_t>(count - 1)].Time;
        const qint64 span =
            options.xAxis >= 0 && options.xAxis < static_cast<int>(XAxisSpans.size())
                ? XAxisSpans[static_cast<std::size_t>(options.xAxis)]
                : XAxisSpans[0];
        if (SecondsBetween(scales.start, scales.end) > span)
            scales.start = scales.end - static_cast<double>(span) * OneSecond;
    }

    double yMax = NoTop;
    double yMin = NoBottom;
    if (options.autoY || options.column >= 0) {
        for (const int k : scales.columns) {
            if (k < 0)
                continue;
            const GraphColumn info = GraphColumnInfo(k);
            const auto index = static_cast<std::size_t>(k);
            yMax = std::max({yMax, static_cast<double>(info.upperSeed),
                             static_cast<double>(device.ColumnMax[index])});
            yMin = std::min({yMin, static_cast<double>(info.lowerSeed),
                             static_cast<double>(device.ColumnMin[index])});
        }
        const double margin = 0.03 * (yMax - yMin);
        yMax += margin;
        yMin -= margin;
    } else {
        yMax = options.manualMax;
        yMin = options.manualMin;
    }
    if (yMin - yMax > NoSeriesGap) {
        yMin = -1;
        yMax = 1;
    }
    if (!(yMax > yMin)) {
        const double oldMax = yMax;
        yMax = yMin + 1;
        yMin = oldMax - 1;
    }
    scales.yMin = yMin;
    scales.yMax = yMax;
    scales.step = SampleStep(options, count);
    return scales;
}

QMargins GraphMargins(const QPaintDevice *device)
{
    const QFontMetricsF metrics(Chart::TextFont(1), device);
    // The frame's pixel and one more keep the title off the edge.
    const int bottom = static_cast<int>(std::ceil(Chart::XAxisDepth(metrics))) + 2;
    // A label is centred on its tick, so half the widest can stand beyond the
    // plot's end: a time of day or, for day steps, a date.
    const double widest = std::max(metrics.horizontalAdvance(QStringLiteral("00:00:00")),
                                   metrics.horizontalAdvance(QStringLiteral("00.00.0000")));
    const int right = static_cast<int>(std::ceil(widest / 2)) + 2;
    return QMargins(60, 10, std::max(15, right), std::max(37, bottom));
}

void DrawGraph(const ChartTarget &target, const TDevice &device, const GraphOptions &options)
{
    const int count = SampleCount(device);
    if (count < 1 && options.column < 0)
        return;
    Chart chart;
    if (!BeginChart(chart, target, Qt::white))
        return;
    const GraphScales scales = ComputeGraphScales(device, options);
    const int w = target.canvasWidth();
    const int h = target.canvasHeight();
    const QMargins margins = GraphMargins(target.device);
    chart.AddPlotArea(0, 100, 0, 100, margins.left(), margins.right(), margins.top(),
                      margins.bottom());

    // Value 1 hangs from the top of the left margin, value 2 sits in its
    // middle and value 3 stands on its bottom.
    const struct {
        int y;
        int align;
    } captions[] = {{5, -1}, {h / 2 - 5, 0}, {h - 30, 1}};
    for (std::size_t s = 0; s < scales.columns.size(); ++s) {
        if (scales.columns[s] >= 0)
            chart.PlotTextRotated(SeriesColors[s], GraphCaption(scales.columns[s]),
                                  captions[s].align, 10, captions[s].y, 0, 0, 90);
    }

    const QColor black(Qt::black);
    chart.PlotText(black, device.Station.Frequency + QStringLiteral(" - ") + device.Station.Name,
                   -1, w - 5, 10, 0, 0);
    if (count >= 2)
        chart.PlotText(black,
                       FormatDateTime(QStringLiteral("d.mm.yyyy"),
                                      device.History[static_cast<std::size_t>(count - 1)].Time),
                       -1, w - 5, h - 10, 0, 0);

    bool timeLabels = false;
    chart.XTimeAxis(black, QStringLiteral("Time"), scales.start, scales.end, false, 0, 0, 0, false,
                    timeLabels);
    chart.YAxis(black, QStringLiteral(" "), 1, scales.yMin, scales.yMax, 0, 0, false, false, true);

    for (std::size_t s = 0; s < scales.columns.size(); ++s) {
        const int k = scales.columns[s];
        if (k < 0 || count < 2)
            continue;
        const auto column = static_cast<std::size_t>(k);
        chart.SetPenColor(SeriesColors[s]);
        // Consecutive pairs are joined into one polyline by the chart; a
        // missing value on either side leaves a gap. After a line the pen
        // already stands on the previous sample, so only a gap moves it.
        const THistorySample *previous = &device.History.front();
        bool penOnPrevious = false;
        for (int u = 1; u < count; u += scales.step) {
            const THistorySample &sample = device.History[static_cast<std::size_t>(u)];
            const float from = previous->Values[column];
            const float to = sample.Values[column];
            const bool joined = HasValue(from) && HasValue(to);
            if (joined) {
                if (!penOnPrevious)
                    chart.MoveToPoint(previous->Time, from);
                chart.LineToPoint(sample.Time, to);
            }
            penOnPrevious = joined;
            previous = &sample;
        }
    }
    chart.FinishPlot();
}

} // namespace vantor
