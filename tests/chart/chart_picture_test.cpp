// Pictures drawn through the chart engine, checked by reading pixels back.
#include "chart.h"

#include <gtest/gtest.h>

#include <QImage>

namespace vantor {
namespace {

const QColor Background(Qt::white);
const QColor Frame(128, 128, 128);
const QColor Series(255, 0, 0);

QImage Canvas(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::green); // anything the chart fails to paint shows
    return image;
}

bool IsSeries(const QImage &image, int x, int y)
{
    return image.pixelColor(x, y) == Series;
}

// Text is smoothed, so its colour shows in tints.
bool IsReddish(QRgb c)
{
    return qRed(c) > 160 && qGreen(c) < 120 && qBlue(c) < 120;
}

int CountSeries(const QImage &image, const QRect &rect)
{
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x)
            count += IsSeries(image, x, y) ? 1 : 0;
    }
    return count;
}

// Bounding box of pixels darker than mid-grey.
QRect InkBox(const QImage &image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 128)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

// A frameless white canvas with one text on it.
QImage Text(const QString &text, int hAlign, double x, double y, int vAlign, int flags)
{
    QImage image = Canvas(100, 60);
    Chart chart;
    EXPECT_TRUE(chart.BeginPlotOnImage(&image, 100, 60, false, 1, Frame, Background));
    chart.PlotText(Qt::black, text, hAlign, x, y, vAlign, flags);
    chart.FinishPlot();
    return image;
}

TEST(ChartPicture, BeginFillsAndFramesTheGivenSize)
{
    QImage image = Canvas(50, 40);
    Chart chart;
    ASSERT_TRUE(chart.BeginPlotOnImage(&image, 30, 20, true, 1, Frame, Background));
    chart.FinishPlot();
    EXPECT_EQ(image.pixelColor(0, 0), Frame);
    EXPECT_EQ(image.pixelColor(29, 19), Frame);
    EXPECT_EQ(image.pixelColor(15, 10), Background);
    EXPECT_EQ(image.pixelColor(30, 10), QColor(Qt::green)); // outside the given size
    EXPECT_EQ(image.pixelColor(15, 20), QColor(Qt::green));

    // On a control: its whole size, always framed.
    ASSERT_TRUE(chart.BeginPlotOnControl(&image, Background, Frame, 0));
    chart.FinishPlot();
    EXPECT_EQ(image.pixelColor(49, 39), Frame);
    EXPECT_EQ(image.pixelColor(30, 10), Background);
}

TEST(ChartPicture, TextAnchoredOutsideTheCanvasIsSkipped)
{
    struct Case {
        double x, y;
        int hAlign, vAlign;
        bool drawn;
    };
    // Each text would reach into the canvas from its anchor.
    const Case cases[] = {
        {-1, 30, 1, 0, false}, {0, 30, 1, 0, true}, {100, 30, -1, 0, false}, {99, 30, -1, 0, true},
        {50, -1, 0, 1, false}, {50, 0, 0, 1, true}, {50, 60, 0, -1, false},  {50, 59, 0, -1, true},
    };
    for (const Case &c : cases) {
        const QImage image = Text(QStringLiteral("W0"), c.hAlign, c.x, c.y, c.vAlign, 0);
        EXPECT_EQ(!InkBox(image).isNull(), c.drawn) << c.x << "," << c.y;
    }
}

TEST(ChartPicture, AlignedTextsMoveThreePixelsFromTheAnchor)
{
    const int left = InkBox(Text(QStringLiteral("H"), 1, 20, 30, 0, 0)).left();
    EXPECT_EQ(left - InkBox(Text(QStringLiteral("H"), 1, 20, 30, 0, 1)).left(), 3);
    const int right = InkBox(Text(QStringLiteral("H"), -1, 80, 30, 0, 0)).right();
    EXPECT_EQ(InkBox(Text(QStringLiteral("H"), -1, 80, 30, 0, 2)).right() - right, 3);
    // Texts of several lines stay at the anchor.
    EXPECT_EQ(InkBox(Text(QStringLiteral("H|H"), 1, 20, 30, 0, 0)).left(),
              InkBox(Text(QStringLiteral("H|H"), 1, 20, 30, 0, 1)).left());
}

