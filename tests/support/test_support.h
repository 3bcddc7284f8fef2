// Small helpers shared by the test suites: file reading and waiting on the
// event loop for a condition instead of sleeping.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <ostream>

// Readable failure messages for Qt texts (found by argument-dependent lookup).
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QByteArray &b, std::ostream *os)
{
    *os << '"' << b.toStdString() << '"';
}
inline void PrintTo(const QStringList &l, std::ostream *os)
{
    *os << '[' << l.join(QStringLiteral(" | ")).toStdString() << ']';
}

namespace vantor::test {

// Runs the event loop until pred() holds or timeoutMs passes; returns pred().
bool waitFor(const std::function<bool()> &pred, int timeoutMs = 5000);

QByteArray readAll(const QString &path);
bool writeAll(const QString &path, const QByteArray &data);
// Writes a small file and dates its last write back (or forward) to written.
bool writeAllWrittenAt(const QString &path, const QDateTime &written);

// Directory of the built executables (vantor, analyzer-sim).
QString binDir();

// Writes an executable shell script that records its arguments (each followed
// by "|", one line) and its working folder (a second line) in the file record,
// which appears whole.
bool WriteRecordingScript(const QString &script, const QString &record);

} // namespace vantor::test
