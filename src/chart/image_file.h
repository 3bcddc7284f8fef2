// Saving pictures by file name: ".jpg" or ".jpeg" (any letter case) gives a
// JPEG of quality 95, any other name an uncompressed bitmap.
#pragma once

#include <QImage>
#include <QString>

namespace vantor {

// True when the file was written; when it was not, no part of it is left.
bool SaveImageFile(const QImage &image, const QString &fileName);

} // namespace vantor
