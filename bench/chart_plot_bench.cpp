// A full history of 18,000 samples in three series drawn at 640 x 480 through
// the chart engine (axes, grid, data arrays), against the three bare
// polylines of the same points. The chart should cost at most twice as much.
// Prints the ratio after the benchmark table.
#include "chart.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <array>
#include <cstdio>
#include <map>
#include <random>
#include <string>

namespace
{

using vantor::Chart;
using vantor::Tdatatype;

constexpr int Samples = 18000;
constexpr int Width = 640;
constexpr int Height = 480;
// Graph Window margins.
constexpr int Left = 60, Right = 15, Top = 10, Bottom = 37;
constexpr double YMin = -20, YMax = 130;

const std::array<QColor, 3> Colors{QColor(0, 0, 255), QColor(255, 0, 0), QColor(0, 128, 0)};

// Deviation-like values: a level per series with measurement noise.
std::array<Tdatatype, 3> MakeSeries()
{
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0, 4);
    std::array<Tdatatype, 3> series;
    const double levels[3] = {72, 40, 9};
    for (std::size_t s = 0; s < 3; ++s) {
        vantor::NewDataArray(series[s], Samples, 1);
        for (int i = 1; i <= Samples; ++i)
            series[s][static_cast<std::size_t>(i)][1] =
                static_cast<float>(levels[s] + noise(random));
    }
    return series;
}

const std::array<Tdatatype, 3> &Series()
{
    static const std::array<Tdatatype, 3> series = MakeSeries();
    return series;
}

void DrawChart(QImage &image)
{
    Chart chart;
    chart.BeginPlotOnImage(&image, Width, Height, true, 1, QColor(160, 160, 160), Qt::white);
    chart.AddPlotArea(0, 100, 0, 100, Left, Right, Top, Bottom);
    chart.SetGridStyle(4, 7, 4, 7);
    chart.XAxis(Qt::black, QStringLiteral("Sample"), true, 1, Samples, 0, 0, false, true);
    chart.YAxis(Qt::black, QStringLiteral(" "), 1, YMin, YMax, 0, 0, true, false, true);
    for (std::size_t s = 0; s < 3; ++s) {
        chart.SetPenColor(Colors[s]);
        chart.PlotDataArray(Series()[s], 1);
    }
    chart.FinishPlot();
}

// The Graph Window's way: one MoveToPoint/LineToPoint pair per sample.
void DrawChartByLines(QImage &image)
{
    Chart chart;
    chart.BeginPlotOnImage(&image, Width, Height, true, 1, QColor(160, 160, 160), Qt::white);
    chart.AddPlotArea(0, 100, 0, 100, Left, Right, Top, Bottom);
    chart.XAxis(Qt::black, QStringLiteral("Sample"), true, 1, Samples, 0, 0, false, true);
    chart.YAxis(Qt::black, QStringLiteral(" "), 1, YMin, YMax, 0, 0, true, false, true);
    for (std::size_t s = 0; s < 3; ++s) {
        chart.SetPenColor(Colors[s]);
        const Tdatatype &data = Series()[s];
        for (std::size_t r = 2; r < data.size(); ++r) {
            chart.MoveToPoint(data[r - 1][0], data[r - 1][1]);
            chart.LineToPoint(data[r][0], data[r][1]);
        }
    }
    chart.FinishPlot();
}

std::array<QPolygonF, 3> PixelPolylines()
{
    const double left = Left, right = Width - 1 - Right;
    const double top = Top, bottom = Height - 1 - Bottom;
    std::array<QPolygonF, 3> lines;
    for (std::size_t s = 0; s < 3; ++s) {
        for (std::size_t r = 1; r < Series()[s].size(); ++r) {
            const auto &row = Series()[s][r];
            lines[s] << QPointF(left + (row[0] - 1) * (right - left) / (Samples - 1),
                                bottom - (row[1] - YMin) * (bottom - top) / (YMax - YMin));
        }
    }
    return lines;
}

void BM_ChartPlot(benchmark::State &state)
{
    QImage image(Width, Height, QImage::Format_RGB32);
    for (auto _ : state) {
        DrawChart(image);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_ChartPlot)->Unit(benchmark::kMillisecond);

void BM_ChartLineToPoint(benchmark::State &state)
{
    QImage image(Width, Height, QImage::Format_RGB32);
    for (auto _ : state) {
        DrawChartByLines(image);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_ChartLineToPoint)->Unit(benchmark::kMillisecond);

void BM_BarePolyline(benchmark::State &state)
{
    QImage image(Width, Height, QImage::Format_RGB32);
    const std::array<QPolygonF, 3> lines = PixelPolylines();
    for (auto _ : state) {
        QPainter painter(&image);
        // Qt's raster engine draws long polylines several times faster with
        // a clip rectangle set; the chart sets one, so the baseline does too.
        painter.setClipRect(QRect(1, 1, Width - 2, Height - 2));
        for (std::size_t s = 0; s < 3; ++s) {
            painter.setPen(QPen(Colors[s], 1));
            painter.drawPolyline(lines[s]);
        }
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_BarePolyline)->Unit(benchmark::kMillisecond);

// Keeps each benchmark's time per iteration for the ratio.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    RatioReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run> &runs) override
    {
        // The mean of repetitions, when asked for, wins over single runs.
        for (const Run &run : runs) {
            if (run.error_occurred)
                continue;
            if (run.run_type == Run::RT_Iteration || run.aggregate_name == "mean")
                seconds[run.run_name.function_name] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> seconds;
};

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const auto bare = reporter.seconds.find("BM_BarePolyline");
    if (bare == reporter.seconds.end() || bare->second <= 0)
        return 0;
    for (const char *name : {"BM_ChartPlot", "BM_ChartLineToPoint"}) {
        const auto it = reporter.seconds.find(name);
        if (it != reporter.seconds.end())
            std::printf("%s / BM_BarePolyline = %.2f%s\n", name, it->second / bare->second,
                        std::string(name) == "BM_ChartPlot" ? " (target <= 2.00)" : "");
    }
    return 0;
}
