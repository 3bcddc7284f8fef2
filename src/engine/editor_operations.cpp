// What the editors hand back: whole tables replaced at once, so a refused or
// cancelled edit never leaves a table half changed.
#include "engine.h"

#include <algorithm>

namespace vantor {

QString Engine::StationEditorRefusal() const
{
    if (!Devices.empty())
        return {};
    return G.RestartRequired ? QStringLiteral("Application restart required")
                             : QStringLiteral("No device found. Add a device first!");
}

void Engine::ReplaceStations(std::vector<TStation> stations)
{
    Stations = std::move(stations);
    m_news.noteStations();
    for (int j = 0; j < static_cast<int>(Stations.size()); ++j)
        InitializeStation(j);
}

void Engine::ReplaceDevicesToSave(std::vector<TDeviceToSave> devices)
{
    G.RestartRequired = true;
    DevicesToSave = std::move(devices);
}

std::vector<TSch> Engine::ScheduleCopy() const
{
    std::vector<TSch> copy;
    copy.reserve(Devices.size());
    for (const TDevice &d : Devices)
        copy.push_back({d.Name, d.SchedulingMode, d.Schedule});
    return copy;
}

void Engine::ApplySchedules(const std::vector<TSch> &schedules)
{
    const size_t n = std::min(schedules.size(), Devices.size());
    for (size_t i = 0; i < n; ++i) {
        Devices[i].SchedulingMode = schedules[i].SchedulingMode;
        Devices[i].Schedule = schedules[i].Days;
    }
}

void Engine::ReplaceAlarmSets(std::vector<TAlarmSet> alarmSets)
{
    AlarmSets = std::move(alarmSets);
}

bool Engine::TuneQuickStation(int device, const QString &frequency, int mode)
{
    if (InvalidDevice(device))
        return false;
    // Refused before the device's station is replaced: a device that cannot
    // be tuned keeps the station it works on.
    if (!DeviceUsable(device)) {
        AddToActivityLog(device, QStringLiteral("Not connected"));
        return false;
    }
    // 9999999 minutes lasts, in effect, until the operator stops the device.
    constexpr int Endless = 9999999;
    TStation s;
    s.Name = frequency;
    s.Frequency = frequency;
    s.DeviceName = Devices[device].Name;
    s.ModeOrder = QStringLiteral("Measuring/RDS");
    s.Measuring = mode == 1 ? 0 : Endless;
    s.RDS = mode == 0 ? 0 : (mode == 1 ? Endless : -1);
    Devices[device].Station = s;
    Devices[device].StationIndex = -1;
    Tune(device, -1, true);
    return true;
}

} // namespace vantor
