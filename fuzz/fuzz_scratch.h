// A scratch file for targets that need their input on disk, in memory-backed
// storage when the system has it (the INI module syncs every file it writes).
#pragma once

#include <QByteArray>
#include <QString>

namespace vantor::fuzz {

// The path of this process's scratch file (its folder exists).
QString ScratchPath();
// Replaces the scratch file's content; aborts when that fails.
void WriteScratch(const QByteArray &bytes);
QByteArray ReadScratch();

} // namespace vantor::fuzz