TEST(ChartPicture, VerticalAlignmentAndLineBreaks)
{
    EXPECT_GE(InkBox(Text(QStringLiteral("Hg"), 0, 50, 30, 1, 0)).top(), 30);
    EXPECT_LT(InkBox(Text(QStringLiteral("Hg"), 0, 50, 30, -1, 0)).bottom(), 30);
    const QRect centred = InkBox(Text(QStringLiteral("Hg"), 0, 50, 30, 0, 0));
    EXPECT_LT(centred.top(), 30);
    EXPECT_GT(centred.bottom(), 30);
    const QRect one = InkBox(Text(QStringLiteral("H"), 0, 50, 5, 1, 0));
    const QRect two = InkBox(Text(QStringLiteral("H|H"), 0, 50, 5, 1, 0));
    EXPECT_GT(two.height(), 2 * one.height());
}

TEST(ChartPicture, KeepColourFlagUsesThePreviousTextColour)
{
    QImage image = Canvas(100, 60);
    Chart chart;
    ASSERT_TRUE(chart.BeginPlotOnImage(&image, 100, 60, false, 1, Frame, Background));
    chart.PlotText(Series, QStringLiteral("H"), 1, 10, 20, 0, 1);
    chart.PlotText(Qt::blue, QStringLiteral("H"), 1, 60, 20, 0, 4 | 1);
    chart.FinishPlot();
    int reddish = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 55; x < 100; ++x)
            reddish += IsReddish(image.pixel(x, y)) ? 1 : 0;
    EXPECT_GT(reddish, 0);
}

// 200 x 200 canvas, plot rectangle x 20 ... 180 and y 20 ... 180, both axes
// 0 ... 100, so one unit is 1.6 pixels.
class PlotFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(chart.BeginPlotOnImage(&image, 200, 200, true, 1, Frame, Background));
        chart.AddPlotArea(0, 100, 0, 100, 20, 19, 20, 19);
        chart.XAxis(Qt::black, QString(), false, 0, 100, 0, 0, false, true);
        chart.YAxis(Qt::black, QString(), 1, 0, 100, 0, 0, false, false, true);
        chart.SetPenColor(Series);
    }
    QImage image = Canvas(200, 200);
    Chart chart;
    const QRect plot{QPoint(20, 20), QPoint(180, 180)};
};

TEST_F(PlotFixture, LinesStopAtThePlotEdge)
{
    chart.MoveToPoint(50, 50);
    chart.LineToPoint(50, 300); // up through the top edge
    chart.MoveToPoint(-40, 10);
    chart.LineToPoint(60, 10); // in from the left
    chart.MoveToPoint(150, 150);
    chart.LineToPoint(200, 300); // entirely outside
    chart.FinishPlot();
    EXPECT_EQ(CountSeries(image, image.rect()), CountSeries(image, plot));
    int topRow = 0;
    int leftColumn = 0;
    for (int i = plot.left(); i <= plot.right(); ++i) {
        topRow += IsSeries(image, i, plot.top()) ? 1 : 0;
        leftColumn += IsSeries(image, plot.left(), i) ? 1 : 0;
    }
    EXPECT_EQ(topRow, 1);
    EXPECT_EQ(leftColumn, 1);
}

TEST_F(PlotFixture, MoveToPointBreaksTheLine)
{
    // The Graph Window's way of leaving out missing values.
    chart.MoveToPoint(10, 50);
    chart.LineToPoint(30, 50);
    chart.MoveToPoint(60, 50);
    chart.LineToPoint(90, 50);
    chart.FinishPlot();
    const int row = 100;
    EXPECT_TRUE(IsSeries(image, 20 + 32, row));  // x = 20
    EXPECT_FALSE(IsSeries(image, 20 + 72, row)); // x = 45, in the gap
    EXPECT_TRUE(IsSeries(image, 20 + 120, row)); // x = 75
}

