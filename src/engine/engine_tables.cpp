// Table bounds, device resets and the activity-log entry point of the engine.
#include "engine.h"

namespace vantor {

bool Engine::InvalidDevice(int index) const
{
    return index < 0 || index >= static_cast<int>(Devices.size());
}

bool Engine::InvalidStation(int index) const
{
    return index < 0 || index >= static_cast<int>(Stations.size());
}

void Engine::ClearDevice(int device)
{
    if (InvalidDevice(device))
        return;
    ClearDeviceData(Devices[device]);
}

void Engine::AddToActivityLog(int target, const QString &message)
{
    vantor::AddToActivityLog(G, Devices, target, message, m_clock.now(), &m_view);
}

// The device's own file cannot hold the complaint, so the application log
// gets it too.
void Engine::OpenActivityLog(int device, TDateTime date)
{
    QString error;
    if (!OpenDeviceLogFile(Devices, device, Folders.AppLogsFolder, date, &error))
        AddToActivityLog(1000 + device,
                         QStringLiteral("Cannot open the activity log ") +
                             DeviceLogFileName(Folders.AppLogsFolder, Devices[device].Name, date) +
                             QStringLiteral(": ") + error);
}

} // namespace vantor
