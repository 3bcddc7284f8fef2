#include "picture_saves.h"

#include "image_file.h"

#include <QImage>

namespace vantor {

namespace {

// A cleared image of the size, drawn on by draw; null for a size no image can
// have.
template <typename Draw> QImage DrawnPicture(int width, int height, Draw draw)
{
    if (width < 1 || height < 1)
        return {};
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    image.fill(Qt::white);
    draw(ChartTarget{&image, DrawMode::Image, width, height});
    return image;
}

bool SavePicture(const QString &fileName, const QImage &image)
{
    return !image.isNull() && SaveImageFile(image, fileName);
}

} // namespace

QImage HistogramPicture(const TDevice &device, const HistogramOptions &options, int width,
                        int height)
{
    return DrawnPicture(width, height,
                        [&](const ChartTarget &target) { DrawHistogram(target, device, options); });
}

QImage GraphPicture(const TDevice &device, const GraphOptions &options, int width, int height)
{
    return DrawnPicture(width, height,
                        [&](const ChartTarget &target) { DrawGraph(target, device, options); });
}

bool SaveHistogramPicture(const QString &fileName, const TDevice &device,
                          const HistogramOptions &options, int width, int height)
{
    return SavePicture(fileName, HistogramPicture(device, options, width, height));
}

bool SaveGraphPicture(const QString &fileName, const TDevice &device, const GraphOptions &options,
                      int width, int height)
{
    return SavePicture(fileName, GraphPicture(device, options, width, height));
}

QString PictureExtension(int graphExt)
{
    return graphExt == 1 ? QStringLiteral(".jpg") : QStringLiteral(".bmp");
}

} // namespace vantor
