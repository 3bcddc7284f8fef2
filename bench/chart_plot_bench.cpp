// The Graph Window's plot of a full history, 18,000 samples of three values,
// drawn at 640 x 480 by the real drawing routine, against bare polylines of
// the points it draws. The window's plot should cost at most 1.5 times as
// much, the pictures at most twice. Prints the ratios after the benchmark table.
//
// On screen the window thins a history this long ("Entire file" plots every
// 19th sample); the end-of-measuring pictures of single values draw every
// sample, so those are measured too: three pictures for the three series
// against the three full polylines, each on its own y range.
#include "graph_chart.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <array>
#include <cstdio>
#include <map>
#include <random>
#include <string>

namespace {

using namespace vantor;

constexpr int Samples = 18000;
constexpr int Width = 640;
constexpr int Height = 480;
// Graph Window margins.
constexpr int Left = 60, Right = 15, Top = 10, Bottom = 37;
// MAX, AVE and MIN: deviation-like levels with measurement noise.
constexpr std::array<int, 3> Columns{0, 2, 3};
constexpr std::array<double, 3> Levels{72, 40, 9};

const std::array<QColor, 3> Colors{QColor(0, 0, 255), QColor(255, 0, 0), QColor(0, 128, 0)};

TDevice MakeDevice()
{
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0, 4);
    TDevice device;
    device.Station.Name = QStringLiteral("Radio One");
    device.Station.Frequency = QStringLiteral("98.50");
    device.History.resize(Samples);
    const TDateTime start = ToDateTime(QDate(2024, 5, 6), QTime(6, 0, 0));
    for (int i = 0; i < Samples; ++i) {
        THistorySample &sample = device.History[static_cast<std::size_t>(i)];
        sample.Time = start + i * OneSecond;
        sample.Values.fill(NoValue);
        for (std::size_t s = 0; s < Columns.size(); ++s) {
            const auto k = static_cast<std::size_t>(Columns[s]);
            const auto v = static_cast<float>(Levels[s] + noise(random));
            sample.Values[k] = v;
            device.ColumnMax[k] = std::max(device.ColumnMax[k], v);
            device.ColumnMin[k] = std::min(device.ColumnMin[k], v);
        }
    }
    device.HistoryCount = Samples;
    return device;
}

const TDevice &Device()
{
    static const TDevice device = MakeDevice();
    return device;
}

GraphOptions WindowOptions()
{
    GraphOptions options;
    options.values = Columns;
    options.xAxis = EntireFile;
    return options;
}

GraphOptions ValueOptions(int column)
{
    GraphOptions options;
    options.column = column;
    options.xAxis = EntireFile;
    return options;
}

// The points a plot with these options draws for one series, in pixels: its
// sample step, and its time and y ranges.
QPolygonF PixelPolyline(int column, const GraphOptions &options)
{
    const GraphScales scales = ComputeGraphScales(Device(), options);
    const double left = Left, right = Width - 1 - Right;
    const double top = Top, bottom = Height - 1 - Bottom;
    QPolygonF line;
    for (std::size_t u = 0; u < Device().History.size();
         u += static_cast<std::size_t>(scales.step)) {
        const THistorySample &sample = Device().History[u];
        line << QPointF(left + (sample.Time - scales.start) * (right - left) /
                                   (scales.end - scales.start),
                        bottom - (sample.Values[static_cast<std::size_t>(column)] - scales.yMin) *
                                     (bottom - top) / (scales.yMax - scales.yMin));
    }
    return line;
}

void DrawPolylines(QImage &image, const std::array<QPolygonF, 3> &lines)
{
    QPainter painter(&image);
    // Qt's raster engine draws long polylines several times faster with a
    // clip rectangle set; the chart sets one, so the baseline does too.
    painter.setClipRect(QRect(1, 1, Width - 2, Height - 2));
    for (std::size_t s = 0; s < lines.size(); ++s) {
        painter.setPen(QPen(Colors[s], 1));
        painter.drawPolyline(lines[s]);
    }
}

