#include "test_support.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

namespace vantor::test {

bool waitFor(const std::function<bool()> &pred, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!pred()) {
        if (deadline.hasExpired())
            return pred();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

bool writeAll(const QString &path, const QByteArray &data)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(data) == data.size();
}

bool WriteRecordingScript(const QString &script, const QString &record)
{
    const QByteArray r = record.toLocal8Bit();
    if (!writeAll(script, "#!/bin/sh\nprintf '%s|' \"$@\" > \"" + r + ".part\"\necho >> \"" + r +
                              ".part\"\npwd >> \"" + r + ".part\"\nmv \"" + r + ".part\" \"" + r +
                              "\"\n"))
        return false;
    return QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

bool writeAllWrittenAt(const QString &path, const QDateTime &written)
{
    if (!writeAll(path, "x"))
        return false;
    QFile f(path);
    return f.open(QIODevice::ReadWrite) &&
           f.setFileTime(written, QFileDevice::FileModificationTime);
}

QString binDir()
{
    return qEnvironmentVariable("VANTOR_BIN_DIR");
}

} // namespace vantor::test
