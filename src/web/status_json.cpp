#include "status_json.h"

#include "alarm_kind_keys.h"
#include "alarm_state.h"
#include "engine.h"

#include <QDateTime>
#include <QJsonArray>

namespace vantor {

namespace {

// The latest values the page shows, by their names in the recent data.
const std::array<const char *, 10> ShownValues = {
    "MAX", "MAX Hold", "AVE", "Pilot", "RDS", "Pm", "Level", "Signal Quality", "PI", "Time Error",
};

const std::array<const char *, 3> AlarmStateNames = {"off", "pending", "active"};

QJsonObject DeviceJson(Engine &engine, int index)
{
    const TDevice &d = engine.Devices[index];
    QJsonObject device;
    device[QLatin1String("index")] = index;
    device[QLatin1String("name")] = d.Name;
    device[QLatin1String("connected")] = engine.DeviceConnected(index);
    if (d.StationActive) {
        device[QLatin1String("station")] =
            QJsonObject{{QLatin1String("name"), d.Station.Name},
                        {QLatin1String("frequency_mhz"), LedFrequencyText(d.Station.Frequency)}};
    } else {
        device[QLatin1String("station")] = QJsonValue::Null;
    }
    device[QLatin1String("measuring")] = engine.MeasuringMode(index);
    device[QLatin1String("rds")] = engine.RDSMode(index);
    device[QLatin1String("paused")] = d.Paused;
    device[QLatin1String("countdowns")] = QJsonObject{
        {QLatin1String("measuring"), d.MeasuringCountdown}, {QLatin1String("rds"), d.RDSCountdown}};
    QJsonObject values;
    for (const char *name : ShownValues) {
        const QString key = QLatin1String(name);
        values[key] = engine.HasLastData(index, key) ? QJsonValue(engine.GetLastData(index, key))
                                                     : QJsonValue(QJsonValue::Null);
    }
    device[QLatin1String("values")] = values;
    QJsonArray alarms;
    for (int kind = 0; kind < AlarmKindCount; ++kind) {
        const bool enabled = d.AlarmSetActive && d.AlarmSet.Basic[kind].Enabled;
        alarms.append(
            QJsonObject{{QLatin1String("kind"), QLatin1String(AlarmKindKeys[kind])},
                        {QLatin1String("name"), AlarmKindNames[kind]},
                        {QLatin1String("enabled"), enabled},
                        {QLatin1String("state"),
                         QLatin1String(AlarmStateNames[static_cast<int>(AlarmStateOf(d, kind))])}});
    }
    device[QLatin1String("alarms")] = alarms;
    QJsonArray activity;
    if (d.ActivityLines) {
        const QStringList &lines = *d.ActivityLines;
        for (qsizetype i = std::max<qsizetype>(0, lines.size() - StatusActivityLines);
             i < lines.size(); ++i)
            activity.append(lines[i]);
    }
    device[QLatin1String("activity")] = activity;
    device[QLatin1String("traffic")] =
        QJsonObject{{QLatin1String("sent_bytes"), static_cast<double>(d.BytesSent)},
                    {QLatin1String("received_bytes"), static_cast<double>(d.BytesReceived)}};
    return device;
}

} // namespace

QJsonObject StatusJson(Engine &engine)
{
    QJsonArray devices;
    for (int i = 0; i < static_cast<int>(engine.Devices.size()); ++i)
        devices.append(DeviceJson(engine, i));
    return QJsonObject{
        {QLatin1String("time"),
         engine.clock().currentDateTime().toUTC().toString(Qt::ISODateWithMs)},
        {QLatin1String("uptime"), engine.UptimeText()},
        {QLatin1String("devices"), devices},
    };
}

} // namespace vantor
