// The receive tick: reads every waiting response of every device and
// interprets it by its name.
#include "engine.h"
#include "number_text.h"
#include "rds_groups.h"
#include "response_names.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace vantor {

namespace {
// Deviation columns are capped: an overdriven receiver reports nonsense.
constexpr int DeviationColumns = 4;
constexpr float DeviationCap = 150.0f;
constexpr int HistoryFreeMinimum = 3;
constexpr int HistoryGrowLimit = 17990;
// Receive ticks in a second.
constexpr int ReceiveCycles = 5;

// A reading truncated toward zero. A value that no int can hold (a receiver
// reporting 1e30) is no reading, like a text that is no number.
int TruncatedReading(float v)
{
    const float t = std::trunc(v);
    if (!(t >= static_cast<float>(std::numeric_limits<int>::min()) &&
          t < static_cast<float>(std::numeric_limits<int>::max())))
        return static_cast<int>(NoValue);
    return static_cast<int>(t);
}

// A reading as a float; beyond a float's range the conversion itself would
// be undefined.
float ToReading(std::optional<double> v)
{
    if (!v || !(std::fabs(*v) <= std::numeric_limits<float>::max()))
        return NoValue;
    return static_cast<float>(*v);
}

// The text of a name for the recent data: the known ones without a copy.
QString NameText(ResponseName kind, QLatin1StringView name)
{
    switch (kind) {
    case ResponseName::Group:
        return QStringLiteral("G");
    case ResponseName::Frequency:
        return QStringLiteral("Frequency");
    case ResponseName::HistogramData:
        return QStringLiteral("Histogram Data");
    case ResponseName::ModulationPower:
        return QStringLiteral("Modulation Power");
    default:
        return ColumnOf(kind) >= 0 ? MeasurementColumns[ColumnOf(kind)] : QString(name);
    }
}

// The recent-data slots: a response name's is its kind; the two names read
// from groups follow the kinds.
constexpr int PiSlot = static_cast<int>(ResponseName::Other);
constexpr int TimeErrorSlot = PiSlot + 1;
static_assert(TimeErrorSlot < RecentDataList::KnownSlots);

int SlotOf(ResponseName kind)
{
    return kind == ResponseName::Other ? RecentDataList::NoSlot : static_cast<int>(kind);
}

bool InFmBand(float f)
{
    return f > 63.9f && f < 108.1f;
}

void AddHistorySample(TDevice &d, TDateTime now)
{
    const int size = static_cast<int>(d.History.size());
    if (size - d.HistoryCount < HistoryFreeMinimum) {
        if (d.HistoryCount < HistoryGrowLimit) {
            d.History.resize(size + HistoryBlockSize);
        } else {
            d.History.dropOldestBlock();
            d.HistoryCount -= HistoryBlockSize;
        }
    }
    THistorySample &sample = d.History[d.HistoryCount++];
    sample.Time = now;
    sample.Values = d.ColumnValue;
    for (int c = 0; c < ColumnCount; ++c) {
        const float v = d.ColumnValue[c];
        if (v > d.ColumnMax[c])
            d.ColumnMax[c] = v;
        if (v < d.ColumnMin[c] && v > NoValue)
            d.ColumnMin[c] = v;
    }
}
} // namespace

