// The Graph Window's plot: its ranges, and pictures of hand-built histories
// read back pixel by pixel.
#include "graph_chart.h"

#include "device_fixtures.h"

#include <gtest/gtest.h>

#include <QImage>
#include <cmath>

namespace vantor {
namespace {

using test::Canvas;
using test::CountColor;
using test::FillHistory;
using test::HasColor;

constexpr int Width = 640;
constexpr int Height = 480;
constexpr int MaxColumn = 0;
constexpr int PilotColumn = 5;
constexpr int LevelColumn = 9;
constexpr int LeftPeakColumn = 11;

const QColor Blue(0, 0, 255);
const QColor Red(255, 0, 0);
const QColor Green(0, 128, 0);

// The plot rectangle inside the graph's margins.
const QRect &Plot()
{
    static const QRect plot = [] {
        const QImage canvas = Canvas(Width, Height);
        return QRect(0, 0, Width, Height) - GraphMargins(&canvas);
    }();
    return plot;
}

// Pixel column of a sample's time on an axis from sample `first` to `last`.
int SampleX(double sample, double first, double last)
{
    return static_cast<int>(
        std::lround(Plot().left() + (sample - first) / (last - first) * Plot().width() - 1));
}

QRect Column(int x)
{
    return QRect(x, Plot().top(), 1, Plot().height());
}

QImage Draw(const TDevice &device, const GraphOptions &options)
{
    QImage image = Canvas(Width, Height);
    DrawGraph(ChartTarget{&image, DrawMode::Image, Width, Height}, device, options);
    return image;
}

GraphOptions OneValue(int column, int xAxis)
{
    GraphOptions options;
    options.values = {column, -1, -1};
    options.xAxis = xAxis;
    return options;
}

float Wave(int i)
{
    return 50 + 20 * static_cast<float>(std::sin(i / 50.0));
}

TEST(GraphScales, AutomaticAndManualYRanges)
{
    TDevice pilot = test::StationDevice();
    FillHistory(pilot, PilotColumn, 10, [](int i) { return 6.5f + (i % 2); });
    TDevice constant = test::StationDevice();
    FillHistory(constant, LeftPeakColumn, 10, [](int) { return 20.0f; });
    const TDevice empty = test::StationDevice();

    GraphOptions manual = OneValue(PilotColumn, Last60Seconds);
    manual.autoY = false;
    manual.manualMin = 0;
    manual.manualMax = 100;
    GraphOptions flat = manual;
    flat.manualMin = flat.manualMax = 50;
    GraphOptions singleColumn = manual;
    singleColumn.values = {-1, -1, -1};
    singleColumn.column = PilotColumn;

    struct Case {
        const char *what;
        const TDevice &device;
        GraphOptions options;
        double min, max;
    };
    const Case cases[] = {
        {"no value chosen", pilot, GraphOptions{}, -1, 1},
        {"pilot reaches its seeds, widened by 3 %", pilot, OneValue(PilotColumn, 0), 4.85, 10.15},
        {"constant without seeds", constant, OneValue(LeftPeakColumn, 0), 19, 21},
        {"chosen value never measured", empty, OneValue(MaxColumn, 0), -1, 1},
        {"manual", pilot, manual, 0, 100},
        {"manual, equal bounds", pilot, flat, 49, 51},
        {"a single column is always automatic", pilot, singleColumn, 4.85, 10.15},
    };
    for (const Case &c : cases) {
        const GraphScales scales = ComputeGraphScales(c.device, c.options);
        EXPECT_NEAR(scales.yMin, c.min, 1e-4) << c.what;
        EXPECT_NEAR(scales.yMax, c.max, 1e-4) << c.what;
    }
}

TEST(GraphScales, TimeRangeAndSampleStep)
{
    TDevice device = test::StationDevice();
    FillHistory(device, MaxColumn, 18000, Wave);
    const TDateTime last = device.History[17999].Time;
    struct Case {
        int xAxis;
        int column;
        double seconds; // shown before the last sample
        int step;
    };
    const Case cases[] = {
        {Last60Seconds, -1, 60, 1},      {Last5Minutes, -1, 300, 1},
        {Last15Minutes, -1, 900, 2},     {Last1Hour, -1, 3600, 5},
        {EntireFile, -1, 17999, 19},     {EntireFile, MaxColumn, 17999, 1},
        {Last1Hour, MaxColumn, 3600, 1}, {99, -1, 60, 1},
    };
    for (const Case &c : cases) {
        GraphOptions options = OneValue(MaxColumn, c.xAxis);
        options.column = c.column;
        const GraphScales scales = ComputeGraphScales(device, options);
        EXPECT_DOUBLE_EQ(scales.end, last) << c.xAxis;
        EXPECT_NEAR((scales.end - scales.start) / OneSecond, c.seconds, 1e-3) << c.xAxis;
        EXPECT_EQ(scales.step, c.step) << c.xAxis << " " << c.column;
    }

    // A short history thins less: 1500 samples give every second one.
    TDevice shorter = test::StationDevice();
    FillHistory(shorter, MaxColumn, 1500, Wave);
    EXPECT_EQ(ComputeGraphScales(shorter, OneValue(MaxColumn, Last1Hour)).step, 2);

    // Right after tuning the axis sits at now.
    TDevice fresh = test::StationDevice();
    FillHistory(fresh, MaxColumn, 1, Wave);
    GraphOptions options = OneValue(MaxColumn, EntireFile);
    options.now = test::HistoryStart() + 0.5;
    const GraphScales scales = ComputeGraphScales(fresh, options);
    EXPECT_EQ(scales.start, options.now);
    EXPECT_EQ(scales.end, options.now);
}

TEST(GraphChart, MissingValuesBreakTheLine)
{
    TDevice device = test::StationDevice();
    FillHistory(device, MaxColumn, 120, [](int i) {
        if (i == 60)
            return -2000.0f; // anything at or below the marker is missing
        return i >= 40 && i < 80 ? NoValue : Wave(i);
    });
    const QImage image = Draw(device, OneValue(MaxColumn, Last5Minutes));
    for (int i = 1; i <= 38; ++i)
        EXPECT_TRUE(HasColor(image, Column(SampleX(i, 0, 119)), Blue)) << i;
    for (int x = SampleX(39, 0, 119) + 2; x <= SampleX(80, 0, 119) - 2; ++x)
        EXPECT_FALSE(HasColor(image, Column(x), Blue)) << x;
    for (int i = 81; i <= 118; ++i)
        EXPECT_TRUE(HasColor(image, Column(SampleX(i, 0, 119)), Blue)) << i;
    // A missing value never pulls the line down to the plot's bottom edge.
    EXPECT_FALSE(
        HasColor(image, QRect(Plot().left(), Plot().bottom() - 3, Plot().width(), 4), Blue));
}

TEST(GraphChart, ManualRangeClipsLinesAtThePlotEdges)
{
    TDevice device = test::StationDevice();
    FillHistory(device, MaxColumn, 100, [](int i) { return -50.0f + 3 * i; });
    GraphOptions options = OneValue(MaxColumn, Last5Minutes);
    options.autoY = false;
    options.manualMin = 0;
    options.manualMax = 100;
    const QImage image = Draw(device, options);
    // The caption in the left margin is blue too; everything right of it counts.
    const QRect right(QPoint(30, 0), QPoint(Width - 1, Height - 1));
    EXPECT_GT(CountColor(image, Plot(), Blue), 100);
    EXPECT_EQ(CountColor(image, right, Blue), CountColor(image, Plot(), Blue));
    EXPECT_TRUE(HasColor(image, QRect(Plot().left(), Plot().top(), Plot().width(), 1), Blue));
    EXPECT_TRUE(HasColor(image, QRect(Plot().left(), Plot().bottom(), Plot().width(), 1), Blue));
}

TEST(GraphChart, LongHistoriesAreDrawnAcrossTheWholeSpan)
{
    struct Case {
        int samples;
        int xAxis;
    };
    const Case cases[] = {
        {18000, EntireFile},
        {18000, Last1Hour},
        {18000, Last15Minutes},
        {5000, Last60Seconds},
    };
    for (const Case &c : cases) {
        TDevice device = test::StationDevice();
        FillHistory(device, MaxColumn, c.samples, Wave);
        const QImage image = Draw(device, OneValue(MaxColumn, c.xAxis));
        int empty = 0;
        for (int x = Plot().left() + 1; x < Plot().right(); ++x)
            empty += HasColor(image, Column(x), Blue) ? 0 : 1;
        EXPECT_EQ(empty, 0) << c.samples << " samples, x axis " << c.xAxis;
    }
}

TEST(GraphChart, ThreeValuesInTheirColours)
{
    TDevice device = test::StationDevice();
    for (int i = 0; i < 60; ++i) {
        std::array<float, ColumnCount> values = TDevice::Filled(NoValue);
        values[MaxColumn] = 80;
        values[PilotColumn] = 7;
        values[LevelColumn] = 40;
        test::AddSample(device, values);
    }
    GraphOptions options;
    options.values = {MaxColumn, PilotColumn, LevelColumn};
    const GraphScales scales = ComputeGraphScales(device, options);
    const QImage image = Draw(device, options);
    const auto row = [&scales](double value) {
        return static_cast<int>(
            std::lround(Plot().bottom() - (value - scales.yMin) / (scales.yMax - scales.yMin) *
                                              (Plot().height() - 1)));
    };
    const int middle = Plot().center().x();
    const struct {
        double value;
        QColor color;
    } lines[] = {{80, Blue}, {7, Red}, {40, Green}};
    for (const auto &line : lines) {
        const QRect around(middle, row(line.value) - 1, 1, 3);
        EXPECT_TRUE(HasColor(image, around, line.color)) << line.value;
        EXPECT_EQ(CountColor(image, Column(middle), line.color), 1) << line.value;
    }
}

TEST(GraphChart, WithoutSamplesOnlyASingleColumnIsDrawn)
{
    const TDevice device = test::StationDevice();
    const QImage untouched = Draw(device, OneValue(MaxColumn, Last60Seconds));
    EXPECT_EQ(untouched.pixelColor(0, 0), QColor(0, 255, 0));
    EXPECT_EQ(untouched.pixelColor(Plot().center()), QColor(0, 255, 0));

    GraphOptions single;
    single.column = MaxColumn;
    const QImage drawn = Draw(device, single);
    EXPECT_EQ(drawn.pixelColor(0, 0), QColor(160, 160, 160));
    // Off the dotted zero line of the -1 ... 1 axis.
    EXPECT_EQ(drawn.pixelColor(Plot().center().x(), Plot().top() + 20), QColor(Qt::white));
    EXPECT_EQ(drawn.pixelColor(Plot().left(), Plot().center().y()), QColor(Qt::black));
}

TEST(GraphChart, TheTimeTitleAndTheLastLabelStayInsideThePicture)
{
    // Text cut by the picture's edge leaves ink on the row and column just
    // inside the frame; text that fits leaves them white.
    const auto inkAtTheEdges = [](const QImage &image) {
        int dark = 0;
        for (int x = 1; x < Width - 1; ++x)
            dark += qGray(image.pixel(x, Height - 2)) < 160 ? 1 : 0;
        for (int y = 1; y < Height - 1; ++y)
            dark += qGray(image.pixel(Width - 2, y)) < 160 ? 1 : 0;
        return dark;
    };
    // Histories that end on a labelled tick, so a label stands at the right end.
    const struct {
        int samples;
        int xAxis;
    } cases[] = {{61, Last60Seconds}, {301, Last5Minutes}, {3601, Last1Hour}};
    for (const auto &c : cases) {
        TDevice device = test::StationDevice();
        FillHistory(device, MaxColumn, c.samples, Wave);
        const QImage image = Draw(device, OneValue(MaxColumn, c.xAxis));
        EXPECT_EQ(inkAtTheEdges(image), 0) << c.samples;
    }
}

TEST(GraphChart, DateOfTheLastSampleOnlyWithTwoSamples)
{
    const auto dateInk = [](const QImage &image) {
        int dark = 0;
        for (int y = Height - 15; y < Height - 4; ++y)
            for (int x = Width - 80; x < Width - 5; ++x)
                dark += qGray(image.pixel(x, y)) < 100 ? 1 : 0;
        return dark;
    };
    TDevice device = test::StationDevice();
    FillHistory(device, MaxColumn, 1, Wave);
    EXPECT_EQ(dateInk(Draw(device, OneValue(MaxColumn, 0))), 0);
    FillHistory(device, MaxColumn, 1, Wave);
    EXPECT_GT(dateInk(Draw(device, OneValue(MaxColumn, 0))), 0);
}

TEST(GraphChart, CountBeyondTheHistoryIsNotRead)
{
    TDevice device = test::StationDevice();
    FillHistory(device, MaxColumn, 100, Wave);
    device.History.resize(100);
    device.HistoryCount = 5000;
    const QImage image = Draw(device, OneValue(MaxColumn, EntireFile));
    EXPECT_TRUE(HasColor(image, Plot(), Blue));
}

} // namespace
} // namespace vantor
