#include "metrics_text.h"

#include "alarm_kind_keys.h"
#include "alarm_state.h"
#include "engine.h"
#include "rds_reception.h"

#include <array>
#include <charconv>
#include <cstring>
#include <iterator>
#include <vector>

namespace vantor {

namespace {

// A measured column as a metric, its unit scaled to the base unit.
struct ValueMetric {
    const char *column;
    const char *name;
    double scale;
    const char *help;
};

const std::array<ValueMetric, 14> ValueMetrics = {{
    {"MAX", "vantor_deviation_peak_hertz", 1000, "Peak deviation of the latest second."},
    {"MAX Hold", "vantor_deviation_peak_hold_hertz", 1000, "Held peak deviation."},
    {"AVE", "vantor_deviation_average_hertz", 1000, "Average deviation of the latest second."},
    {"MIN", "vantor_deviation_minimum_hertz", 1000, "Minimum deviation of the latest second."},
    {"Pm", "vantor_modulation_power_dbr", 1, "Modulation power in dBr."},
    {"Pilot", "vantor_pilot_deviation_hertz", 1000, "Pilot tone deviation."},
    {"RDS", "vantor_rds_deviation_hertz", 1000, "RDS subcarrier deviation."},
    {"IF", "vantor_intermediate_frequency_hertz", 1000, "Intermediate frequency reading."},
    {"Signal Quality", "vantor_signal_quality", 1, "Signal quality, 0 to 5."},
    {"Level", "vantor_rf_level_dbuv", 1, "RF level in dBuV."},
    {"RDS Phase Difference", "vantor_rds_phase_difference_degrees", 1,
     "Phase of the RDS subcarrier against the pilot."},
    {"LeftPeak", "vantor_left_peak_deviation_hertz", 1000, "Peak deviation, left channel."},
    {"RightPeak", "vantor_right_peak_deviation_hertz", 1000, "Peak deviation, right channel."},
    {"Histogram Max at", "vantor_histogram_peak_deviation_hertz", 1000,
     "Deviation of the fullest histogram bin."},
}};

// Upper bounds of the deviation histogram's buckets in kHz: coarse below,
// fine around the usual limits of 75 kHz and beyond.
const std::array<int, 28> HistogramBounds = {10, 20, 30, 40, 50,  60,  62,  64, 66, 68,
                                             70, 72, 74, 75, 76,  77,  78,  80, 82, 84,
                                             86, 88, 90, 95, 100, 105, 110, 120};

QByteArray Escaped(const QString &value)
{
    QByteArray text = value.toUtf8();
    if (text.contains('\\') || text.contains('"') || text.contains('\n'))
        text.replace('\\', "\\\\").replace('"', "\\\"").replace('\n', "\\n");
    return text;
}

// Label sets of one device, built once per rendering.
struct DeviceLabels {
    QByteArray device;  // device="..."
    QByteArray station; // device, station and frequency_mhz
};

// Writes samples straight into the text through a cursor: hundreds of
// devices give tens of thousands of lines, so a line costs a few copies and
// no allocation of its own.
class MetricsWriter
{
public:
    MetricsWriter(QByteArray &out, qsizetype expected) : m_out(out) { m_out.resize(expected); }
    ~MetricsWriter() { m_out.truncate(m_pos); }

    void family(const char *name, const char *type, const char *help)
    {
        put("# HELP ");
        put(name);
        put(" ");
        put(help);
        put("\n# TYPE ");
        put(name);
        put(" ");
        put(type);
        put("\n");
    }
    // name+suffix{labels,extra} followed by the value by one of the calls below.
    MetricsWriter &sample(const char *name, const QByteArray &labels, const char *extra = nullptr,
                          const char *suffix = nullptr)
    {
        put(name);
        if (suffix)
            put(suffix);
        if (!labels.isEmpty() || extra) {
            put("{");
            put(labels.constData(), labels.size());
            if (extra)
                put(extra);
            put("}");
        }
        put(" ");
        return *this;
    }
    void integer(qint64 value) { endValue(std::to_chars(cursor(32), end(), value).ptr); }
    // Readings arrive as floats: seven significant digits are all they hold,
    // and give 70600 rather than 70599.99847 for 70.6 kHz.
    void reading(double value)
    {
        endValue(std::to_chars(cursor(32), end(), value, std::chars_format::general, 7).ptr);
    }
    void number(double value) { endValue(std::to_chars(cursor(32), end(), value).ptr); }

private:
    void put(const char *text) { put(text, static_cast<qsizetype>(std::strlen(text))); }
    void put(const char *text, qsizetype n)
    {
        std::memcpy(cursor(n), text, static_cast<size_t>(n));
        m_pos += n;
    }
    // Room for n more bytes at the cursor.
    char *cursor(qsizetype n)
    {
        if (m_pos + n + 1 > m_out.size())
            m_out.resize(std::max(2 * m_out.size(), m_pos + n + 1));
        return m_out.data() + m_pos;
    }
    char *end() { return m_out.data() + m_out.size(); }
    void endValue(char *last)
    {
        *last = '\n';
        m_pos = last + 1 - m_out.data();
    }

