#include "process_figures.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>

#include <unistd.h>

namespace vantor {

namespace {
QByteArray ReadProcFile(const char *path)
{
    QFile file(QString::fromLatin1(path));
    // Files under /proc report no size: read until the end.
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The machine's boot time in seconds since the epoch ("btime" of /proc/stat).
double BootTime()
{
    for (const QByteArray &line : ReadProcFile("/proc/stat").split('\n')) {
        if (line.startsWith("btime "))
            return line.mid(6).trimmed().toDouble();
    }
    return 0;
}
} // namespace

ProcessFigures ReadProcessFigures()
{
    ProcessFigures figures;
    const QByteArray stat = ReadProcFile("/proc/self/stat");
    // The command name may hold blanks and parentheses: fields count from
    // after its closing parenthesis, starting with field 3 (state).
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0)
        return figures;
    const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
    if (fields.size() < 22)
        return figures;
    const double ticks = static_cast<double>(sysconf(_SC_CLK_TCK));
    const double pageSize = static_cast<double>(sysconf(_SC_PAGESIZE));
    figures.cpuSeconds = (fields[11].toDouble() + fields[12].toDouble()) / ticks;  // utime, stime
    figures.startTimeSeconds = BootTime() + fields[19].toDouble() / ticks;         // starttime
    figures.residentBytes = static_cast<qint64>(fields[21].toDouble() * pageSize); // rss
    figures.openFds =
        static_cast<int>(QDir(QStringLiteral("/proc/self/fd"))
                             .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
                             .size());
    figures.valid = true;
    return figures;
}

} // namespace vantor
