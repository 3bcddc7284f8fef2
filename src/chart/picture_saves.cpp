#include "picture_saves.h"

#include "image_file.h"

#include <QImage>

namespace vantor {

namespace {

// A cleared image of the size, drawn on by draw and saved; nothing is written
// for a size no image can have.
template <typename Draw> bool SavePicture(const QString &fileName, int width, int height, Draw draw)
{
    if (width < 1 || height < 1)
        return false;
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return false;
    image.fill(Qt::white);
    draw(ChartTarget{&image, DrawMode::Image, width, height});
    return SaveImageFile(image, fileName);
}

} // namespace

bool SaveHistogramPicture(const QString &fileName, const TDevice &device,
                          const HistogramOptions &options, int width, int height)
{
    return SavePicture(fileName, width, height,
                       [&](const ChartTarget &target) { DrawHistogram(target, device, options); });
}

bool SaveGraphPicture(const QString &fileName, const TDevice &device, const GraphOptions &options,
                      int width, int height)
{
    return SavePicture(fileName, width, height,
                       [&](const ChartTarget &target) { DrawGraph(target, device, options); });
}

QString PictureExtension(int graphExt)
{
    return graphExt == 1 ? QStringLiteral(".jpg") : QStringLiteral(".bmp");
}

} // namespace vantor
