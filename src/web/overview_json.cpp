#include "overview_json.h"

#include "alarm_kind_keys.h"
#include "alarm_state.h"
#include "engine.h"
#include "value_quantity.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <array>

namespace vantor {

namespace {

const std::array<const char *, 5> KeyValues = {"MAX", "Pilot", "RDS", "Level", "Signal Quality"};
const std::array<const char *, 3> StateNames = {"off", "pending", "active"};

QString ModeName(Engine &engine, int device)
{
    const bool measuring = engine.MeasuringMode(device);
    const bool rds = engine.RDSMode(device);
    if (measuring && rds)
        return QStringLiteral("measuring+rds");
    if (measuring)
        return QStringLiteral("measuring");
    return rds ? QStringLiteral("rds") : QStringLiteral("idle");
}

QJsonObject Row(Engine &engine, int index)
{
    const TDevice &d = engine.DeviceTable()[index];
    QJsonObject row{{QStringLiteral("index"), index},
                    {QStringLiteral("name"), d.Name},
                    {QStringLiteral("connected"), engine.DeviceConnected(index)},
                    {QStringLiteral("mode"), ModeName(engine, index)},
                    {QStringLiteral("paused"), d.Paused}};
    row.insert(QStringLiteral("station"),
               d.StationActive ? QJsonValue(QJsonObject{{QStringLiteral("name"), d.Station.Name},
                                                        {QStringLiteral("frequency_mhz"),
                                                         LedFrequencyText(d.Station.Frequency)}})
                               : QJsonValue(QJsonValue::Null));
    // The countdown of the mode running; the measuring one counts first.
    row.insert(QStringLiteral("countdown"), engine.MeasuringMode(index)
                                                ? d.MeasuringCountdown
                                                : (engine.RDSMode(index) ? d.RDSCountdown : 0));
    QJsonObject values;
    for (const char *name : KeyValues) {
        const QString key = QLatin1String(name);
        values.insert(key, ValueQuantity(engine.GetLastData(index, key)));
    }
    row.insert(QStringLiteral("values"), values);
    QJsonObject alarms;
    for (int kind = 0; kind < AlarmKindCount; ++kind) {
        const bool enabled = d.AlarmSetActive && d.AlarmSet.Basic[kind].Enabled;
        const AlarmState state = AlarmStateOf(d, kind);
        alarms.insert(QLatin1String(AlarmKindKeys[kind]),
                      state == AlarmState::Off && !enabled
                          ? QStringLiteral("disabled")
                          : QLatin1String(StateNames[static_cast<int>(state)]));
    }
    row.insert(QStringLiteral("alarms"), alarms);
    return row;
}

} // namespace

QByteArray OverviewJson(Engine &engine)
{
    QJsonArray kinds;
    for (int kind = 0; kind < AlarmKindCount; ++kind)
        kinds.append(QJsonObject{{QStringLiteral("kind"), QLatin1String(AlarmKindKeys[kind])},
                                 {QStringLiteral("name"), AlarmKindNames[kind]}});
    QJsonArray rows;
    for (int i = 0; i < static_cast<int>(engine.DeviceTable().size()); ++i)
        rows.append(Row(engine, i));
    const QJsonObject overview{
        {QStringLiteral("time"),
         engine.clock().currentDateTime().toUTC().toString(Qt::ISODateWithMs)},
        {QStringLiteral("alarm_kinds"), kinds},
        {QStringLiteral("devices"), rows}};
    return QJsonDocument(overview).toJson(QJsonDocument::Compact);
}

} // namespace vantor
