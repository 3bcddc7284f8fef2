#include "platform_utils.h"

#include "clock.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <limits>

namespace vantor {

QString GetWindowsFolder()
{
#ifdef Q_OS_WIN
    return qEnvironmentVariable("SystemRoot");
#else
    return {};
#endif
}

QString ZeroPad(int n, int width)
{
    QString s = QString::number(n);
    while (s.size() < width)
        s.prepend(QLatin1Char('0'));
    return s;
}

bool IsBitSet(std::uint32_t value, int number)
{
    const int bit = ((number % 32) + 32) % 32;
    return (value >> bit) & 1U;
}

QString DataFolderName(const QString &programPath)
{
    // Both separators count, so a path from either kind of system reads the same.
    auto lastSeparator = [](const QString &path) {
        return std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    };
    const qsizetype slash = lastSeparator(programPath);
    const QString folder = slash >= 0 ? programPath.left(slash) : QString();
    // A root is never the folder's name: "C:\" (a separator before position 3)
    // on a drive, "/" at the very start otherwise.
    const bool drive = folder.size() >= 2 && folder[1] == QLatin1Char(':');
    const qsizetype found = lastSeparator(folder);
    QString name;
    if (found >= (drive ? 2 : 0))
        name = folder.mid(found + 1);
    if (name.isEmpty()) {
        name = programPath.mid(slash + 1);
        name.replace(QLatin1Char('.'), QLatin1Char('_'));
    }
    return name;
}

QString GetDataFolder(bool create, const QString &baseFolder, const QString &exeFolder,
                      const QString &programPath)
{
    if (baseFolder.isEmpty())
        return exeFolder;
    QString path = QDir::toNativeSeparators(baseFolder);
    if (!path.endsWith(QDir::separator()))
        path += QDir::separator();
    path += DataFolderName(programPath);
    if (create && !QFileInfo::exists(path))
        QDir().mkpath(path);
    return path + QDir::separator();
}

int GetOSVersionCode()
{
    return 9;
}

QString SafeFileName(const QString &name)
{
    static const QString bad = QStringLiteral("*?/\\#%:|\"<>^");
    const auto dotOrBlank = [](QChar c) { return c == QLatin1Char('.') || c == QLatin1Char(' '); };
    const bool onlyDotsAndBlanks = std::all_of(name.cbegin(), name.cend(), dotOrBlank);
    QString out = name;
    for (QChar &c : out) {
        if (c.unicode() < 32 || bad.contains(c) || (onlyDotsAndBlanks && dotOrBlank(c)))
            c = QLatin1Char('_');
    }
    return out;
}

namespace {
// The name part of a data file name, made safe on its own: a name of only
// dots and blanks, or none at all, would otherwise give a hidden or nameless
// file whatever ending follows it.
QString SafeNamePart(const QString &name)
{
    return name.isEmpty() ? QStringLiteral("_") : SafeFileName(name);
}
} // namespace

QString DataFileName(const QString &name, const QString &ending)
{
    QString head = SafeNamePart(name);
    const QString tail = SafeFileName(ending);
    const auto bytes = [](const QString &text) { return QFile::encodeName(text).size(); };
    qsizetype room = MaxFileNameBytes - bytes(tail);
    if (bytes(head) <= room)
        return head + tail;
    // Cut by code points so that no half of a surrogate pair is left behind.
    qsizetype keep = 0;
    for (qsizetype i = 0; i < head.size();) {
        const qsizetype step = head[i].isHighSurrogate() && i + 1 < head.size() ? 2 : 1;
        room -= bytes(head.mid(i, step));
        if (room < 0)
            break;
        i += step;
        keep = i;
    }
    head.truncate(keep);
    // What is left may be dots and blanks only.
    return SafeNamePart(head) + tail;
}

bool BadEmailAddress(const QString &address)
{
    const qsizetype at = address.indexOf(QLatin1Char('@'));
    if (at < 1)
        return true;
    const QString domain = address.mid(at + 1);
    const qsizetype dot = domain.indexOf(QLatin1Char('.'));
    return dot < 1 || dot == domain.size() - 1;
}

int StrToIntDefault(QStringView text, int def)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i] == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    int base = 10;
    if (i < n && text[i] == QLatin1Char('$')) {
        base = 16;
        ++i;
    } else if (i + 1 < n && text[i] == QLatin1Char('0') &&
               (text[i + 1] == QLatin1Char('x') || text[i + 1] == QLatin1Char('X'))) {
        base = 16;
        i += 2;
    }
    if (i >= n)
        return def;
    quint64 value = 0;
    // Hexadecimal may use all 32 bits (FFFFFFFF is -1); decimal must fit a
    // signed 32-bit integer.
    const quint64 limit = base == 16 ? 0xFFFFFFFFULL
                                     : (negative ? quint64(std::numeric_limits<int>::max()) + 1
                                                 : quint64(std::numeric_limits<int>::max()));
    for (; i < n; ++i) {
        const char16_t c = text[i].unicode();
        int digit;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (base == 16 && c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (base == 16 && c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else
            return def;
        value = value * base + quint64(digit);
        if (value > limit)
            return def;
    }
    if (base == 16) {
        // The sign negates the 32 bits, wrapping as they do: "-$80000000" is
        // itself, which no int negation can give.
        const auto bits = static_cast<quint32>(value);
        return static_cast<qint32>(negative ? 0u - bits : bits);
    }
    return negative ? static_cast<int>(-static_cast<qint64>(value)) : static_cast<int>(value);
}

double UtcNow(const Clock &clock)
{
    return clock.utcNow();
}

void DeleteFilesOlderThan(const QString &folder, int days, const QString &pattern,
                          const Clock &clock)
{
    const QDateTime now = clock.currentDateTime();
    // On the classic system "*.*" matches every name, dotted or not.
    const QString mask = pattern == QLatin1String("*") ? pattern : QStringLiteral("*.") + pattern;
    QDir dir(folder);
    // Walked one entry at a time: an archive folder of a busy station holds
    // hundreds of thousands of files, too many to list in memory at once.
    QDirIterator files(folder, {mask},
                       QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    while (files.hasNext()) {
        files.next();
        const QFileInfo fi = files.fileInfo();
        const QDateTime written = fi.lastModified();
        const qint64 ageDays = written.msecsTo(now) / 86400000;
        if (ageDays > days && written < now)
            QFile::remove(fi.absoluteFilePath());
    }
    const QFileInfoList subfolders = dir.entryInfoList(
        {mask}, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    for (const QFileInfo &fi : subfolders)
        DeleteFilesOlderThan(fi.absoluteFilePath() + QDir::separator(), days, QStringLiteral("*"),
                             clock);
}

} // namespace vantor
