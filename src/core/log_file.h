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
    // AppendLater, ReplaceLater: as Append and Replace, but the file is opened
    // only by create() (or by close, at the latest); lines written until then
    // are kept here, so a caller that opens many files at once can spread the
    // opening over time without losing a line.
    enum class Open { Append, Replace, AppendLater, ReplaceLater };

    // Opens path for appending (or empty, replacing what was there), creating
    // it when missing. Check isOpen().
    explicit LogFile(const QString &path, Open how = Open::Append);
    ~LogFile();
    LogFile(const LogFile &) = delete;
    LogFile &operator=(const LogFile &) = delete;

    // True as well while the file waits to be made.
    bool isOpen() const { return m_file.isOpen() || m_awaitsCreation; }
    bool awaitsCreation() const { return m_awaitsCreation; }
    // Opens a file that waits to be opened; false when it cannot be opened
    // (then the lines kept are dropped and errorString() says why). True at
    // once for any other file.
    bool create();
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
    // Flushes and closes (making the file first if it waits to be made);
    // false when what was pending could not be written.
    bool close();

private:
    QString m_path;
    QFile m_file;
    QByteArray m_pending;
    bool m_awaitsCreation = false;
    QIODevice::OpenMode m_openMode;
};

} // namespace vantor
