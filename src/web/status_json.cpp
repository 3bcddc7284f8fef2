#include "status_json.h"

#include "alarm_kind_keys.h"
#include "alarm_state.h"
#include "engine.h"
#include "rds_reception.h"
#include "value_quantity.h"

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
    JsonWriter &number(double value, int decimals)
    {
        m_out.append(QByteArray::number(value, 'f', decimals));
        return *this;
    }
    // As short as it reads: 70.5, not 70.500000.
    JsonWriter &real(double value)
    {
        m_out.append(QByteArray::number(value, 'g', 12));
        return *this;
    }
    JsonWriter &frequencies(const QList<double> &list)
    {
        raw("[");
        for (qsizetype i = 0; i < list.size(); ++i)
            raw(i ? "," : "").number(list[i], 1);
        return raw("]");
    }
    // The text, or null when it is empty.
    JsonWriter &text(const QString &value) { return value.isEmpty() ? raw("null") : string(value); }
    // The number, or null when it is below 0 (not received).
    JsonWriter &known(int value) { return value < 0 ? raw("null") : integer(value); }
    JsonWriter &flag(int value) { return value < 0 ? raw("null") : boolean(value != 0); }

private:
    QByteArray &m_out;
};

QString Hex(int value, int digits)
{
    return value < 0 ? QString()
                     : QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

// What the device decodes of its station's RDS (docs/web-api.md).
void WriteRds(JsonWriter &w, const Engine &engine, const TDevice &d)
{
    if (!d.Rds) {
        w.raw("null");
        return;
    }
    const RdsState &s = d.Rds->decoder.state();
    const PtyNames names =
        engine.Prefs().Integer(QStringLiteral("RDSPtyNames")) == 1 ? PtyNames::Rbds : PtyNames::Rds;
    w.raw("{").key("pi").text(Hex(s.pi, 4));
    w.raw(",").key("ps").text(s.ps.complete);
    w.raw(",").key("ps_receiving").text(s.ps.receiving);
    w.raw(",").key("radiotext").text(s.rt.complete);
    w.raw(",").key("long_ps").text(s.longPs.complete);
    w.raw(",").key("pty").known(s.pty);
    w.raw(",").key("pty_name").text(PtyName(s.pty, names));
    w.raw(",").key("tp").flag(s.tp);
    w.raw(",").key("ta").flag(s.ta);
    w.raw(",").key("music").flag(s.ms);
    w.raw(",").key("stereo").flag(s.ms < 0 ? -1 : (s.di & 1));
    w.raw(",").key("ecc").text(Hex(s.ecc, 2));
    w.raw(",").key("country").text(EccCountry(s.ecc, s.pi));
    w.raw(",").key("language").text(Hex(s.language, 2));
    w.raw(",").key("pin");
    if (s.pinDay > 0) {
        w.raw("{").key("day").integer(s.pinDay).raw(",").key("hour").integer(s.pinHour);
        w.raw(",").key("minute").integer(s.pinMinute).raw("}");
    } else {
        w.raw("null");
    }
    w.raw(",").key("af").raw("{").key("method").raw(s.af.methodB ? "\"B\"" : "\"A\"");
    w.raw(",").key("tuned_mhz");
    if (s.af.methodB)
        w.number(s.af.tuned, 1);
    else
        w.raw("null");
    w.raw(",").key("same_mhz").frequencies(s.af.same);
    w.raw(",").key("regional_mhz").frequencies(s.af.regional).raw("}");
    w.raw(",").key("rtplus").raw("[");
    for (qsizetype i = 0; i < s.rtPlus.size(); ++i) {
        w.raw(i ? ",{" : "{").key("type").string(s.rtPlus[i].type);
        w.raw(",").key("text").string(s.rtPlus[i].text).raw("}");
    }
    w.raw("]").raw(",").key("other_networks").raw("[");
    for (qsizetype i = 0; i < s.otherNetworks.size(); ++i) {
        const RdsOtherNetwork &on = s.otherNetworks[i];
        w.raw(i ? ",{" : "{").key("pi").string(Hex(on.pi, 4));
        w.raw(",").key("ps").string(on.ps).raw(",").key("pty").known(on.pty);
        w.raw(",").key("tp").boolean(on.tp).raw(",").key("ta").boolean(on.ta);
        w.raw(",").key("frequencies_mhz").frequencies(on.frequencies).raw("}");
    }
    w.raw("]").raw(",").key("groups").integer(static_cast<qint64>(s.groups));
    w.raw(",").key("group_counts").raw("{");
    bool first = true;
    for (int t = 0; t < static_cast<int>(s.groupCounts.size()); ++t) {
        if (!s.groupCounts[t])
            continue;
        w.raw(first ? "" : ",").string(RdsGroupTypeName(t)).raw(":");
        w.integer(static_cast<qint64>(s.groupCounts[t]));
        first = false;
    }
    w.raw("}").raw(",").key("block_error_percent");
    if (s.blockErrorShare >= 0)
        w.number(s.blockErrorShare, 1);
    else
        w.raw("null");
    w.raw("}");
}

void WriteDevice(JsonWriter &w, Engine &engine, int index)
{
    const TDevice &d = engine.DeviceTable()[index];
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
    // The same values as numbers with their units, null where there is
    // none (PI, for one, is no number).
    w.raw("}").raw(",").key("quantities").raw("{");
    for (size_t v = 0; v < ShownValues.size(); ++v) {
        const QString name = QLatin1String(ShownValues[v]);
        w.raw(v ? "," : "").string(name).raw(":");
        const auto quantity = engine.HasLastData(index, name)
                                  ? ParseQuantity(engine.GetLastData(index, name))
                                  : std::nullopt;
        if (quantity)
            w.raw("{")
                .key("value")
                .real(quantity->value)
                .raw(",")
                .key("unit")
                .string(quantity->unit)
                .raw("}");
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
    w.raw(",").key("received_bytes").integer(d.BytesReceived).raw("}");
    w.raw(",").key("rds_decoded");
    WriteRds(w, engine, d);
    w.raw("}");
}

} // namespace

QByteArray StatusJson(Engine &engine)
{
    QByteArray out;
    out.reserve(static_cast<qsizetype>(256 + engine.DeviceTable().size() * 2048));
    JsonWriter w(out);
    w.raw("{").key("time").string(
        engine.clock().currentDateTime().toUTC().toString(Qt::ISODateWithMs));
    w.raw(",").key("uptime").string(engine.UptimeText());
    w.raw(",").key("devices").raw("[");
    for (int i = 0; i < static_cast<int>(engine.DeviceTable().size()); ++i) {
        if (i > 0)
            w.raw(",");
        WriteDevice(w, engine, i);
    }
    w.raw("]}");
    return out;
}

QByteArray StationsJson(const Engine &engine)
{
    QByteArray out;
    JsonWriter w(out);
    w.raw("{").key("stations").raw("[");
    for (size_t j = 0; j < engine.StationTable().size(); ++j) {
        const TStation &s = engine.StationTable()[j];
        w.raw(j ? ",{" : "{").key("name").string(s.Name);
        w.raw(",").key("frequency_mhz").string(LedFrequencyText(s.Frequency));
        w.raw(",").key("device").string(s.DeviceName).raw("}");
    }
    w.raw("]}");
    return out;
}

QByteArray DeviceStatusJson(Engine &engine, int device)
{
    QByteArray out;
    JsonWriter w(out);
    WriteDevice(w, engine, device);
    return out;
}

} // namespace vantor