TEST_F(PlotFixture, LinesKeepTheColourTheyWereDrawnIn)
{
    chart.MoveToPoint(10, 50);
    chart.LineToPoint(30, 50);
    chart.SetPenColor(Qt::blue);
    chart.MoveToPoint(60, 50);
    chart.LineToPoint(90, 50);
    chart.FinishPlot();
    const int row = 100;
    EXPECT_TRUE(IsSeries(image, 20 + 32, row));
    EXPECT_EQ(image.pixelColor(20 + 120, row), QColor(Qt::blue));
}

TEST_F(PlotFixture, DataArrayLinesAreClipped)
{
    Tdatatype data;
    NewDataArray(data, 4, 1);
    const float points[4][2] = {{10, -50}, {40, 150}, {70, 50}, {90, 60}};
    for (int r = 0; r < 4; ++r) {
        data[static_cast<std::size_t>(r) + 1][0] = points[r][0];
        data[static_cast<std::size_t>(r) + 1][1] = points[r][1];
    }
    chart.PlotDataArray(data, 1);
    chart.FinishPlot();
    EXPECT_GT(CountSeries(image, plot), 100);
    EXPECT_EQ(CountSeries(image, image.rect()), CountSeries(image, plot));
    // The first segment leaves through the bottom at x = 17.5 and the top at x = 32.5.
    EXPECT_GT(CountSeries(image, QRect(46, 180, 5, 1)), 0);
    EXPECT_GT(CountSeries(image, QRect(70, 20, 5, 1)), 0);
}

TEST(ChartPicture, LineAndMarkerStyles)
{
    struct Case {
        int style;
        bool line, markers;
    };
    for (const Case c : {Case{0, true, true}, Case{1, true, false}, Case{2, false, true}}) {
        QImage image = Canvas(200, 200);
        Chart chart;
        ASSERT_TRUE(chart.BeginPlotOnImage(&image, 200, 200, true, 1, Frame, Background));
        chart.AddPlotArea(0, 100, 0, 100, 20, 19, 20, 19);
        chart.XAxis(Qt::black, QString(), false, 0, 100, 0, 0, false, true);
        chart.YAxis(Qt::black, QString(), 1, 0, 100, 0, 0, false, false, true);
        chart.SetPenColor(Series);
        Tdatatype data;
        NewDataArray(data, 2, 1);
        data[1] = {25, 50}; // pixel (60, 100)
        data[2] = {75, 50}; // pixel (140, 100)
        chart.PlotDataArray(data, c.style);
        chart.FinishPlot();
        EXPECT_EQ(IsSeries(image, 100, 100), c.line) << c.style;
        // Markers reach beyond the line's single row.
        EXPECT_EQ(CountSeries(image, QRect(55, 95, 11, 4)) > 0, c.markers) << c.style;
    }
}

TEST(ChartPicture, BarWidths)
{
    struct Case {
        int style;
        std::vector<float> xs;
        int width; // pixels, 10 per unit
    };
    const Case cases[] = {
        {3, {5}, 10},    // one point: one unit
        {4, {5}, 7},     // 70 %
        {5, {5}, 4},     // 40 %
        {4, {2, 4}, 14}, // 70 % of the distance of the first two rows
    };
    for (const Case &c : cases) {
        // Plot x 20 ... 120, y 20 ... 120: 10 pixels per unit on both axes.
        QImage image = Canvas(140, 140);
        Chart chart;
        ASSERT_TRUE(chart.BeginPlotOnImage(&image, 140, 140, true, 1, Frame, Background));
        chart.AddPlotArea(0, 100, 0, 100, 20, 19, 20, 19);
        chart.XAxis(Qt::black, QString(), false, 0, 10, 0, 0, false, true);
        chart.YAxis(Qt::black, QString(), 1, 0, 10, 0, 0, false, false, true);
        chart.SetPenColor(Series);
        Tdatatype data;
        NewDataArray(data, static_cast<int>(c.xs.size()), 1);
        for (std::size_t i = 0; i < c.xs.size(); ++i) {
            data[i + 1][0] = c.xs[i];
            data[i + 1][1] = 5;
        }
        chart.PlotDataArray(data, c.style);
        chart.FinishPlot();
        const int row = 100; // value 2: inside every bar
        int first = 0;
        while (first < 140 && !IsSeries(image, first, row))
            ++first;
        int count = 0;
        while (first + count < 140 && IsSeries(image, first + count, row))
            ++count;
        EXPECT_EQ(count, c.width) << c.style;
        EXPECT_NEAR(first + count / 2.0, 20 + 10 * c.xs[0], 1) << c.style; // centred on x
        EXPECT_FALSE(IsSeries(image, first, 20 + 10 * 5 - 2)) << c.style;  // ends at the value
    }
}

