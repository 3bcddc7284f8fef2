#include "image_file.h"

#include <QSaveFile>

namespace vantor {

bool SaveImageFile(const QImage &image, const QString &fileName)
{
    const QString upper = fileName.toUpper();
    const bool jpeg =
        upper.endsWith(QLatin1String(".JPG")) || upper.endsWith(QLatin1String(".JPEG"));
    // Written aside and renamed: a picture that cannot be written whole (a
    // full disk) leaves no empty or cut file, and the one before it stays.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (!image.save(&file, jpeg ? "JPEG" : "BMP", jpeg ? 95 : -1)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace vantor
