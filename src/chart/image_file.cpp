#include "image_file.h"

namespace vantor {

bool SaveImageFile(const QImage &image, const QString &fileName)
{
    const QString upper = fileName.toUpper();
    if (upper.endsWith(QLatin1String(".JPG")) || upper.endsWith(QLatin1String(".JPEG")))
        return image.save(fileName, "JPEG", 95);
    return image.save(fileName, "BMP");
}

} // namespace vantor
