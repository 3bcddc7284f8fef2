#include "status_json.h"

#include "alarm_kind_keys.h"
#include "alarm_state.h"
#include "engine.h"

#include <QDateTime>

#include <array>

namespace vantor {

namespace {

// The latest values the page shows, by their names in the recent data.
const std::array<const char *, 10> ShownValues = {
    "MAX", "MAX Hold", "AVE", "Pilot", "RDS", "Pm", "Level", "Signal Quality", "PI", "Time Error",
};

const std::array<const char *, 3> AlarmStateNames = {"off", "pending", "active"};

class JsonWriter
{
public:
    explicit JsonWriter(QByteArray &out) : m_out(out) {}

    JsonWriter &raw(const char *text)
    {
        m_out.append(text);
        return *this;
    }
    JsonWriter &key(const char *name)
    {
        m_out.append('"').append(name).append("\":");
        return *this;
    }
    JsonWriter &string(const QString &text)
    {
        const QByteArray utf8 = text.toUtf8();
        m_out.append('"');
        for (const char c : utf8) {
            const auto u = static_cast<unsigned char>(c);
            if (c == '"' || c == '\\') {
                m_out.append('\\').append(c);
            } else if (u < 0x20) {
                static const char hex[] = "0123456789abcdef";
                const char escaped[] = {'\\', 'u', '0', '0', hex[u >> 4], hex[u & 15]};
                m_out.append(escaped, sizeof escaped);
            } else {
                m_out.append(c);
            }
        }
        m_out.append('"');
        return *this;
    }
    JsonWriter &boolean(bool value) { return raw(value ? "true" : "false"); }
    JsonWriter &integer(qint64 value)
    {
        m_out.append(QByteArray::number(value));
        return *this;
    }

private:
    QByteArray &m_out;
};

void WriteDevice(JsonWriter &w, Engine &engine, int index)
{
    const TDevice &d = engine.Devices[index];
    w.raw("{").key("index").integer(index);
    w.raw(",").key("name").string(d.Name);
    w.raw(",").key("connected").boolean(engine.DeviceConnected(index));
    w.raw(",").key("station");
    if (d.StationActive) {
        w.raw("{").key("name").string(d.Station.Name);
        w.raw(",").key("frequency_mhz").string(LedFrequencyText(d.Station.Frequency)).raw("}");
    } else {
        w.raw("null");
    }
    w.raw(",").key("measuring").boolean(engine.MeasuringMode(index));
    w.raw(",").key("rds").boolean(engine.RDSMode(index));
    w.raw(",").key("paused").boolean(d.Paused);
    w.raw(",").key("countdowns").raw("{").key("measuring").integer(d.MeasuringCountdown);
    w.raw(",").key("rds").integer(d.RDSCountdown).raw("}");
    w.raw(",").key("values").raw("{");
    for (size_t v = 0; v < ShownValues.size(); ++v) {
        const QString name = QLatin1String(ShownValues[v]);
        w.raw(v ? "," : "").string(name).raw(":");
        if (engine.HasLastData(index, name))
            w.string(engine.GetLastData(index, name));
        else
            w.raw("null");
    }
    w.raw("}").raw(",").key("alarms").raw("[");
    for (int kind = 0; kind < AlarmKindCount; ++kind) {
        w.raw(kind ? ",{" : "{").key("kind").raw("\"").raw(AlarmKindKeys[kind]).raw("\"");
        w.raw(",").key("name").string(AlarmKindNames[kind]);
        w.raw(",").key("enabled").boolean(d.AlarmSetActive && d.AlarmSet.Basic[kind].Enabled);
        w.raw(",").key("state").raw("\"");
        w.raw(AlarmStateNames[static_cast<int>(AlarmStateOf(d, kind))]).raw("\"}");
    }
    w.raw("]").raw(",").key("activity").raw("[");
    if (d.ActivityLines) {
        const QStringList &lines = *d.ActivityLines;
        const qsizetype first = std::max<qsizetype>(0, lines.size() - StatusActivityLines);
        for (qsizetype i = first; i < lines.size(); ++i)
            w.raw(i > first ? "," : "").string(lines[i]);
    }
    w.raw("]").raw(",").key("traffic").raw("{").key("sent_bytes").integer(d.BytesSent);
    w.raw(",").key("received_bytes").integer(d.BytesReceived).raw("}}");
}

} // namespace

QByteArray StatusJson(Engine &engine)
{
    QByteArray out;
    out.reserve(static_cast<qsizetype>(256 + engine.Devices.size() * 2048));
    JsonWriter w(out);
    w.raw("{").key("time").string(
        engine.clock().currentDateTime().toUTC().toString(Qt::ISODateWithMs));
    w.raw(",").key("uptime").string(engine.UptimeText());
    w.raw(",").key("devices").raw("[");
    for (int i = 0; i < static_cast<int>(engine.Devices.size()); ++i) {
        if (i > 0)
            w.raw(",");
        WriteDevice(w, engine, i);
    }
    w.raw("]}");
    return out;
}

} // namespace vantor
