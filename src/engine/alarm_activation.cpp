// Carrying out an alarm: the log line and, with the notification subsystem,
// e-mail, the operator's file and the output pins.
#include "engine.h"
#include "shell_open.h"

#include <QFileInfo>

namespace vantor {

void Engine::ActivateAlarm(int device, int kind)
{
    if (InvalidDevice(device))
        return;
    if (kind == AlarmConnection) {
        AddToActivityLog(device, QStringLiteral("Alarm: Unable to connect to the device!"));
        return;
    }
    if (kind == AlarmNoResponse) {
        AddToActivityLog(device, QStringLiteral("Alarm: No response from the device!"));
        return;
    }
    if (InvalidAlarmKind(kind))
        return;
    Devices[device].AlarmActive[kind] = true;
}

} // namespace vantor

namespace vantor {

void Engine::EvaluateAlarms(int, const TAlarmReadings &, TDateTime) {}

} // namespace vantor

namespace vantor {

void Engine::DriveAlarmPin(int device, int pin, int level)
{
    static const char *const prefixes[PinCount] = {"ARI:", "ARJ:", "ARK:", "ARL:"};
    if (pin < 1 || pin > PinCount || (level != 0 && level != 1))
        return;
    Send(device, QLatin1String(prefixes[pin - 1]) +
                     (level == 1 ? QStringLiteral("GH*X") : QStringLiteral("GD*X")));
}

int Engine::EnabledInSomeAlarm(int device, int pin) const
{
    if (InvalidDevice(device) || pin < 1 || pin > PinCount)
        return -1;
    for (const TBasic &basic : Devices[device].AlarmSet.Basic) {
        if (basic.DrivePin(pin))
            return basic.PinPolarity(pin);
    }
    return -1;
}

void Engine::RunUserBatchFile(const QString &parameters)
{
#ifdef Q_OS_WIN
    const QString file = Folders.ExeFolder + QStringLiteral("station.bat");
#else
    const QString file = Folders.ExeFolder + QStringLiteral("station.sh");
#endif
    if (QFileInfo::exists(file))
        ShellOpen(file, parameters, Folders.ExeFolder);
}

} // namespace vantor
