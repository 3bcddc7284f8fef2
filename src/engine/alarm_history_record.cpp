// What the alarm history keeps of an alarm: the device's station, the
// reading the alarm looks at and the alarm set's condition it broke.
#include "alarm_kind_keys.h"
#include "engine.h"
#include "rds_alarm_texts.h"

namespace vantor {

namespace {
// The response whose value an alarm kind compares; the kinds on the decoded
// RDS read the decoder instead.
const std::array<const char *, AlarmRdsLevel + 1> ReadingNames = {
    "AVE", "PI", "Time Error", "MAX Hold", "Signal Quality", "Pilot", "Pm", "Level", "RDS",
};

QString Condition(const TAlarmSet &set, const TStation &station, int kind)
{
    const auto n = [](int value) { return QString::number(value); };
    switch (kind) {
    case AlarmSilence:
        return QStringLiteral("AVE < ") + n(set.SD_Minimum);
    case AlarmPiMismatch:
        return QStringLiteral("PI not ") + station.PI;
    case AlarmTimeError:
        return QStringLiteral("Time Error > ") + n(set.TM_MaxError);
    case AlarmOvermodulation:
        return QStringLiteral("MAX Hold > ") + n(set.OM_MaxHoldLimit) +
               QStringLiteral(" and (Histogram Max at > ") + n(set.OM_MaxAtLimit) +
               QStringLiteral(" or AVE > ") + n(set.OM_AveLimit) + QLatin1Char(')');
    case AlarmSignalQuality:
        return QStringLiteral("Signal Quality < ") + n(set.SQ_SignalQuality + 2);
    case AlarmPilot:
        return QStringLiteral("Pilot < ") + n(set.PL_Minimum) + QStringLiteral(" or > ") +
               n(set.PL_Maximum);
    case AlarmModulationPower:
        return QStringLiteral("Pm > ") + n(set.PM_Maximum);
    case AlarmRfLevel:
        return QStringLiteral("Level < ") + n(set.RF_Minimum);
    case AlarmRdsLevel:
        return QStringLiteral("RDS < ") + n(set.RL_Minimum) + QStringLiteral(" or > ") +
               n(set.RL_Maximum);
    case AlarmPsMismatch:
        return QStringLiteral("PS not ") + station.PS;
    case AlarmTaStuck:
        return QStringLiteral("TA on > ") + n(set.Basic[kind].Duration) + QStringLiteral(" s");
    case AlarmRadioTextMissing:
        return QStringLiteral("no RadioText > ") + n(set.Basic[kind].Duration) +
               QStringLiteral(" s");
    case AlarmRdsErrors:
        return QStringLiteral("block errors > ") + n(set.RE_MaxShare) + QStringLiteral(" %");
    case AlarmGroupTypesMissing:
        return QStringLiteral("no ") + set.GT_GroupTypes + QStringLiteral(" > ") +
               n(set.Basic[kind].Duration) + QStringLiteral(" s");
    default:
        return {};
    }
}
} // namespace

void Engine::RecordAlarmHistory(int device, int kind, bool raised)
{
    if (InvalidDevice(device) ||
        (InvalidAlarmKind(kind) && kind != AlarmConnection && kind != AlarmNoResponse))
        return;
    const TDevice &d = Devices[device];
    AlarmEvent event;
    event.raised = raised;
    event.time = m_clock.currentDateTime().toUTC();
    event.device = d.Name;
    event.station = d.Station.Name;
    event.frequency = d.Station.Frequency;
    if (kind == AlarmConnection || kind == AlarmNoResponse) {
        event.kind =
            kind == AlarmConnection ? QStringLiteral("connection") : QStringLiteral("no_response");
    } else {
        event.kind = QLatin1String(AlarmKindKeys[kind]);
        event.value = kind <= AlarmRdsLevel ? GetLastData(device, QLatin1String(ReadingNames[kind]))
                                            : RdsAlarmReading(d, kind, m_clock.now());
        if (raised)
            event.limit = Condition(d.AlarmSet, d.Station, kind);
    }
    if (QString error; !m_alarmHistory.Record(event, &error))
        AddToActivityLog(-1, QStringLiteral("Alarm history: ") + error);
}

} // namespace vantor
