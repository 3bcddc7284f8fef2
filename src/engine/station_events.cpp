#include "station_events.h"

#include "engine.h"
#include "engine_news.h"
#include "rds_alarm_texts.h"

#include <array>

namespace vantor {

namespace {

// By alarm kind: the latest value it is judged on. Kinds beyond the table
// have none.
constexpr std::array<const char *, 9> ValueNames = {
    "AVE", "PI", "Time Error", "MAX Hold", "Signal Quality", "Pilot", "Pm", "Level", "RDS",
};

QString Range(int low, int high)
{
    return QString::number(low) + QStringLiteral("..") + QString::number(high);
}

} // namespace

const char *StationEventTypeKey(StationEventType type)
{
    switch (type) {
    case StationEventType::AlarmRaised:
        return "alarm_raised";
    case StationEventType::AlarmCleared:
        return "alarm_cleared";
    case StationEventType::LinkLost:
        return "link_lost";
    case StationEventType::LinkRegained:
        return "link_regained";
    }
    return "";
}

QString AlarmValueName(int kind)
{
    if (kind < 0 || kind >= static_cast<int>(ValueNames.size()))
        return {};
    return QLatin1String(ValueNames[kind]);
}

QString AlarmLimitText(const TAlarmSet &set, int kind)
{
    switch (kind) {
    case AlarmSilence:
        return QString::number(set.SD_Minimum);
    case AlarmTimeError:
        return QString::number(set.TM_MaxError);
    case AlarmOvermodulation:
        return QString::number(set.OM_MaxHoldLimit);
    case AlarmSignalQuality:
        return QString::number(set.SQ_SignalQuality);
    case AlarmPilot:
        return Range(set.PL_Minimum, set.PL_Maximum);
    case AlarmModulationPower:
        return QString::number(set.PM_Maximum);
    case AlarmRfLevel:
        return QString::number(set.RF_Minimum);
    case AlarmRdsLevel:
        return Range(set.RL_Minimum, set.RL_Maximum);
    default:
        return {};
    }
}

QString AlarmLimitOf(const TDevice &device, int kind)
{
    if (!device.AlarmSetActive)
        return {};
    if (kind == AlarmPiMismatch)
        return device.Station.PI;
    if (kind > AlarmRdsLevel)
        return RdsAlarmLimit(device.AlarmSet, device.Station, kind);
    return AlarmLimitText(device.AlarmSet, kind);
}

StationEventWatcher::StationEventWatcher(Engine &engine, QObject *parent)
    : QObject(parent), m_engine(engine)
{
    // What holds now is the starting point, not news.
    for (size_t i = 0; i < engine.DeviceTable().size(); ++i) {
        const TDevice &d = engine.DeviceTable()[i];
        const bool connected = engine.DeviceConnected(static_cast<int>(i));
        m_seen.push_back({d.Name, connected, connected,
                          std::vector<bool>(d.AlarmActive.begin(), d.AlarmActive.end())});
    }
    connect(&engine, &Engine::devicesChanged, this, &StationEventWatcher::Compare);
}

void StationEventWatcher::Compare(const QList<DeviceNews> &news)
{
    const int count = static_cast<int>(m_engine.DeviceTable().size());
    m_seen.resize(static_cast<size_t>(count));
    for (const DeviceNews &n : news) {
        if (n.device < 0 || n.device >= count)
            continue;
        const TDevice &d = m_engine.DeviceTable()[n.device];
        Seen &seen = m_seen[n.device];
        // Another device at this index since the list was edited: start afresh.
        if (seen.name != d.Name)
            seen = Seen{d.Name, false, false, {}};
        seen.alarms.resize(d.AlarmActive.size(), false);

        const bool connected = m_engine.DeviceConnected(n.device);
        if (connected != seen.connected) {
            // The first connection after the start is no news.
            if (seen.everConnected)
                emit happened(
                    EventOf(connected ? StationEventType::LinkRegained : StationEventType::LinkLost,
                            n.device, -1));
            seen.connected = connected;
            seen.everConnected = seen.everConnected || connected;
        }
        for (size_t kind = 0; kind < d.AlarmActive.size(); ++kind) {
            if (d.AlarmActive[kind] == seen.alarms[kind])
                continue;
            seen.alarms[kind] = d.AlarmActive[kind];
            emit happened(EventOf(d.AlarmActive[kind] ? StationEventType::AlarmRaised
                                                      : StationEventType::AlarmCleared,
                                  n.device, static_cast<int>(kind)));
        }
    }
}

StationEvent StationEventWatcher::EventOf(StationEventType type, int device, int kind) const
{
    const TDevice &d = m_engine.DeviceTable()[device];
    StationEvent event;
    event.type = type;
    event.time = m_engine.clock().currentDateTime().toUTC();
    event.device = device;
    event.deviceName = d.Name;
    if (d.StationActive) {
        event.station = d.Station.Name;
        event.frequency = d.Station.Frequency;
    }
    event.kind = kind;
    if (kind >= 0) {
        const QString name = AlarmValueName(kind);
        if (kind > AlarmRdsLevel)
            event.value = RdsAlarmReading(d, kind, m_engine.clock().now());
        else if (!name.isEmpty() && m_engine.HasLastData(device, name))
            event.value = m_engine.GetLastData(device, name);
        event.limit = AlarmLimitOf(d, kind);
    }
    return event;
}

} // namespace vantor
