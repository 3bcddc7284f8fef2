// The receive tick: reads every waiting response of every device and
// interprets it by its name.
#include "engine.h"
#include "rds_groups.h"

#include <cmath>
#include <limits>

namespace vantor {

namespace {
// Deviation columns are capped: an overdriven receiver reports nonsense.
constexpr int DeviationColumns = 4;
constexpr float DeviationCap = 150.0f;
constexpr int HistoryFreeMinimum = 3;
constexpr int HistoryGrowLimit = 17990;

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
            std::move(d.History.begin() + HistoryBlockSize, d.History.begin() + d.HistoryCount,
                      d.History.begin());
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
        if (++G.ReceiveCycle > 4)
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
                HandleResponse(i, m_library.ReadResponse(), now, quiet, readings);
            }
            if (!d.RDSLogName.isEmpty() && d.RDSLog && !d.RDSLog->flush())
                DropModeLog(i, d.RDSLogName);
            if (G.ReceiveCycle == 4 && !quiet && measuring)
                AddHistorySample(d, now);
            if (d.AlarmSetActive && !quiet)
                EvaluateAlarms(i, readings, now);
        }
    });
}

void Engine::HandleResponse(int device, const QString &response, TDateTime now, bool quiet,
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
    const qsizetype eq = response.indexOf(QLatin1Char('='));
    const QString name = eq < 0 ? QString() : response.left(eq);
    const QString value = eq < 0 ? response : response.mid(eq + 1);
    if (name == QLatin1String("W"))
        return;

    const int column = GetTableColumn(name);
    if (column >= 0) {
        float v = StrToSingle(value);
        if (column < DeviationColumns && v > DeviationCap)
            v = DeviationCap;
        d.ColumnValue[column] = v;
    }
    if (quiet)
        return;

    AddToLastData(device, name, value);

    if (name == QLatin1String("AVE"))
        readings.AVE = StrToSingle(value);
    else if (name == QLatin1String("MAX Hold"))
        readings.MaxHold = StrToSingle(value);
    else if (name == QLatin1String("Pm") || name == QLatin1String("Modulation Power"))
        readings.Pm = StrToSingle(value);
    else if (name == QLatin1String("Pilot"))
        readings.Pilot = StrToSingle(value) * 1000;
    else if (name == QLatin1String("RDS"))
        readings.RdsLevel = StrToSingle(value) * 1000;
    else if (name == QLatin1String("Signal Quality"))
        readings.Quality = TruncatedReading(StrToSingle(value));
    else if (name == QLatin1String("Level"))
        readings.Level = TruncatedReading(StrToSingle(value));

    if (name == QLatin1String("Frequency")) {
        const float f = StrToSingle(value);
        const float t = d.TunedFrequency;
        const float g = StrToSingle(d.Station.Frequency);
        if (f != t && InFmBand(f) && InFmBand(t) && InFmBand(g)) {
            AddToActivityLog(device,
                             QStringLiteral("Tuning frequency refresh: ") + d.Station.Frequency);
            Retune(device, d.Station.Frequency, true);
        }
    } else if (name == QLatin1String("G")) {
        if (GroupConvert(value, G)) {
            if (IsClockTimeGroup(G.GroupBlockB) && G.GroupBlockC >= 0 && G.GroupBlockD >= 0) {
                qint64 error = SecondsBetween(now, DEC_CT(G, now));
                if (error > 0)
                    --error;
                readings.TimeError = error;
                const QString text = QString::number(error) + QStringLiteral(" s");
                AddToLastData(device, QStringLiteral("Time Error"), text);
            }
            readings.PI = value.left(4);
            AddToLastData(device, QStringLiteral("PI"), readings.PI);
        }
        if (RDSMode(device) && !d.RDSLogName.isEmpty()) {
            // Flushed once per device and tick (below): hundreds of groups a
            // second across devices would otherwise mean as many writes.
            if (m_rdsStampTime != now) {
                m_rdsStampTime = now;
                m_rdsStamp = RdsLogStamp(now);
            }
            if (!d.RDSLog || !d.RDSLog->writeLine(value + m_rdsStamp, LogFile::Flush::Later))
                DropModeLog(device, d.RDSLogName);
        }
        if (device == G.RdsOutputDevice)
            SendToRDSLumex(value);
    } else if (name == QLatin1String("Histogram Data")) {
        StoreHistogram(device, value);
        const QString text = QString::number(d.HistogramMaxAt) + QStringLiteral(".0 kHz");
        AddToLastData(device, QStringLiteral("Histogram Max at"), text);
        d.ColumnValue[GetTableColumn(QStringLiteral("Histogram Max at"))] =
            static_cast<float>(d.HistogramMaxAt);
    }
}

float Engine::StrToSingle(const QString &text)
{
    if (text.isEmpty())
        return NoValue;
    try {
        const double v = m_library.PCharToFloat(text);
        // Beyond a float's range the conversion itself would be undefined.
        if (!(std::fabs(v) <= std::numeric_limits<float>::max()))
            return NoValue;
        return static_cast<float>(v);
    } catch (const NumberConversionError &) {
        return NoValue;
    }
}

void Engine::AddToLastData(int device, const QString &name, const QString &value)
{
    if (InvalidDevice(device))
        return;
    RecentDataList &list = Devices[device].LastData;
    if (!list.Set(name, value) && list.Refused() == 1)
        AddToActivityLog(device, QStringLiteral("More than %1 value names received since tuning; "
                                                "further names are ignored until the next tuning")
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