void Engine::TimerReceiveTimer()
{
    m_receiveTick.start();
    RunGuarded([this] {
        const TDateTime now = m_clock.now();
        if (++G.ReceiveCycle >= ReceiveCycles)
            G.ReceiveCycle = 0;
        for (int i = 0; i < static_cast<int>(Devices.size()); ++i) {
            if (Devices[i].Handle < 0)
                continue;
            const bool measuring = MeasuringMode(i);
            TAlarmReadings readings;
            m_library.SetDevice(Devices[i].Handle);
            const int n = m_library.ReadBufferLength();
            TDevice &d = Devices[i];
            if (n > 0) {
                d.SilentSeconds = 0;
                Note(i, ResponsesRead);
            }
            const bool quiet = d.SilentSeconds > 30 || d.ConnectCountdown >= 0 ||
                               now < d.IgnoreUntil || !d.StationActive;
            for (int k = 0; k < n; ++k) {
                // A retune in the middle of the parse selects this device again.
                m_library.SetDevice(d.Handle);
                HandleResponse(i, m_library.ReadResponseView(), now, quiet, readings);
            }
            // Each RDS log is written once a second, the devices taking turns
            // over the second's ticks: a write per device and tick was more
            // than half of a tick at a thousand devices. Closing the log
            // writes what is left.
            if (i % ReceiveCycles == G.ReceiveCycle && !d.RDSLogName.isEmpty() && d.RDSLog &&
                !d.RDSLog->flush())
                DropModeLog(i, d.RDSLogName);
            if (G.ReceiveCycle == ReceiveCycles - 1 && !quiet && measuring)
                AddHistorySample(d, now);
            if (d.AlarmSetActive && !quiet)
                EvaluateAlarms(i, readings, now);
        }
    });
}

void Engine::HandleResponse(int device, const QString &response, TDateTime now, bool quiet,
                            TAlarmReadings &readings)
{
    const QByteArray bytes = response.toLatin1();
    HandleResponse(device, QLatin1StringView(bytes), now, quiet, readings);
}

void Engine::HandleResponse(int device, QLatin1StringView response, TDateTime now, bool quiet,
                            TAlarmReadings &readings)
{
    if (InvalidDevice(device))
        return;
    TDevice &d = Devices[device];
    d.BytesReceived += response.size();
    if (!response.isEmpty()) {
        d.BytesUnanswered = 0;
        d.UnansweredAlarmRaised = false;
    }
    const auto *eq = static_cast<const char *>(
        std::memchr(response.data(), '=', static_cast<std::size_t>(response.size())));
    const qsizetype nameSize = eq ? eq - response.data() : -1;
    const QLatin1StringView name = eq ? response.left(nameSize) : QLatin1StringView();
    const QLatin1StringView value = eq ? response.sliced(nameSize + 1) : response;
    const ResponseName kind = ClassifyResponseName(name);
    if (kind == ResponseName::Wait)
        return;

    const int column = ColumnOf(kind);
    // The names the engine reads a number from, read once.
    const bool numeric = kind != ResponseName::Other && kind != ResponseName::Group &&
                         kind != ResponseName::HistogramData;
    const float number = numeric ? StrToSingle(value) : NoValue;
    if (column >= 0)
        d.ColumnValue[column] = column < DeviationColumns ? std::min(number, DeviationCap) : number;
    if (quiet)
        return;

    // The value's one copy, kept by the recent data; the cases that need it
    // as text share it (a copy that ends with them, so the next value again
    // finds its room unshared).
    const QString *stored = AddToLastData(device, NameText(kind, name), value, SlotOf(kind));
    const auto valueText = [stored, value] { return stored ? *stored : QString(value); };

    switch (kind) {
    case ResponseName::Ave:
        readings.AVE = number;
        break;
    case ResponseName::MaxHold:
        readings.MaxHold = number;
        break;
    case ResponseName::Pm:
    case ResponseName::ModulationPower:
        readings.Pm = number;
        break;
    case ResponseName::Pilot:
        readings.Pilot = number * 1000;
        break;
    case ResponseName::Rds:
        readings.RdsLevel = number * 1000;
        break;
    case ResponseName::SignalQuality:
        readings.Quality = TruncatedReading(number);
        break;
    case ResponseName::Level:
        readings.Level = TruncatedReading(number);
        break;
    case ResponseName::Frequency: {
        const float t = d.TunedFrequency;
        const float g = StrToSingle(d.Station.Frequency);
        if (number != t && InFmBand(number) && InFmBand(t) && InFmBand(g)) {
            AddToActivityLog(device,
                             QStringLiteral("Tuning frequency refresh: ") + d.Station.Frequency);
            // The response is not looked at again: retuning reads the link.
            Retune(device, d.Station.Frequency, true);
        }
        break;
    }
    case ResponseName::Group:
        HandleGroup(device, valueText(), now, readings);
        break;
    case ResponseName::HistogramData: {
        StoreHistogram(device, valueText());
        const QString text = QString::number(d.HistogramMaxAt) + QStringLiteral(".0 kHz");
        AddToLastData(device, MeasurementColumns[ColumnOf(ResponseName::HistogramMaxAt)], text,
                      SlotOf(ResponseName::HistogramMaxAt));
        d.ColumnValue[ColumnOf(ResponseName::HistogramMaxAt)] =
            static_cast<float>(d.HistogramMaxAt);
        break;
    }
    default:
        break;
    }
}