void BM_GraphWindowPlot(benchmark::State &state)
{
    QImage image(Width, Height, QImage::Format_RGB32);
    const GraphOptions options = WindowOptions();
    for (auto _ : state) {
        DrawGraph(ChartTarget{&image, DrawMode::Image, Width, Height}, Device(), options);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_GraphWindowPlot)->Unit(benchmark::kMillisecond);

// The same plot without its series (same axes, captions and title): what the
// window pays whatever the number of points.
void BM_GraphWindowFrame(benchmark::State &state)
{
    QImage image(Width, Height, QImage::Format_RGB32);
    GraphOptions options = WindowOptions();
    const GraphScales scales = ComputeGraphScales(Device(), options);
    options.autoY = false;
    options.manualMin = scales.yMin;
    options.manualMax = scales.yMax;
    TDevice frameOnly = Device();
    for (THistorySample &sample : frameOnly.History)
        sample.Values.fill(NoValue);
    for (auto _ : state) {
        DrawGraph(ChartTarget{&image, DrawMode::Image, Width, Height}, frameOnly, options);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_GraphWindowFrame)->Unit(benchmark::kMillisecond);

// Clearing the picture to white, which every plot does first and the bare
// polylines leave out.
void BM_BackgroundFill(benchmark::State &state)
{
    QImage image(Width, Height, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter(&image).fillRect(image.rect(), Qt::white);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_BackgroundFill)->Unit(benchmark::kMillisecond);

void BM_GraphValuePictures(benchmark::State &state)
{
    QImage image(Width, Height, QImage::Format_RGB32);
    for (auto _ : state) {
        for (const int column : Columns) {
            DrawGraph(ChartTarget{&image, DrawMode::Image, Width, Height}, Device(),
                      ValueOptions(column));
            benchmark::DoNotOptimize(image.constBits());
        }
    }
}
BENCHMARK(BM_GraphValuePictures)->Unit(benchmark::kMillisecond);

void BM_BareWindowPolylines(benchmark::State &state)
{
    QImage image(Width, Height, QImage::Format_RGB32);
    std::array<QPolygonF, 3> lines;
    for (std::size_t s = 0; s < lines.size(); ++s)
        lines[s] = PixelPolyline(Columns[s], WindowOptions());
    for (auto _ : state) {
        DrawPolylines(image, lines);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_BareWindowPolylines)->Unit(benchmark::kMillisecond);

void BM_BareValuePolylines(benchmark::State &state)
{
    QImage image(Width, Height, QImage::Format_RGB32);
    std::array<QPolygonF, 3> lines;
    for (std::size_t s = 0; s < lines.size(); ++s)
        lines[s] = PixelPolyline(Columns[s], ValueOptions(Columns[s]));
    for (auto _ : state) {
        DrawPolylines(image, lines);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_BareValuePolylines)->Unit(benchmark::kMillisecond);

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

    struct Ratio {
        const char *plot;
        const char *bare;
        double target;
    };
    const Ratio ratios[] = {
        {"BM_GraphWindowPlot", "BM_BareWindowPolylines", 1.5},
        {"BM_GraphValuePictures", "BM_BareValuePolylines", 2.0},
    };
    const auto seconds = [&reporter](const char *name) {
        const auto found = reporter.seconds.find(name);
        return found != reporter.seconds.end() ? found->second : 0.0;
    };
    for (const auto &[plot, bare, target] : ratios) {
        if (seconds(plot) > 0 && seconds(bare) > 0)
            std::printf("%s / %s = %.2f (target <= %.2f)\n", plot, bare,
                        seconds(plot) / seconds(bare), target);
    }
    // What the series cost beyond the frame, against the same polylines: shows
    // whether the gap lies in the points or in the axes and texts around them.
    const double plot = seconds("BM_GraphWindowPlot");
    const double frame = seconds("BM_GraphWindowFrame");
    const double bare = seconds("BM_BareWindowPolylines");
    if (plot > 0 && frame > 0 && bare > 0)
        std::printf("series alone (plot - frame) / BM_BareWindowPolylines = %.2f; frame = %.2f, "
                    "of which the white fill = %.2f\n",
                    (plot - frame) / bare, frame / bare, seconds("BM_BackgroundFill") / bare);
    return 0;
}
