#include "snmp_values.h"

#include "engine.h"
#include "station_events.h"

#include <QRegularExpression>

#include <cmath>

namespace vantor {

namespace {

constexpr MibReading Readings[] = {
    {"MAX", 10}, {"MAX Hold", 10}, {"AVE", 10},           {"Pilot", 100},  {"RDS", 100},
    {"Pm", 10},  {"Level", 10},    {"Signal Quality", 1}, {"PI", 1, true}, {"Time Error", 1},
};

std::optional<double> LeadingNumber(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("^\\s*([-+]?\\d+(?:\\.\\d*)?)"));
    const QRegularExpressionMatch m = number.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    return m.captured(1).toDouble();
}

} // namespace

const MibReading *MibReadings(int *count)
{
    *count = static_cast<int>(std::size(Readings));
    return Readings;
}

std::int32_t ReadingValue(const QString &text, const MibReading &reading)
{
    if (reading.hex) {
        bool ok = false;
        const uint value = text.trimmed().toUInt(&ok, 16);
        return ok && value <= 0xffff ? static_cast<std::int32_t>(value) : NoReading;
    }
    const std::optional<double> number = LeadingNumber(text);
    if (!number)
        return NoReading;
    const double scaled = std::round(*number * reading.scale);
    if (scaled <= INT32_MIN || scaled > INT32_MAX)
        return NoReading;
    return static_cast<std::int32_t>(scaled);
}

std::int32_t DeviceReading(const Engine &engine, int device, const MibReading &reading)
{
    const QString name = QLatin1String(reading.name);
    if (!engine.HasLastData(device, name))
        return NoReading;
    return ReadingValue(engine.GetLastData(device, name), reading);
}

std::int32_t AlarmReading(int kind, const QString &text)
{
    const QString name = AlarmValueName(kind);
    for (const MibReading &reading : Readings) {
        if (!name.isEmpty() && name == QLatin1String(reading.name))
            return ReadingValue(text, reading);
    }
    return NoReading;
}

std::int32_t FrequencyValue(const QString &frequency)
{
    const std::optional<double> mhz = LeadingNumber(frequency);
    return mhz ? static_cast<std::int32_t>(std::round(*mhz * 100)) : 0;
}

} // namespace vantor
