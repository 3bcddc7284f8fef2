// The log files a browser may list and download: the devices' activity logs
// in AppLogs, and the CSV and RDS logs in StationLogs (those being written in
// Recent, the archived ones beside it or in a folder per station). They are
// found by listing those folders only; a download is resolved by finding the
// requested name in a fresh listing, so a request's text never becomes part of
// a path, and links are never followed.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

namespace vantor {

enum class LogFileKind { Activity, Csv, Rds };

struct LogFileEntry {
    // The name a download asks for: the path below the data folder with '/'
    // between folders, e.g. "StationLogs/Recent/City FM.csv".
    QString name;
    LogFileKind kind = LogFileKind::Csv;
    // The device (activity log) or station (CSV, RDS log) it belongs to.
    QString subject;
    bool current = false; // still being written: in Recent
    qint64 size = 0;
    QDateTime modified; // UTC
    QString path;       // absolute, as listed
};

struct LogFileFilter {
    QString subject; // empty: all
    std::optional<LogFileKind> kind;
};

inline constexpr int MaxListedLogFiles = 20000;

// "activity", "csv", "rds".
QString LogFileKindName(LogFileKind kind);
std::optional<LogFileKind> LogFileKindFromName(const QString &name);

// Every log file below dataFolder, newest first, at most MaxListedLogFiles.
// Reads only folder listings; safe to run away from the engine's thread.
QList<LogFileEntry> ListLogFiles(const QString &dataFolder);
QList<LogFileEntry> FilterLogFiles(const QList<LogFileEntry> &files, const LogFileFilter &filter);

// The entry whose name is exactly requestedName, if any.
std::optional<LogFileEntry> FindLogFile(const QList<LogFileEntry> &files,
                                        const QString &requestedName);

// The listed file opened for reading, refusing it when it has become a link
// or anything but a plain file since it was listed; nothing with error set
// otherwise.
std::unique_ptr<QFile> OpenListedLogFile(const LogFileEntry &entry, QString *error);

// {"files":[...]}: name, kind, subject, current, size, modified.
QByteArray LogFilesJson(const QList<LogFileEntry> &files);

// The Content-Disposition of a download: the file's own name, in ASCII with
// anything else replaced, and exactly as UTF-8 in filename*.
QByteArray ContentDispositionFor(const LogFileEntry &entry);

} // namespace vantor
