// The deviation histogram drawn into images and read back pixel by pixel.
#include "histogram_chart.h"

#include "device_fixtures.h"

#include <gtest/gtest.h>

#include <QImage>
#include <cmath>

namespace vantor {
namespace {

using test::Canvas;
using test::CountColor;
using test::HasColor;

constexpr int Width = 640;
constexpr int Height = 480;

const QColor Navy(0, 0, 128);
const QColor Purple(74, 0, 62);
const QColor Maroon(128, 0, 0);

// The plot rectangle inside the histogram's margins.
const QRect Plot(QPoint(40, 18), QPoint(Width - 1 - 12, Height - 1 - 66));

int BinX(int bin)
{
    const int x = static_cast<int>(std::lround(Plot.left() + bin * Plot.width() / 120.0));
    return std::clamp(x, Plot.left() + 1, Plot.right() - 1);
}

int ValueY(double value, double yMax)
{
    return static_cast<int>(std::lround(Plot.bottom() - value * (Plot.height() - 1) / yMax));
}

QImage Draw(const TDevice &device, const HistogramOptions &options)
{
    QImage image = Canvas(Width, Height);
    DrawHistogram(ChartTarget{&image, DrawMode::Image, Width, Height}, device, options);
    return image;
}

TDevice EvenHistogram(int count)
{
    TDevice device = test::StationDevice();
    std::array<int, HistogramBinCount> bins{};
    bins.fill(count);
    test::SetHistogram(device, bins);
    return device;
}

QColor BarColor(const QImage &image, int bin)
{
    return image.pixelColor(BinX(bin), Plot.bottom() - 2);
}

TEST(HistogramChart, BarsTakeTheColourOfTheirSideOfLimitAndTolerance)
{
    struct Case {
        int limit, tolerance;
        int lastNavy, lastPurple; // lastPurple == lastNavy: no purple bar
    };
    const Case cases[] = {
        {75, 1, 75, 76},     {75, 0, 75, 75},
        {25, 5, 25, 30},     {120, 5, 110, 115}, // the limit is drawn as 110
        {100, 30, 100, 120},
    };
    const TDevice device = EvenHistogram(10);
    for (const Case &c : cases) {
        const QImage image = Draw(device, {c.limit, c.tolerance, false});
        for (int bin = 0; bin <= 120; ++bin) {
            const QColor expected = bin <= c.lastNavy     ? Navy
                                    : bin <= c.lastPurple ? Purple
                                                          : Maroon;
            EXPECT_EQ(BarColor(image, bin), expected)
                << "limit " << c.limit << " tolerance " << c.tolerance << " bin " << bin;
        }
        EXPECT_EQ(HasColor(image, Plot, Purple), c.lastPurple > c.lastNavy);
    }
}

TEST(HistogramChart, BarHeightsFollowTheCountsOnAxisUpToPeakPlusOne)
{
    TDevice device = test::StationDevice();
    std::array<int, HistogramBinCount> bins{};
    bins[30] = 40;
    bins[60] = 99; // peak: axis 0 ... 100
    bins[90] = 20;
    test::SetHistogram(device, bins);
    const QImage image = Draw(device, {});
    for (const int bin : {30, 60, 90}) {
        const int top = ValueY(bins[static_cast<std::size_t>(bin)], 100);
        const QColor color = bin < 76 ? Navy : Maroon;
        EXPECT_EQ(image.pixelColor(BinX(bin), top + 2), color) << bin;
        EXPECT_NE(image.pixelColor(BinX(bin), top - 2), color) << bin;
    }
    // Empty bins draw nothing above the axis.
    EXPECT_FALSE(HasColor(image, QRect(BinX(45), Plot.top(), 1, Plot.height() - 2), Navy));
}

TEST(HistogramChart, BinAbove120CountsButIsNeverDrawn)
{
    TDevice device = test::StationDevice();
    std::array<int, HistogramBinCount> bins{};
    bins[121] = 50;
    test::SetHistogram(device, bins);
    ASSERT_EQ(device.HistogramTotal, 50);
    const QImage image = Draw(device, {});
    for (const QColor &c : {Navy, Purple, Maroon})
        EXPECT_EQ(CountColor(image, image.rect(), c), 0);

    // Accumulated, all samples lie above every drawn bin.
    for (const float p : HistogramPoints(device, true))
        EXPECT_EQ(p, 100);
}

TEST(HistogramChart, EmptyHistogramsDrawAxesWithoutBars)
{
    // As the store leaves it (peak 1: axis 0 ... 2) and as a device clear does (peak 0).
    TDevice stored = test::StationDevice();
    test::SetHistogram(stored, {});
    ASSERT_EQ(stored.HistogramPeak, 1);
    const TDevice cleared = test::StationDevice();
    for (const TDevice *device : std::array<const TDevice *, 2>{&stored, &cleared}) {
        for (const bool accumulated : {false, true}) {
            const QImage image = Draw(*device, {75, 1, accumulated});
            EXPECT_EQ(image.pixelColor(0, 0), QColor(160, 160, 160));
            EXPECT_EQ(image.pixelColor(Plot.center()), QColor(Qt::white));
            EXPECT_EQ(image.pixelColor(Plot.left(), Plot.center().y()), QColor(Qt::black));
            for (const QColor &c : {Navy, Purple, Maroon})
                EXPECT_FALSE(HasColor(image, image.rect(), c));
        }
    }
}

TEST(HistogramChart, AccumulatedViewFallsFromNearAllSamples)
{
    TDevice device = test::StationDevice();
    std::array<int, HistogramBinCount> bins{};
    bins[0] = 1;
    bins[10] = 3;
    bins[50] = 4;
    bins[80] = 2;
    test::SetHistogram(device, bins);
    const std::vector<float> points = HistogramPoints(device, true);
    ASSERT_EQ(points.size(), 121u);
    // Percentages of the 10 samples above each bin, truncated.
    EXPECT_EQ(points[0], 90);
    EXPECT_EQ(points[9], 90);
    EXPECT_EQ(points[10], 60);
    EXPECT_EQ(points[50], 20);
    EXPECT_EQ(points[79], 20);
    EXPECT_EQ(points[80], 0);
    EXPECT_EQ(points[120], 0);

    // On the 0 ... 100 axis, bin 5 stands at 90 %, bin 60 at 20 %, bin 100 not at all.
    const QImage image = Draw(device, {75, 1, true});
    EXPECT_EQ(image.pixelColor(BinX(5), ValueY(90, 100) + 2), Navy);
    EXPECT_NE(image.pixelColor(BinX(5), ValueY(90, 100) - 2), Navy);
    EXPECT_EQ(image.pixelColor(BinX(60), ValueY(20, 100) + 2), Navy);
    EXPECT_NE(image.pixelColor(BinX(60), ValueY(20, 100) - 2), Navy);
    EXPECT_FALSE(
        HasColor(image, QRect(BinX(80), Plot.top(), BinX(120) - BinX(80), Plot.height()), Maroon));
}

TEST(HistogramChart, AccumulatedSumDoesNotWrapNearTheIntegerLimit)
{
    TDevice device = test::StationDevice();
    device.HistogramBins.fill(0);
    device.HistogramBins[10] = 2'000'000'000;
    device.HistogramBins[20] = 2'000'000'000;
    const std::vector<float> points = HistogramPoints(device, true);
    EXPECT_EQ(points[0], 100);
    EXPECT_EQ(points[10], 50);
    EXPECT_EQ(points[20], 0);
}

TEST(HistogramChart, ControlIsDrawnAtItsOwnSizeOnLightGrey)
{
    const TDevice device = EvenHistogram(10);
    QImage control = Canvas(500, 300);
    DrawHistogram(ChartTarget{&control, DrawMode::Control, 0, 0}, device, {});
    EXPECT_EQ(control.pixelColor(499, 299), QColor(160, 160, 160));
    EXPECT_EQ(control.pixelColor(250, 5), QColor(243, 243, 243));
    // Plot right edge 500 - 1 - 12: the last bar ends there.
    EXPECT_EQ(control.pixelColor(486, 300 - 1 - 66 - 2), Maroon);
    EXPECT_NE(control.pixelColor(488, 300 - 1 - 66 - 2), Maroon);
}

TEST(HistogramChart, SummaryTextsSitInTheBottomCorners)
{
    const QImage image = Draw(EvenHistogram(10), {});
    const auto ink = [&image](const QRect &r) {
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (qGray(image.pixel(x, y)) < 100)
                    return true;
        return false;
    };
    // Left block below the axis labels and title, right block likewise, caption top right.
    EXPECT_TRUE(ink(QRect(QPoint(5, Height - 46), QPoint(60, Height - 4))));
    EXPECT_TRUE(ink(QRect(QPoint(Width - 120, Height - 36), QPoint(Width - 10, Height - 4))));
    EXPECT_TRUE(ink(QRect(QPoint(Width - 150, 2), QPoint(Width - 5, 17))));
}

} // namespace
} // namespace vantor
