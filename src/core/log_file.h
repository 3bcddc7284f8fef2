// An append-only text file written line by line, each line flushed at once so
// that nothing is lost when the process ends, unless the caller gathers lines
// for a later flush (which closing and destruction also do). Lines reach the
// file whole or not at all: a write cut short (a full disk, a size limit) is
// taken back.
#pragma once

#include <QFile>
#include <QString>

namespace vantor {

class LogFile
{
public:
    enum class Open { Append, Replace };

    // Opens path for appending (or empty, replacing what was there), creating
    // it when missing. Check isOpen().
    explicit LogFile(const QString &path, Open how = Open::Append);
    ~LogFile();
    LogFile(const LogFile &) = delete;
    LogFile &operator=(const LogFile &) = delete;

    bool isOpen() const { return m_file.isOpen(); }
    QString errorString() const { return m_file.errorString(); }
    const QString &path() const { return m_path; }

    enum class Flush { Now, Later };

    // Writes text (8-bit) followed by CR LF and flushes, unless told that a
    // flush() follows; false on any failure.
    bool writeLine(const QString &text, Flush when = Flush::Now);
    // Writes what is pending; when the file cannot take all of it, none of it
    // stays and false is returned.
    bool flush();
    // Writes text as it is and flushes; false on any failure.
    bool write(const QByteArray &bytes);
    // Flushes and closes; false when what was pending could not be written.
    bool close();

private:
    QString m_path;
    QFile m_file;
    QByteArray m_pending;
};

} // namespace vantor