TEST(ChartPicture, EmptyDataArrayDrawsNothing)
{
    QImage image = Canvas(100, 100);
    Chart chart;
    ASSERT_TRUE(chart.BeginPlotOnImage(&image, 100, 100, true, 1, Frame, Background));
    chart.SetPenColor(Series);
    Tdatatype data;
    NewDataArray(data, 0, 1);
    chart.PlotDataArray(data, 3);
    chart.FinishPlot();
    EXPECT_EQ(CountSeries(image, image.rect()), 0);
}

TEST(ChartPicture, DataArrayWithoutAxesMakesItsOwn)
{
    QImage image = Canvas(300, 200);
    Chart chart;
    ASSERT_TRUE(chart.BeginPlotOnImage(&image, 300, 200, true, 1, Frame, Background));
    chart.SetPenColor(Series);
    Tdatatype data;
    NewDataArray(data, 3, 1);
    data[1][1] = 1000;
    data[2][1] = -1000;
    data[3][1] = 500;
    chart.PlotDataArray(data, 1);
    chart.FinishPlot();
    // Scaled to the data, the line spans nearly the whole plot height.
    const QRect ink = [&] {
        QRect box;
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 300; ++x)
                if (IsSeries(image, x, y))
                    box |= QRect(x, y, 1, 1);
        return box;
    }();
    EXPECT_GT(ink.height(), 100);
    EXPECT_TRUE(QRect(1, 1, 298, 198).contains(ink));
}

TEST(ChartPicture, GridStylesAlongTheZeroLine)
{
    // Without grid lines a y axis marks its zero in the major grid style;
    // plot x 20 ... 180, y 20 ... 180, zero on row 100.
    for (const int style : {-1, 0, 4, 7}) {
        QImage image = Canvas(200, 200);
        Chart chart;
        ASSERT_TRUE(chart.BeginPlotOnImage(&image, 200, 200, true, 1, Frame, Background));
        chart.AddPlotArea(0, 100, 0, 100, 20, 19, 20, 19);
        chart.SetGridStyle(4, 7, style, 7);
        chart.YAxis(Series, QString(), 1, -100, 100, 0, 0, false, false, true);
        chart.FinishPlot();
        for (int i = 1; i <= 160; ++i) {
            const bool expected = style == 0 || (style > 0 && (i & style) == 0);
            ASSERT_EQ(IsSeries(image, 20 + i, 100), expected) << style << " " << i;
        }
    }
}

TEST(ChartPicture, YGridLinesAtEveryTickWithTheGridFlag)
{
    QImage image = Canvas(200, 200);
    Chart chart;
    ASSERT_TRUE(chart.BeginPlotOnImage(&image, 200, 200, true, 1, Frame, Background));
    chart.AddPlotArea(0, 100, 0, 100, 20, 19, 20, 19);
    chart.SetGridStyle(-1, -1, 0, -1); // solid major lines only
    chart.YAxis(Series, QString(), 1, 0, 100, 50, 0, true, false, true);
    chart.FinishPlot();
    // Major ticks at 0, 50 and 100: rows 180, 100 and 20.
    for (const int row : {20, 100, 180})
        EXPECT_TRUE(IsSeries(image, 150, row)) << row;
    EXPECT_EQ(CountSeries(image, QRect(150, 21, 1, 79)), 0);
}

// Pixels that differ between two pictures.
QRect DiffBox(const QImage &a, const QImage &b)
{
    QRect box;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) != b.pixel(x, y))
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

