#include "ini_file.h"

#include "platform_utils.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace vantor {

namespace {
constexpr qsizetype MaxValueLength = 2047;

bool IsBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

QString Trimmed(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

QString Folded(const QString &name)
{
    return name.toCaseFolded();
}

enum class LineKind { Blank, Comment, Section, Key };

struct Line {
    LineKind kind = LineKind::Blank;
    QString name;  // section or key name, trimmed
    QString value; // trimmed, before quote removal
    bool hasValue = false;
};

Line Classify(const QString &raw)
{
    Line line;
    const QString text = Trimmed(raw);
    if (text.isEmpty())
        return line;
    if (text.startsWith(QLatin1Char(';'))) {
        line.kind = LineKind::Comment;
        return line;
    }
    if (text.startsWith(QLatin1Char('['))) {
        const qsizetype close = text.lastIndexOf(QLatin1Char(']'));
        if (close > 0) {
            line.kind = LineKind::Section;
            line.name = Trimmed(text.mid(1, close - 1));
            return line;
        }
    }
    line.kind = LineKind::Key;
    const qsizetype equals = text.indexOf(QLatin1Char('='));
    if (equals < 0) {
        line.name = text;
        return line;
    }
    line.name = Trimmed(text.left(equals));
    line.value = Trimmed(text.mid(equals + 1));
    line.hasValue = true;
    return line;
}

QString WithoutQuotePair(const QString &value)
{
    if (value.size() >= 2 &&
        (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')) &&
        value.back() == value.front())
        return value.mid(1, value.size() - 2);
    return value;
}

bool SyncToDisk(int fd)
{
#ifdef Q_OS_WIN
    return _commit(fd) == 0;
#else
    return fsync(fd) == 0;
#endif
}

QString OneLine(QString value)
{
    value.replace(QLatin1Char('\r'), QLatin1Char(' '));
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return value;
}
} // namespace

IniFile::IniFile(const QString &path) : m_path(path)
{
    QFile file(m_path);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        m_unreadable = true;
        return;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        m_unreadable = true;
        return;
    }
    Parse(QString::fromLatin1(bytes));
}

void IniFile::Parse(const QString &text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    // A final line ending does not start another line.
    if (lines.back().isEmpty())
        lines.removeLast();
    Section *section = nullptr;
    for (QString &raw : lines) {
        if (raw.endsWith(QLatin1Char('\r')))
            raw.chop(1);
        const Line line = Classify(raw);
        if (line.kind == LineKind::Section) {
            m_sections.push_back(Section{{raw}, 0, {}});
            section = &m_sections.back();
            const QString folded = Folded(line.name);
            if (!m_sectionIndex.contains(folded))
                m_sectionIndex.insert(folded, qsizetype(m_sections.size()) - 1);
            continue;
        }
        if (!section) {
            m_preamble.append(raw);
            continue;
        }
        section->lines.append(raw);
        if (line.kind == LineKind::Key) {
            section->lastKeyLine = section->lines.size() - 1;
            const QString folded = Folded(line.name);
            if (!section->keys.contains(folded))
                section->keys.insert(folded, section->lastKeyLine);
        }
    }
}

const IniFile::Section *IniFile::Find(const QString &section) const
{
    const auto it = m_sectionIndex.constFind(Folded(section));
    return it == m_sectionIndex.cend() ? nullptr : &m_sections[it.value()];
}

QString IniFile::ReadString(const QString &section, const QString &key, const QString &def) const
{
    const Section *s = Find(section);
    if (!s)
        return def.left(MaxValueLength);
    const auto it = s->keys.constFind(Folded(key));
    if (it == s->keys.cend())
        return def.left(MaxValueLength);
    const Line line = Classify(s->lines[it.value()]);
    if (!line.hasValue)
        return def.left(MaxValueLength);
    return WithoutQuotePair(line.value).left(MaxValueLength);
}

int IniFile::ReadInteger(const QString &section, const QString &key, int def) const
{
    return StrToIntDefault(ReadString(section, key, QString()), def);
}

bool IniFile::ReadBool(const QString &section, const QString &key, bool def) const
{
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

QStringList IniFile::SectionNames() const
{
    QStringList names;
    for (qsizetype i = 0; i < qsizetype(m_sections.size()); ++i) {
        const QString name = Classify(m_sections[i].lines.front()).name;
        if (m_sectionIndex.value(Folded(name), -1) == i)
            names.append(name);
    }
    return names;
}

void IniFile::WriteString(const QString &section, const QString &key, const QString &value)
{
    const QString folded = Folded(section);
    auto found = m_sectionIndex.constFind(folded);
    if (found == m_sectionIndex.cend()) {
        m_sections.push_back(Section{{QLatin1Char('[') + section + QLatin1Char(']')}, 0, {}});
        found = m_sectionIndex.insert(folded, qsizetype(m_sections.size()) - 1);
    }
    Section &s = m_sections[found.value()];
    const QString text = OneLine(value);
    const auto it = s.keys.constFind(Folded(key));
    if (it != s.keys.cend()) {
        s.lines[it.value()] = Classify(s.lines[it.value()]).name + QLatin1Char('=') + text;
        return;
    }
    // Only blank and comment lines follow the last key line, so no recorded
    // key line moves.
    s.lastKeyLine += 1;
    s.lines.insert(s.lastKeyLine, key + QLatin1Char('=') + text);
    s.keys.insert(Folded(key), s.lastKeyLine);
}

void IniFile::WriteInteger(const QString &section, const QString &key, int value)
{
    WriteString(section, key, QString::number(value));
}

void IniFile::WriteBool(const QString &section, const QString &key, bool value)
{
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

QString IniFile::Content() const
{
    const QLatin1String crlf("\r\n");
    QString text;
    for (const QString &line : m_preamble)
        text += line + crlf;
    for (const Section &s : m_sections)
        for (const QString &line : s.lines)
            text += line + crlf;
    return text;
}

bool IniFile::UpdateFile(Access access)
{
    if (m_unreadable)
        return false;
    // Unbuffered, so that a short write (a full disk) shows in the count
    // instead of being lost in a buffer flushed at commit; and the file is
    // synced here because commit does not report a failed sync. QSaveFile
    // gives the temporary file the permissions of the file it replaces.
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (access == Access::OwnerOnly) {
        constexpr QFileDevice::Permissions ownerOnly =
            QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
            QFileDevice::WriteUser;
        const QFileInfo existing(m_path);
        if (!file.setPermissions(existing.exists() ? existing.permissions() & ownerOnly
                                                   : ownerOnly)) {
            file.cancelWriting();
            return false;
        }
    }
    const QByteArray bytes = Content().toLatin1();
    if (file.write(bytes) != bytes.size() || !SyncToDisk(file.handle())) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace vantor
