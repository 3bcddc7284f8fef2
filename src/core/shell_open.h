// Starts a file the way a desktop's "open" does: a program runs with the given
// parameters in the given folder, a document opens in its application.
#pragma once

#include <QString>

namespace vantor {

// False when nothing could be started.
bool ShellOpen(const QString &file, const QString &parameters, const QString &workingFolder);

// Whether ShellOpen hands its parameters on: a program gets them; a document
// opened by the desktop's opener does not, as that opener takes none.
bool ShellOpenPassesParameters(const QString &file);

} // namespace vantor