TEST(ChartPicture, YTitleInANarrowMarginStaysOnTheCanvas)
{
    // Labels up to "1000" leave no room for a title beyond them in 40 pixels.
    const auto titleBox = [](int margin, int position) {
        const auto draw = [&](const QString &title) {
            QImage image = Canvas(300, 220);
            Chart chart;
            EXPECT_TRUE(chart.BeginPlotOnImage(&image, 300, 220, true, 1, Frame, Background));
            const bool right = position == 4;
            chart.AddPlotArea(0, 100, 0, 100, right ? 20 : margin, right ? margin : 20, 20, 20);
            chart.YAxis(Qt::black, title, position, 0, 1000, 0, 0, false, false, true);
            chart.FinishPlot();
            return image;
        };
        return DiffBox(draw(QStringLiteral(" ")), draw(QStringLiteral("Title")));
    };
    for (const int position : {1, 4}) {
        const QRect roomy = titleBox(100, position);
        const QRect narrow = titleBox(40, position);
        // Whole, give or take the smoothing of a text at another sub-pixel offset.
        EXPECT_NEAR(narrow.width(), roomy.width(), 1) << position;
        EXPECT_NEAR(narrow.height(), roomy.height(), 1) << position;
        EXPECT_GE(narrow.left(), 1) << position;
        EXPECT_LE(narrow.right(), 298) << position;
    }
}

TEST(ChartPicture, AxisTitlesLieBeyondTheLabels)
{
    // Plot x 80 ... 220, y 20 ... 160; labels left of x 80, right of x 220
    // and below y 160.
    const auto draw = [](const QString &title, int position) {
        QImage image = Canvas(300, 220);
        Chart chart;
        EXPECT_TRUE(chart.BeginPlotOnImage(&image, 300, 220, true, 1, Frame, Background));
        chart.AddPlotArea(0, 100, 0, 100, 80, 79, 20, 59);
        if (position == 0)
            chart.XAxis(Qt::black, title, false, 0, 1000, 0, 0, false, true);
        else
            chart.YAxis(Qt::black, title, position, 0, 1000, 0, 0, false, false, true);
        chart.FinishPlot();
        return image;
    };
    for (const int position : {0, 1, 4}) {
        const QImage bare = draw(QStringLiteral(" "), position);
        const QRect title = DiffBox(bare, draw(QStringLiteral("Title"), position));
        ASSERT_FALSE(title.isNull()) << position;
        if (position == 0) {
            const QRect labels = InkBox(bare.copy(0, 161, 300, 59)).translated(0, 161);
            EXPECT_GT(title.top(), labels.bottom());
        } else if (position == 1) {
            EXPECT_LT(title.right(), InkBox(bare.copy(0, 0, 80, 220)).left());
        } else {
            const QRect labels = InkBox(bare.copy(221, 0, 79, 220)).translated(221, 0);
            EXPECT_GT(title.left(), labels.right());
        }
        EXPECT_GT(title.height(), title.width() * (position == 0 ? 0 : 2)) << position;
    }
}

TEST(ChartPicture, TwoChartsKeepTheirOwnState)
{
    QImage first = Canvas(200, 200);
    QImage second = Canvas(200, 200);
    Chart a;
    Chart b;
    ASSERT_TRUE(a.BeginPlotOnImage(&first, 200, 200, true, 1, Frame, Background));
    ASSERT_TRUE(b.BeginPlotOnImage(&second, 200, 200, true, 1, Frame, Background));
    a.AddPlotArea(0, 100, 0, 100, 20, 19, 20, 19);
    a.XAxis(Qt::black, QString(), false, 0, 1000, 0, 0, false, true);
    a.YAxis(Qt::black, QString(), 1, 0, 1000, 0, 0, false, false, true);
    a.SetPenColor(Qt::blue);
    b.SetPenColor(Series);
    // b has no area: its coordinates are pixels.
    b.MoveToPoint(10, 10);
    b.LineToPoint(60, 10);
    a.MoveToPoint(0, 500);
    a.LineToPoint(1000, 500);
    a.FinishPlot();
    b.FinishPlot();
    EXPECT_EQ(CountSeries(second, QRect(10, 10, 51, 1)), 51);
    EXPECT_EQ(CountSeries(first, first.rect()), 0);
    EXPECT_EQ(second.pixelColor(100, 100), Background);
}

