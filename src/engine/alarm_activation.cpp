// Carrying out an alarm: the log line and, with the notification subsystem,
// e-mail, the operator's file and the output pins.
#include "engine.h"

namespace vantor
{

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

namespace vantor
{

void Engine::EvaluateAlarms(int, const TAlarmReadings &, TDateTime) {}

} // namespace vantor
