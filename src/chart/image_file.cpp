#include "image_file.h"

#include <QFile>

namespace vantor {

bool SaveImageFile(const QImage &image, const QString &fileName)
{
    const QString upper = fileName.toUpper();
    const bool jpeg =
        upper.endsWith(QLatin1String(".JPG")) || upper.endsWith(QLatin1String(".JPEG"));
    if (image.save(fileName, jpeg ? "JPEG" : "BMP", jpeg ? 95 : -1))
        return true;
    // A picture that could not be written whole (a full disk) leaves no empty
    // or cut file. Not written aside and renamed: a name of full length has no
    // room for a temporary ending.
    QFile::remove(fileName);
    return false;
}

} // namespace vantor