TEST(ChartPicture, TimeAxisTellsWhetherItUsedTimeLabels)
{
    const double start = 45000.5;
    const auto draw = [start](const QString &title, double seconds, bool &timeLabels) {
        QImage image = Canvas(640, 480);
        Chart chart;
        EXPECT_TRUE(chart.BeginPlotOnImage(&image, 640, 480, true, 1, Frame, Background));
        chart.AddPlotArea(0, 100, 0, 100, 60, 15, 10, 37);
        chart.XTimeAxis(Qt::black, title, start, start + seconds / 86400, false, 0, 0, 0, false,
                        timeLabels);
        chart.FinishPlot();
        return image;
    };
    struct Case {
        double seconds;
        bool timeLabels;
        const char *sameTitle;  // other text in the part not shown
        const char *otherTitle; // other text in the part shown
    };
    const Case cases[] = {{60, true, "Day|Time", "Date|Tim"},
                          {4 * 3600, true, "Day|Time", "Date|Tim"},
                          {30 * 86400, false, "Date|Hour", "Dat|Time"}};
    for (const Case &c : cases) {
        bool timeLabels = !c.timeLabels;
        const QImage image = draw(QStringLiteral("Date|Time"), c.seconds, timeLabels);
        EXPECT_EQ(timeLabels, c.timeLabels) << c.seconds;
        EXPECT_FALSE(InkBox(image.copy(0, 480 - 37, 640, 37)).isNull()) << c.seconds;
        EXPECT_EQ(image, draw(QString::fromLatin1(c.sameTitle), c.seconds, timeLabels));
        EXPECT_NE(image, draw(QString::fromLatin1(c.otherTitle), c.seconds, timeLabels));
    }
}

TEST(ChartPicture, TimeAxisMapsDateTimesAcrossThePlot)
{
    QImage image = Canvas(200, 200);
    Chart chart;
    ASSERT_TRUE(chart.BeginPlotOnImage(&image, 200, 200, true, 1, Frame, Background));
    chart.AddPlotArea(0, 100, 0, 100, 20, 19, 20, 19);
    const double start = 45000.25;
    bool timeLabels = false;
    // A one-second span is shown as two seconds around its middle.
    chart.XTimeAxis(Qt::black, QStringLiteral("Time"), start, start + 1 / 86400.0, false, 0, 0, 0,
                    false, timeLabels);
    chart.YAxis(Qt::black, QString(), 1, 0, 100, 0, 0, false, false, true);
    chart.SetPenColor(Series);
    chart.MoveToPoint(start + 0.5 / 86400, 0);
    chart.LineToPoint(start + 0.5 / 86400, 100);
    chart.FinishPlot();
    EXPECT_TRUE(IsSeries(image, 100, 60));
}

TEST(ChartPicture, FinishPlotReleasesTheImage)
{
    QImage image = Canvas(50, 50);
    Chart chart;
    ASSERT_TRUE(chart.BeginPlotOnImage(&image, 50, 50, true, 1, Frame, Background));
    chart.FinishPlot();
    QPainter other;
    EXPECT_TRUE(other.begin(&image));
    other.end();
    // Calls after the end draw nothing and do not crash.
    chart.SetPenColor(Series);
    chart.LineToPoint(40, 40);
    chart.PlotText(Series, QStringLiteral("H"), 1, 10, 10, 1, 0);
    EXPECT_EQ(CountSeries(image, image.rect()), 0);
}

TEST(ChartPicture, NullImageIsRefused)
{
    QImage image;
    Chart chart;
    EXPECT_FALSE(chart.BeginPlotOnImage(&image, 50, 50, true, 1, Frame, Background));
    EXPECT_FALSE(chart.BeginPlotOnControl(nullptr, Background, Frame, 1));
    chart.AddPlotArea(0, 100, 0, 100, 1, 1, 1, 1);
    chart.FinishPlot();
}

} // namespace
} // namespace vantor
