#include "engine_news.h"

#include "engine.h"

namespace vantor {

void NewsCollector::note(int device, DeviceChange change)
{
    if (device < 0)
        return;
    if (device >= static_cast<int>(m_changes.size()))
        m_changes.resize(device + 1, 0);
    if (m_changes[device] == 0)
        m_devices.push_back(device);
    m_changes[device] |= change;
}

QList<DeviceNews> NewsCollector::takeDevices()
{
    QList<DeviceNews> news;
    news.reserve(static_cast<qsizetype>(m_devices.size()));
    for (const int device : m_devices) {
        news.append({device, m_changes[device]});
        m_changes[device] = 0;
    }
    m_devices.clear();
    return news;
}

bool NewsCollector::takeStations()
{
    const bool stations = m_stations;
    m_stations = false;
    return stations;
}

void Engine::Announce()
{
    if (m_news.empty())
        return;
    if (m_news.takeStations())
        emit stationsChanged();
    const QList<DeviceNews> devices = m_news.takeDevices();
    if (!devices.isEmpty())
        emit devicesChanged(devices);
}

} // namespace vantor
