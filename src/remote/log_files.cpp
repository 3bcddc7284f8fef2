#include "log_files.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace vantor {

namespace {
const QString AppLogs = QStringLiteral("AppLogs");
const QString StationLogs = QStringLiteral("StationLogs");
const QString Recent = QStringLiteral("Recent");

// Files and folders of one folder, never through a link.
QFileInfoList Listed(const QString &folder, QDir::Filters what)
{
    return QDir(folder).entryInfoList(what | QDir::NoSymLinks | QDir::NoDotAndDotDot, QDir::Name);
}

// "Tx Site - 2026-12-10.log" -> "Tx Site"; "City FM - 2026-12-10 18-00-00.csv"
// -> "City FM"; "City FM.csv" -> "City FM".
QString SubjectOf(const QString &fileName)
{
    const QString base = QFileInfo(fileName).completeBaseName();
    const qsizetype dash = base.lastIndexOf(QLatin1String(" - "));
    return dash > 0 ? base.left(dash) : base;
}

std::optional<LogFileKind> StationLogKind(const QString &fileName)
{
    if (fileName.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
        return LogFileKind::Csv;
    if (fileName.endsWith(QLatin1String(".lumex"), Qt::CaseInsensitive))
        return LogFileKind::Rds;
    return std::nullopt;
}

class Lister
{
public:
    explicit Lister(const QString &dataFolder) : m_root(QDir(dataFolder).canonicalPath()) {}

    void Add(const QFileInfo &file, const QString &name, LogFileKind kind, const QString &subject,
             bool current)
    {
        // The folders were listed without links; a file whose real place is
        // elsewhere (a bind mount, a rename between listings) is left out.
        const QString real = file.canonicalFilePath();
        if (m_root.isEmpty() || !real.startsWith(m_root + QLatin1Char('/')) || !file.isFile() ||
            m_files.size() >= MaxListedLogFiles)
            return;
        m_files.append({name, kind, subject, current, file.size(), file.lastModified().toUTC(),
                        file.absoluteFilePath()});
    }

    void StationFolder(const QString &folder, const QString &prefix, const QString &subject,
                       bool current)
    {
        for (const QFileInfo &file : Listed(folder, QDir::Files))
            if (const auto kind = StationLogKind(file.fileName()))
                Add(file, prefix + file.fileName(), *kind,
                    subject.isEmpty() ? SubjectOf(file.fileName()) : subject, current);
    }

    QString root() const { return m_root; }
    QList<LogFileEntry> files() const { return m_files; }

private:
    QString m_root;
    QList<LogFileEntry> m_files;
};
} // namespace

QString LogFileKindName(LogFileKind kind)
{
    switch (kind) {
    case LogFileKind::Activity:
        return QStringLiteral("activity");
    case LogFileKind::Csv:
        return QStringLiteral("csv");
    case LogFileKind::Rds:
        return QStringLiteral("rds");
    }
    return {};
}

std::optional<LogFileKind> LogFileKindFromName(const QString &name)
{
    for (const LogFileKind kind : {LogFileKind::Activity, LogFileKind::Csv, LogFileKind::Rds})
        if (LogFileKindName(kind) == name)
            return kind;
    return std::nullopt;
}

QList<LogFileEntry> ListLogFiles(const QString &dataFolder)
{
    Lister lister(dataFolder);
    if (lister.root().isEmpty())
        return {};
    const QDir root(lister.root());
    static const QRegularExpression activityName(
        QStringLiteral("^(.+) - \\d{4}-\\d{2}-\\d{2}\\.log$"));
    // Only the top folders named here are looked at, and only if they are
    // folders of their own, not links to somewhere else.
    for (const QFileInfo &top : Listed(root.path(), QDir::Dirs)) {
        if (top.fileName() == AppLogs) {
            for (const QFileInfo &file : Listed(top.filePath(), QDir::Files)) {
                const auto match = activityName.match(file.fileName());
                if (match.hasMatch())
                    lister.Add(file, AppLogs + QLatin1Char('/') + file.fileName(),
                               LogFileKind::Activity, match.captured(1), false);
            }
        } else if (top.fileName() == StationLogs) {
            const QString prefix = StationLogs + QLatin1Char('/');
            lister.StationFolder(top.filePath(), prefix, QString(), false);
            for (const QFileInfo &sub : Listed(top.filePath(), QDir::Dirs)) {
                const bool recent = sub.fileName() == Recent;
                lister.StationFolder(sub.filePath(), prefix + sub.fileName() + QLatin1Char('/'),
                                     recent ? QString() : sub.fileName(), recent);
            }
        }
    }
    QList<LogFileEntry> files = lister.files();
    std::stable_sort(files.begin(), files.end(), [](const LogFileEntry &a, const LogFileEntry &b) {
        return a.modified > b.modified;
    });
    return files;
}

QList<LogFileEntry> FilterLogFiles(const QList<LogFileEntry> &files, const LogFileFilter &filter)
{
    QList<LogFileEntry> kept;
    for (const LogFileEntry &file : files)
        if ((filter.subject.isEmpty() || file.subject == filter.subject) &&
            (!filter.kind || file.kind == *filter.kind))
            kept.append(file);
    return kept;
}

std::optional<LogFileEntry> FindLogFile(const QList<LogFileEntry> &files,
                                        const QString &requestedName)
{
    for (const LogFileEntry &file : files)
        if (file.name == requestedName)
            return file;
    return std::nullopt;
}

std::unique_ptr<QFile> OpenListedLogFile(const LogFileEntry &entry, QString *error)
{
    const int fd =
        ::open(QFile::encodeName(entry.path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        *error = entry.path + QStringLiteral(": ") + QString::fromLocal8Bit(strerror(errno));
        return nullptr;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        *error = entry.path + QStringLiteral(": no longer a plain file");
        return nullptr;
    }
    auto file = std::make_unique<QFile>();
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        *error = entry.path + QStringLiteral(": ") + file->errorString();
        return nullptr;
    }
    return file;
}

QByteArray LogFilesJson(const QList<LogFileEntry> &files)
{
    QJsonArray list;
    for (const LogFileEntry &file : files)
        list.append(QJsonObject{
            {QStringLiteral("name"), file.name},
            {QStringLiteral("kind"), LogFileKindName(file.kind)},
            {QStringLiteral("subject"), file.subject},
            {QStringLiteral("current"), file.current},
            {QStringLiteral("size"), file.size},
            {QStringLiteral("modified"), file.modified.toString(Qt::ISODateWithMs)},
        });
    return QJsonDocument(QJsonObject{{QStringLiteral("files"), list}})
        .toJson(QJsonDocument::Compact);
}

QByteArray ContentDispositionFor(const LogFileEntry &entry)
{
    const QString fileName = QFileInfo(entry.name).fileName();
    QByteArray ascii;
    for (const QChar c : fileName) {
        const char16_t u = c.unicode();
        ascii += (u >= 0x20 && u < 0x7f && u != '"' && u != '\\') ? char(u) : '_';
    }
    return "attachment; filename=\"" + ascii + "\"; filename*=UTF-8''" +
           fileName.toUtf8().toPercentEncoding();
}

} // namespace vantor
