// What changed in the engine since it last told: collected while a tick or an
// operator action runs and announced once at its end, so a window for a
// hundred devices hears one batch per tick instead of one call per value.
#pragma once

#include <QList>

#include <vector>

namespace vantor {

// What changed about one device.
enum DeviceChange : unsigned {
    Registered = 1u << 0,        // joined the device library (and the device selectors)
    ResponsesRead = 1u << 1,     // responses read: values, recent data, history
    HistogramStored = 1u << 2,   // a new histogram arrived
    ConnectionChanged = 1u << 3, // connected or lost
    ModeChanged = 1u << 4,       // a mode started or finished
    PauseChanged = 1u << 5,
    AlarmChanged = 1u << 6, // an alarm became active or cleared
    Tuned = 1u << 7,        // put onto a station (its data cleared)
    Stopped = 1u << 8,      // taken off its station
    RdsChanged = 1u << 9,   // what its RDS decoder shows changed
};

struct DeviceNews {
    int device = -1;
    unsigned changes = 0; // DeviceChange bits

    bool has(DeviceChange change) const { return (changes & change) != 0; }
};

// The pending announcement of one engine.
class NewsCollector
{
public:
    void note(int device, DeviceChange change);
    void noteStations() { m_stations = true; }

    bool empty() const { return m_devices.empty() && !m_stations; }
    // Hands over what was collected, in the order devices were first noted,
    // and starts afresh.
    QList<DeviceNews> takeDevices();
    bool takeStations();

private:
    std::vector<unsigned> m_changes; // by device index
    std::vector<int> m_devices;      // noted devices in first-noted order
    bool m_stations = false;
};

} // namespace vantor