    QByteArray &m_out;
    qsizetype m_pos = 0;
};

// ",kind=\"silence\"" and so on, by alarm kind.
std::array<QByteArray, AlarmKindCount> KindLabels()
{
    std::array<QByteArray, AlarmKindCount> labels;
    for (int kind = 0; kind < AlarmKindCount; ++kind)
        labels[kind] = QByteArray(",kind=\"") + AlarmKindKeys[kind] + '"';
    return labels;
}

void WriteValues(MetricsWriter &w, const Engine &engine, const std::vector<DeviceLabels> &labels)
{
    for (const ValueMetric &metric : ValueMetrics) {
        const int column = GetTableColumn(QLatin1String(metric.column));
        w.family(metric.name, "gauge", metric.help);
        for (size_t i = 0; i < labels.size(); ++i) {
            const float v = engine.DeviceTable()[i].ColumnValue[column];
            if (v != NoValue)
                w.sample(metric.name, labels[i].station).reading(v * metric.scale);
        }
    }
    w.family("vantor_rds_time_error_seconds", "gauge",
             "Station clock minus this machine's clock, from the last RDS clock-time group.");
    for (size_t i = 0; i < labels.size(); ++i) {
        const QString text = engine.GetLastData(static_cast<int>(i), QStringLiteral("Time Error"));
        bool ok = false;
        const double seconds = text.section(QLatin1Char(' '), 0, 0).toDouble(&ok);
        if (ok)
            w.sample("vantor_rds_time_error_seconds", labels[i].station).number(seconds);
    }
}

void WriteLinks(MetricsWriter &w, Engine &engine, const std::vector<DeviceLabels> &labels)
{
    w.family("vantor_device_connected", "gauge", "1 while the link to the receiver is up.");
    for (size_t i = 0; i < labels.size(); ++i)
        w.sample("vantor_device_connected", labels[i].device)
            .integer(engine.DeviceConnected(static_cast<int>(i)));
    w.family("vantor_device_mode", "gauge", "1 while the device runs the mode.");
    for (size_t i = 0; i < labels.size(); ++i) {
        const int d = static_cast<int>(i);
        w.sample("vantor_device_mode", labels[i].device, ",mode=\"measuring\"")
            .integer(engine.MeasuringMode(d));
        w.sample("vantor_device_mode", labels[i].device, ",mode=\"rds\"")
            .integer(engine.RDSMode(d));
    }
    w.family("vantor_device_sent_bytes_total", "counter", "Bytes sent to the receiver.");
    for (size_t i = 0; i < labels.size(); ++i)
        w.sample("vantor_device_sent_bytes_total", labels[i].device)
            .integer(engine.DeviceTable()[i].BytesSent);
    w.family("vantor_device_received_bytes_total", "counter", "Bytes received from the receiver.");
    for (size_t i = 0; i < labels.size(); ++i)
        w.sample("vantor_device_received_bytes_total", labels[i].device)
            .integer(engine.DeviceTable()[i].BytesReceived);
}

void WriteAlarms(MetricsWriter &w, const Engine &engine, const std::vector<DeviceLabels> &labels)
{
    static const std::array<QByteArray, AlarmKindCount> kinds = KindLabels();
    w.family("vantor_alarm_state", "gauge", "Alarm state per kind: 0 off, 1 pending, 2 active.");
    for (size_t i = 0; i < labels.size(); ++i) {
        for (int kind = 0; kind < AlarmKindCount; ++kind)
            w.sample("vantor_alarm_state", labels[i].station, kinds[kind].constData())
                .integer(static_cast<int>(AlarmStateOf(engine.DeviceTable()[i], kind)));
    }
    w.family("vantor_alarms_activated_total", "counter", "Alarms that became active, per kind.");
    for (size_t i = 0; i < labels.size(); ++i) {
        for (int kind = 0; kind < AlarmKindCount; ++kind)
            w.sample("vantor_alarms_activated_total", labels[i].device, kinds[kind].constData())
                .integer(engine.DeviceTable()[i].AlarmActivations[kind]);
    }
    w.family("vantor_emails_sent_total", "counter", "Alarm e-mails about the device delivered.");
    for (size_t i = 0; i < labels.size(); ++i)
        w.sample("vantor_emails_sent_total", labels[i].device)
            .integer(engine.DeviceTable()[i].EmailsSent);
    w.family("vantor_emails_failed_total", "counter",
             "Alarm e-mails about the device that could not be delivered.");
    for (size_t i = 0; i < labels.size(); ++i)
        w.sample("vantor_emails_failed_total", labels[i].device)
            .integer(engine.DeviceTable()[i].EmailsFailed);
}

// What each device decodes of its station's RDS. The info series carries the
// PI, the PS that stayed (a scrolling PS would make a new series every few
// seconds) and the PTY; RadioText is left out of labels for the same reason.
void WriteRds(MetricsWriter &w, const Engine &engine, const std::vector<DeviceLabels> &labels)
{
    const PtyNames names =
        engine.Prefs().Integer(QStringLiteral("RDSPtyNames")) == 1 ? PtyNames::Rbds : PtyNames::Rds;
    auto each = [&](auto write) {
        for (size_t i = 0; i < labels.size(); ++i) {
            if (engine.DeviceTable()[i].Rds)
                write(labels[i], engine.DeviceTable()[i].Rds->decoder.state(),
                      *engine.DeviceTable()[i].Rds);
        }
    };
    w.family("vantor_rds_info", "gauge", "What the station's RDS identifies itself as (always 1).");
    each([&](const DeviceLabels &l, const RdsState &s, const RdsReception &r) {
        if (s.pi < 0)
            return;
        const QByteArray extra = ",pi=\"" +
                                 QByteArray::number(s.pi, 16).rightJustified(4, '0').toUpper() +
                                 "\",ps=\"" + Escaped(r.log.stablePs()) + "\",pty=\"" +
                                 Escaped(s.pty < 0 ? QString() : PtyName(s.pty, names)) + '"';
        w.sample("vantor_rds_info", l.station, extra.constData()).integer(1);
    });
    w.family("vantor_rds_block_error_ratio", "gauge",
             "Share of RDS blocks lost in the last whole minute (0 to 1).");
    each([&](const DeviceLabels &l, const RdsState &s, const RdsReception &) {
        if (s.blockErrorShare >= 0)
            w.sample("vantor_rds_block_error_ratio", l.station).number(s.blockErrorShare / 100);
    });
    w.family("vantor_rds_traffic_programme", "gauge", "TP flag of the station: 1 on, 0 off.");
    each([&](const DeviceLabels &l, const RdsState &s, const RdsReception &) {
        if (s.tp >= 0)
            w.sample("vantor_rds_traffic_programme", l.station).integer(s.tp);
    });
    w.family("vantor_rds_traffic_announcement", "gauge", "TA flag of the station: 1 on, 0 off.");
    each([&](const DeviceLabels &l, const RdsState &s, const RdsReception &) {
        if (s.ta >= 0)
            w.sample("vantor_rds_traffic_announcement", l.station).integer(s.ta);
    });
    w.family("vantor_rds_groups_total", "counter",
             "RDS groups received since the device was tuned, per group type and version.");
    static const auto types = [] {
        std::array<QByteArray, 32> t;
        for (int i = 0; i < 32; ++i)
            t[i] = ",type=\"" + RdsGroupTypeName(i).toLatin1() + '"';
        return t;
    }();
    each([&](const DeviceLabels &l, const RdsState &s, const RdsReception &) {
        for (int t = 0; t < 32; ++t) {
            if (s.groupCounts[t])
                w.sample("vantor_rds_groups_total", l.station, types[t].constData())
                    .integer(static_cast<qint64>(s.groupCounts[t]));
        }
    });
}

// ",le=\"10000\"" and so on, by bucket, the last one +Inf.
std::array<QByteArray, HistogramBounds.size() + 1> BucketLabels()
{
    std::array<QByteArray, HistogramBounds.size() + 1> labels;
    for (size_t b = 0; b < HistogramBounds.size(); ++b)
        labels[b] = ",le=\"" + QByteArray::number(HistogramBounds[b] * 1000) + '"';
    labels.back() = ",le=\"+Inf\"";
    return labels;
}

void WriteHistograms(MetricsWriter &w, const Engine &engine,
                     const std::vector<DeviceLabels> &labels)
{
    static const auto buckets = BucketLabels();
    const char *name = "vantor_station_deviation_hertz";
    w.family(name, "histogram",
             "Deviation samples of the station on the device since it was tuned.");
    for (size_t i = 0; i < labels.size(); ++i) {
        const TDevice &d = engine.DeviceTable()[i];
        qint64 cumulative = 0;
        double sum = 0;
        int bin = 0;
        for (size_t b = 0; b <= HistogramBounds.size(); ++b) {
            const int last =
                b < HistogramBounds.size() ? HistogramBounds[b] : HistogramBinCount - 1;
            for (; bin <= last; ++bin) {
                cumulative += d.HistogramBins[bin];
                sum += 1000.0 * bin * d.HistogramBins[bin];
            }
            w.sample(name, labels[i].station, buckets[b].constData(), "_bucket")
                .integer(cumulative);
        }
        w.sample(name, labels[i].station, nullptr, "_sum").number(sum);
        w.sample(name, labels[i].station, nullptr, "_count").integer(cumulative);
    }
}

void WriteProcess(MetricsWriter &w, const ProcessFigures &p)
{
    if (!p.valid)
        return;
    w.family("process_cpu_seconds_total", "counter", "User and system CPU time spent.");
    w.sample("process_cpu_seconds_total", {}).number(p.cpuSeconds);
    w.family("process_resident_memory_bytes", "gauge", "Resident memory size.");
    w.sample("process_resident_memory_bytes", {}).integer(p.residentBytes);
    w.family("process_open_fds", "gauge", "Open file descriptors.");
    w.sample("process_open_fds", {}).integer(p.openFds);
    w.family("process_start_time_seconds", "gauge", "Start time since the Unix epoch.");
    w.sample("process_start_time_seconds", {}).number(p.startTimeSeconds);
}

void WriteWebhooks(MetricsWriter &w, const WebhookTotals &totals)
{
    w.family("vantor_webhooks_delivered_total", "counter", "Webhook posts delivered.");
    w.sample("vantor_webhooks_delivered_total", {}).integer(totals.delivered);
    w.family("vantor_webhooks_failed_total", "counter", "Webhook posts given up.");
    w.sample("vantor_webhooks_failed_total", {}).integer(totals.failed);
}

} // namespace

QByteArray MetricsText(Engine &engine, const ProcessFigures &process, const WebhookTotals &webhooks)
{
    std::vector<DeviceLabels> labels;
    labels.reserve(engine.DeviceTable().size());
    for (const TDevice &d : engine.DeviceTable()) {
        DeviceLabels l;
        l.device = "device=\"" + Escaped(d.Name) + '"';
        const QString frequency =
            d.StationActive ? LedFrequencyText(d.Station.Frequency) : QString();
        l.station = l.device + ",station=\"" +
                    Escaped(d.StationActive ? d.Station.Name : QString()) + "\",frequency_mhz=\"" +
                    Escaped(frequency) + '"';
        labels.push_back(std::move(l));
    }
    QByteArray out;
    {
        MetricsWriter w(out, static_cast<qsizetype>(16384 + 8192 * labels.size()));
        WriteValues(w, engine, labels);
        WriteLinks(w, engine, labels);
        WriteAlarms(w, engine, labels);
        WriteHistograms(w, engine, labels);
        WriteWebhooks(w, webhooks);
        WriteRds(w, engine, labels);
        WriteProcess(w, process);
    }
    return out;
}

} // namespace vantor
