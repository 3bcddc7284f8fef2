// One private-profile INI file held in memory: the format of "devices.ini",
// "stations.ini", "alarms.ini" and "config.ini". Reads and writes behave like
// the classic key-by-key profile calls; UpdateFile puts the result on disk in
// one piece.
//
// How lines are read (the file is 8-bit text, lines end with CR LF or LF, the
// last line may lack its ending):
// - Blanks (spaces and tabs) around a line, a section name, a key name and a
//   value do not count.
// - A line whose first character is ";" is a comment; an empty line is blank.
//   Both belong to no key and are kept as they are.
// - A line starting with "[" and holding a "]" opens a section; its name is
//   the text between the "[" and the last "]". A "[" line without "]" is an
//   ordinary key line.
// - Any other line is a key line: the name is the text before the first "=",
//   the value everything after it (further "=" belong to the value). A key
//   line without "=" names a key that has no value; reading it yields the
//   default.
// - Lines before the first section belong to no section and are never read.
// - Section and key names are compared without regard to letter case. When a
//   section or a key occurs twice, the first one is read and written; later
//   ones are kept but never reached.
// - A value enclosed in a matching pair of double quotes or single quotes (the
//   first and last character of the trimmed value, two characters at least)
//   loses that pair; quotes anywhere else stay. At most 2047 characters are
//   returned, defaults included.
//
// How writes change the lines: an existing key's line is replaced where it
// stands ("name=value", the name spelt as in the file); a new key goes right
// after the last key line of its section (before blank lines and comments that
// end the section); a missing section is added at the end of the file. Nothing
// is ever removed, and every line not written keeps its bytes. A line break in
// a value is written as a blank, so that one value never becomes several lines.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

namespace vantor {

class IniFile
{
public:
    // Loads the file when it exists. A missing file reads as empty.
    explicit IniFile(const QString &path);

    const QString &path() const { return m_path; }

    QString ReadString(const QString &section, const QString &key, const QString &def) const;
    // The value as an integer: decimal with optional sign, or hexadecimal
    // after "0x", "0X" or "$"; def when it is anything else or missing.
    int ReadInteger(const QString &section, const QString &key, int def) const;
    // An integer; any non-zero value is true.
    bool ReadBool(const QString &section, const QString &key, bool def) const;

    // The section names in file order, each name once (as first spelt).
    QStringList SectionNames() const;

    void WriteString(const QString &section, const QString &key, const QString &value);
    void WriteInteger(const QString &section, const QString &key, int value);
    void WriteBool(const QString &section, const QString &key, bool value);

    // Who may read the file once written: Kept leaves an existing file's
    // permissions as they are (a new file gets the usual ones); OwnerOnly is
    // for a file that holds a secret: read and write for the owner alone, or
    // less when the existing file allowed less.
    enum class Access { Kept, OwnerOnly };

    // Writes the whole content, every line ended by CR LF, into a temporary
    // file in the same folder, flushes it to disk and renames it over the
    // file, so a crash or a full disk leaves either the old or the new file,
    // never a mixture. The permissions are set on the temporary file, so the
    // content is never readable by more than access allows. False when that
    // fails (nothing is left behind), and also when the file existed but could
    // not be read at construction: overwriting it would erase settings this
    // object never saw.
    bool UpdateFile(Access access = Access::Kept);

private:
    // The lines of one section, its header line first.
    struct Section {
        QStringList lines;
        qsizetype lastKeyLine = 0;      // the header when the section has no key line
        QHash<QString, qsizetype> keys; // folded key name -> line of its first occurrence
    };

    const Section *Find(const QString &section) const;
    void Parse(const QString &text);
    QString Content() const;

    QString m_path;
    bool m_unreadable = false;
    QStringList m_preamble; // lines before the first section
    std::vector<Section> m_sections;
    QHash<QString, qsizetype> m_sectionIndex; // folded name -> first section of that name
};

} // namespace vantor
