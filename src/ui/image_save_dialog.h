// The save dialog the three picture saves of the main window share (SDB).
#pragma once

#include <QString>

class QWidget;

namespace vantor {

// Asks for a picture file name: "jpg" by default, JPEG or bitmap filter,
// asking before overwriting an existing file. Empty when cancelled. The file
// is later written by its name's ending, whatever filter was chosen.
QString AskPictureFileName(QWidget *parent, const QString &folder);

} // namespace vantor
