#include "image_file.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace vantor {
namespace {

TEST(ImageFile, FormatFollowsTheNameOnly)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(QColor(10, 200, 30));
    struct Case {
        const char *name;
        bool jpeg;
    };
    const Case cases[] = {
        {"a.jpg", true},      {"b.JPEG", true}, {"c.Jpg", true},
        {"d.jpeG", true},     {"e.bmp", false}, {"f.png", false},
        {"g.jpg.png", false}, {"h", false},     {"i.jpgx", false},
    };
    for (const Case &c : cases) {
        const QString path = dir.filePath(QString::fromLatin1(c.name));
        ASSERT_TRUE(SaveImageFile(image, path)) << c.name;
        const QByteArray bytes = test::readAll(path);
        ASSERT_GE(bytes.size(), 34) << c.name;
        if (c.jpeg) {
            EXPECT_TRUE(bytes.startsWith("\xFF\xD8\xFF")) << c.name;
        } else {
            EXPECT_TRUE(bytes.startsWith("BM")) << c.name;
            // BITMAPINFOHEADER compression field: 0 is uncompressed.
            EXPECT_EQ(bytes.mid(30, 4), QByteArray(4, '\0')) << c.name;
        }
    }
}

TEST(ImageFile, JpegKeepsTheImageAtHighQuality)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(QColor(10, 200, 30));
    const QString path = dir.filePath(QStringLiteral("q.jpg"));
    ASSERT_TRUE(SaveImageFile(image, path));
    const QImage back(path);
    ASSERT_EQ(back.size(), image.size());
    const QColor c = back.pixelColor(32, 24);
    EXPECT_NEAR(c.red(), 10, 4);
    EXPECT_NEAR(c.green(), 200, 4);
    EXPECT_NEAR(c.blue(), 30, 4);
}

TEST(ImageFile, UnwritablePathFails)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::white);
    EXPECT_FALSE(SaveImageFile(image, dir.filePath(QStringLiteral("missing/x.jpg"))));
    EXPECT_FALSE(SaveImageFile(image, dir.filePath(QStringLiteral("missing/x.bmp"))));
}

} // namespace
} // namespace vantor
