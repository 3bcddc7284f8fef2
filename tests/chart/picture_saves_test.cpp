// Histogram and graph pictures written to files and read back.
#include "picture_saves.h"

#include "device_fixtures.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>
#include <cmath>

namespace vantor {
namespace {

TDevice MeasuredDevice()
{
    TDevice device = test::StationDevice();
    std::array<int, HistogramBinCount> bins{};
    for (int i = 40; i < 90; ++i)
        bins[static_cast<std::size_t>(i)] = 100 - std::abs(i - 62) * 4;
    test::SetHistogram(device, bins);
    test::FillHistory(device, 0, 600,
                      [](int i) { return 60 + 10 * static_cast<float>(std::sin(i / 30.0)); });
    return device;
}

GraphOptions SingleValue(int column)
{
    GraphOptions options;
    options.column = column;
    options.xAxis = EntireFile;
    return options;
}

TEST(PictureSaves, FormatByExtensionAtTheRequestedSize)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const TDevice device = MeasuredDevice();
    struct Case {
        int graphExt;
        int width, height;
        bool jpeg;
    };
    const Case cases[] = {{1, 640, 480, true}, {0, 80, 60, false}, {0, 1600, 1200, false}};
    for (const Case &c : cases) {
        const QString ending = PictureExtension(c.graphExt);
        const QString histogram = dir.filePath(QStringLiteral("Radio One - histogram") + ending);
        const QString graph = dir.filePath(QStringLiteral("Radio One - MAX") + ending);
        ASSERT_TRUE(SaveHistogramPicture(histogram, device, {}, c.width, c.height));
        ASSERT_TRUE(SaveGraphPicture(graph, device, SingleValue(0), c.width, c.height));
        for (const QString &path : {histogram, graph}) {
            const QByteArray bytes = test::readAll(path);
            EXPECT_TRUE(bytes.startsWith(c.jpeg ? QByteArray("\xFF\xD8\xFF") : QByteArray("BM")))
                << path.toStdString();
            const QImage back(path);
            EXPECT_EQ(back.size(), QSize(c.width, c.height)) << path.toStdString();
        }
    }
}

TEST(PictureSaves, BitmapHoldsExactlyTheDrawnPicture)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const TDevice device = MeasuredDevice();
    const HistogramOptions accumulated{80, 2, true};

    QImage histogram(500, 300, QImage::Format_RGB32);
    DrawHistogram(ChartTarget{&histogram, DrawMode::Image, 500, 300}, device, accumulated);
    const QString histogramFile = dir.filePath(QStringLiteral("h.bmp"));
    ASSERT_TRUE(SaveHistogramPicture(histogramFile, device, accumulated, 500, 300));
    EXPECT_EQ(QImage(histogramFile).convertToFormat(QImage::Format_RGB32), histogram);

    QImage graph(500, 300, QImage::Format_RGB32);
    DrawGraph(ChartTarget{&graph, DrawMode::Image, 500, 300}, device, SingleValue(0));
    const QString graphFile = dir.filePath(QStringLiteral("g.bmp"));
    ASSERT_TRUE(SaveGraphPicture(graphFile, device, SingleValue(0), 500, 300));
    EXPECT_EQ(QImage(graphFile).convertToFormat(QImage::Format_RGB32), graph);
}

TEST(PictureSaves, GraphWithoutSamplesIsSavedBlank)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("blank.bmp"));
    GraphOptions threeValues;
    threeValues.values = {0, 5, 9};
    ASSERT_TRUE(SaveGraphPicture(path, test::StationDevice(), threeValues, 64, 48));
    const QImage back(path);
    ASSERT_EQ(back.size(), QSize(64, 48));
    for (const QPoint p : {QPoint(0, 0), QPoint(32, 24), QPoint(63, 47)})
        EXPECT_EQ(back.pixelColor(p), QColor(Qt::white));
}

TEST(PictureSaves, FailuresAreReportedNotThrown)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const TDevice device = MeasuredDevice();
    const QString missingFolder = dir.filePath(QStringLiteral("missing/p.jpg"));
    EXPECT_FALSE(SaveHistogramPicture(missingFolder, device, {}, 640, 480));
    EXPECT_FALSE(SaveGraphPicture(missingFolder, device, SingleValue(0), 640, 480));
    const QString sizeless = dir.filePath(QStringLiteral("p.bmp"));
    EXPECT_FALSE(SaveHistogramPicture(sizeless, device, {}, 0, 480));
    EXPECT_FALSE(SaveGraphPicture(sizeless, device, SingleValue(0), 640, -1));
    EXPECT_FALSE(QFile::exists(sizeless));
}

} // namespace
} // namespace vantor
