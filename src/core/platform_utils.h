// Small stateless helpers used all over the program: folders, file names,
// e-mail address checks, integer parsing, the UTC clock reading and the
// clean-up of old files.
#pragma once

#include <QString>
#include <cstdint>

namespace vantor {

class Clock;

// The operating system's own folder; empty where there is none.
QString GetWindowsFolder();

// Decimal text of n with "0" prepended until it is at least width long.
QString ZeroPad(int n, int width);

// True when bit (number modulo 32) of value is set.
bool IsBitSet(std::uint32_t value, int number);

// Name of the data folder: the name of the folder the program lives in, or the
// program's file name with "." turned into "_" when it lives in a root.
QString DataFolderName(const QString &programPath);

// Per-user data folder (ending with a separator), created when asked for and
// missing. baseFolder is the per-user application data location; when it is
// empty the result is exeFolder.
QString GetDataFolder(bool create, const QString &baseFolder, const QString &exeFolder,
                      const QString &programPath);

// 9 everywhere but on the classic desktop system the codes were made for.
int GetOSVersionCode();

// Replaces characters that cannot appear in file names by "_"; length unchanged.
// A name made only of dots and blanks ("." and ".." among them) would name the
// folder itself, its parent or, on some systems, nothing; its dots and blanks
// all become "_".
QString SafeFileName(const QString &name);

// Longest file name, in bytes of its encoded form, that the file systems in use
// accept for one path component.
inline constexpr int MaxFileNameBytes = 255;

// SafeFileName(name) + SafeFileName(ending), an empty name taken as "_", with
// name cut (whole characters, from its end) so that the encoded result fits
// MaxFileNameBytes; ending is kept whole. Data files are named this way so a
// long station or device name still gives a file that can be made, and one
// of only dots and blanks a file that can be seen.
QString DataFileName(const QString &name, const QString &ending);

// True when the text is not acceptable as an e-mail address.
bool BadEmailAddress(const QString &address);

// The 32-bit integer written in text (blanks, sign, "$"/"0x" hexadecimal), or
// def when the text is not such an integer.
int StrToIntDefault(QStringView text, int def);

// Current UTC date-time as a day count since 1899-12-30.
double UtcNow(const Clock &clock);

// Deletes, recursively, plain files under folder older than days whole days.
// Folders are never deleted; undeletable files are skipped.
void DeleteFilesOlderThan(const QString &folder, int days, const QString &pattern,
                          const Clock &clock);

} // namespace vantor
