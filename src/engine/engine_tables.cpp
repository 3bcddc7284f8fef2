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

// A new day's logs of many devices are opened over the next ticks, like the
// files of modes started together; lines written meanwhile wait in them.
void Engine::ReopenActivityLogs(TDateTime date)
{
    for (int i = 0; i < static_cast<int>(Devices.size()); ++i) {
        TDevice &d = Devices[i];
        if (!d.ActivityLogOpen)
            continue;
        CloseDeviceLogFile(d);
        OpenDeviceLogFile(Devices, i, Folders.AppLogsFolder, date, nullptr,
                          LogFile::Open::AppendLater);
        m_waitingFiles.push_back({i, d.ActivityLog});
    }
    MakeWaitingFiles();
}

void Engine::MakeWaitingActivityLog(int device)
{
    TDevice &d = Devices[device];
    if (d.ActivityLog->create()) {
        d.ActivityLog->flush();
        return;
    }
    const QString complaint = QStringLiteral("Cannot open the activity log ") +
                              d.ActivityLog->path() + QStringLiteral(": ") +
                              d.ActivityLog->errorString();
    CloseDeviceLogFile(d);
    AddToActivityLog(1000 + device, complaint);
}

} // namespace vantor