void Engine::HandleGroup(int device, const QString &group, TDateTime now, TAlarmReadings &readings)
{
    TDevice &d = Devices[device];
    const std::optional<RdsGroup> parsed = RdsGroup::Parse(group);
    if (parsed)
        DecodeRds(device, *parsed, now, readings);
    if (parsed && GroupConvert(*parsed, G)) {
        if (IsClockTimeGroup(G.GroupBlockB) && G.GroupBlockC >= 0 && G.GroupBlockD >= 0) {
            qint64 error = SecondsBetween(now, DEC_CT(G, now));
            if (error > 0)
                --error;
            readings.TimeError = error;
            const QString text = QString::number(error) + QStringLiteral(" s");
            AddToLastData(device, QStringLiteral("Time Error"), text, TimeErrorSlot);
        }
        // One PI text per device and tick while the station keeps its PI.
        const QStringView pi = QStringView(group).left(4);
        if (readings.PI != pi)
            readings.PI = pi.toString();
        AddToLastData(device, QStringLiteral("PI"), readings.PI, PiSlot);
    }
    if (RDSMode(device) && !d.RDSLogName.isEmpty()) {
        // Flushed once per device and second (in the receive tick): hundreds
        // of groups a second across devices would otherwise mean as many
        // writes.
        if (m_rdsStampTime != now) {
            m_rdsStampTime = now;
            m_rdsStamp = RdsLogStamp(now);
        }
        if (!d.RDSLog || !d.RDSLog->writeLine(group + m_rdsStamp, LogFile::Flush::Later))
            DropModeLog(device, d.RDSLogName);
    }
    if (device == G.RdsOutputDevice)
        SendToRDSLumex(group);
}

float Engine::StrToSingle(const QString &text)
{
    if (text.isEmpty())
        return NoValue;
    try {
        return ToReading(m_library.PCharToFloat(text));
    } catch (const NumberConversionError &) {
        return NoValue;
    }
}

float Engine::StrToSingle(QLatin1StringView text)
{
    return text.isEmpty() ? NoValue : ToReading(leadingNumber(text));
}

void Engine::AddToLastData(int device, const QString &name, const QString &value, int slot)
{
    if (InvalidDevice(device))
        return;
    if (!Devices[device].LastData.Set(name, value, slot))
        NoteRefusedName(device);
}

const QString *Engine::AddToLastData(int device, const QString &name, QLatin1StringView value,
                                     int slot)
{
    if (InvalidDevice(device))
        return nullptr;
    const QString *stored = Devices[device].LastData.Write(name, value, slot);
    if (!stored)
        NoteRefusedName(device);
    return stored;
}

// Told once per tuning: the bound is the list's, which every tuning empties,
// and a receiver that floods one station may behave on the next.
void Engine::NoteRefusedName(int device)
{
    if (Devices[device].LastData.Refused() == 1)
        AddToActivityLog(device,
                         QStringLiteral("More than %1 unknown value names received since tuning; "
                                        "further unknown names are ignored until the next tuning")
                             .arg(RecentDataList::MaxEntries));
}

bool Engine::HasLastData(int device, const QString &name) const
{
    return !InvalidDevice(device) && Devices[device].LastData.Find(name);
}

QString Engine::GetLastData(int device, const QString &name) const
{
    if (InvalidDevice(device))
        return {};
    const QString *value = Devices[device].LastData.Find(name);
    return value ? *value : QString();
}

int Engine::GetLastDataInt(int device, const QString &name)
{
    const QString value = GetLastData(device, name);
    if (value.isEmpty())
        return -1;
    return TruncatedReading(StrToSingle(value));
}

} // namespace vantor
