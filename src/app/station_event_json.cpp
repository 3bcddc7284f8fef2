#include "station_event_json.h"

#include "alarm_kind_keys.h"
#include "engine.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace vantor {

namespace {

QJsonValue TextOrNull(const QString &text)
{
    return text.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(text);
}

const char *StateOf(StationEventType type)
{
    switch (type) {
    case StationEventType::AlarmRaised:
        return "active";
    case StationEventType::AlarmCleared:
        return "off";
    case StationEventType::LinkLost:
        return "lost";
    case StationEventType::LinkRegained:
        return "connected";
    }
    return "";
}

} // namespace

QByteArray StationEventJson(const StationEvent &event)
{
    QJsonObject station;
    if (!event.station.isEmpty())
        station = {{QStringLiteral("name"), event.station},
                   {QStringLiteral("frequency_mhz"), LedFrequencyText(event.frequency)}};
    const bool alarm = event.kind >= 0 && event.kind < AlarmKindCount;
    const QJsonObject document{
        {QStringLiteral("time"), event.time.toUTC().toString(Qt::ISODateWithMs)},
        {QStringLiteral("event"), QLatin1String(StationEventTypeKey(event.type))},
        {QStringLiteral("device"), QJsonObject{{QStringLiteral("index"), event.device},
                                               {QStringLiteral("name"), event.deviceName}}},
        {QStringLiteral("station"),
         station.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(station)},
        {QStringLiteral("kind"),
         alarm ? QJsonValue(QLatin1String(AlarmKindKeys[event.kind])) : QJsonValue::Null},
        {QStringLiteral("kind_name"),
         alarm ? QJsonValue(AlarmKindNames[event.kind]) : QJsonValue::Null},
        {QStringLiteral("state"), QLatin1String(StateOf(event.type))},
        {QStringLiteral("value"), TextOrNull(event.value)},
        {QStringLiteral("limit"), TextOrNull(event.limit)},
    };
    return QJsonDocument(document).toJson(QJsonDocument::Compact);
}

} // namespace vantor
