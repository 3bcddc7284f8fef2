#include "shell_open.h"

#include <QFileInfo>
#include <QProcess>

namespace vantor {

namespace {
bool IsProgram(const QFileInfo &info)
{
    return info.isExecutable() && info.isFile();
}
} // namespace

bool ShellOpen(const QString &file, const QString &parameters, const QString &workingFolder)
{
    const QFileInfo info(file);
    if (!info.exists())
        return false;
    // Parameters are one text, split like a command line, as the desktop does.
    const QStringList arguments = QProcess::splitCommand(parameters);
    if (IsProgram(info))
        return QProcess::startDetached(info.absoluteFilePath(), arguments, workingFolder);
#ifdef Q_OS_WIN
    return QProcess::startDetached(QStringLiteral("cmd"),
                                   QStringList{QStringLiteral("/c"), QStringLiteral("start"),
                                               QString(), info.absoluteFilePath()} +
                                       arguments,
                                   workingFolder);
#else
    return QProcess::startDetached(QStringLiteral("xdg-open"), QStringList{info.absoluteFilePath()},
                                   workingFolder);
#endif
}

bool ShellOpenPassesParameters(const QString &file)
{
#ifdef Q_OS_WIN
    Q_UNUSED(file);
    return true;
#else
    return IsProgram(QFileInfo(file));
#endif
}

} // namespace vantor
