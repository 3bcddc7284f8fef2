#include "decoder_launch.h"

#include "shell_open.h"

#include <QFileInfo>

namespace vantor {

DecoderLaunchCheck CheckDecoderLaunch(bool outputOn, const QString &path, bool decoderRunning)
{
    if (!outputOn)
        return DecoderLaunchCheck::OutputOff;
    // A folder of that name is no program either.
    if (!QFileInfo(path).isFile())
        return DecoderLaunchCheck::FileMissing;
    if (decoderRunning)
        return DecoderLaunchCheck::AlreadyRunning;
    return DecoderLaunchCheck::Clear;
}

QString DecoderOutputOffMessage()
{
    return QStringLiteral("Enable the RDS output first in Preferences.");
}

QString DecoderMissingLine(const QString &path)
{
    return QStringLiteral("File ") + path + QStringLiteral(" does not exist");
}

QString DecoderAnotherInstanceQuestion()
{
    return QStringLiteral(
        "An instance of the RDS Lumex is already running. Run another instance now?");
}

int DecoderLaunchDevice(bool startUp, int monitoringDevice, int selectedDevice)
{
    return startUp ? monitoringDevice : selectedDevice;
}

QString DecoderParameters(int port)
{
    return QStringLiteral("STREAM:127.0.0.1:") + QString::number(port);
}

bool StartDecoder(const QString &path, int port)
{
    const QFileInfo program(path);
    return ShellOpen(program.absoluteFilePath(), DecoderParameters(port), program.absolutePath());
}

QString DecoderNotStartedLine(const QString &path)
{
    return QStringLiteral("File ") + path + QStringLiteral(" could not be started");
}

} // namespace vantor
