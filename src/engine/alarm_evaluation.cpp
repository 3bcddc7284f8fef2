// Compares one receive tick's readings of a device with the alarm set in
// force and decides, per alarm kind, whether it is pending, becomes active or
// clears.
#include "engine.h"

#include <cmath>

namespace vantor {

void Engine::EvaluateAlarms(int device, const TAlarmReadings &r, TDateTime now)
{
    if (InvalidDevice(device))
        return;
    TDevice &d = Devices[device];
    if (d.Handle < 0 || d.SilentSeconds > 30 || !DeviceConnected(device) || now < d.IgnoreUntil ||
        !d.StationActive || !d.AlarmSetActive)
        return;
    const TAlarmSet &set = d.AlarmSet;

    auto evaluate = [&](int kind, bool present, bool condition) {
        if (!set.Basic[kind].Enabled)
            InitializeAlarmVars(d, kind);
        else
            HandleAlarm(device, kind, condition, present, now);
    };

    evaluate(AlarmSilence, r.AVE > -1.0f, r.AVE < set.SD_Minimum);
    evaluate(AlarmSignalQuality, r.Quality > -1, r.Quality < set.SQ_SignalQuality + 2);

    if (m_prefs.Flag(QStringLiteral("IgnoreValues")) && MeasuringMode(device)) {
        const QString quality = GetLastData(device, QStringLiteral("Signal Quality"));
        const bool good =
            m_prefs.Integer(QStringLiteral("QualityValue")) == 0
                ? quality.contains(QLatin1Char('5'))
                : quality.contains(QLatin1Char('5')) || quality.contains(QLatin1Char('4'));
        if (!good)
            return;
    }

    const QString stationPi = d.Station.PI.toUpper();
    evaluate(AlarmPiMismatch,
             r.PI.size() == 4 && r.PI != QLatin1String("----") && stationPi.size() >= 4,
             !stationPi.contains(r.PI));
    evaluate(AlarmTimeError, r.TimeError >= 0, r.TimeError > set.TM_MaxError);

    const bool overPresent =
        r.MaxHold > -1.0f && (HasLastData(device, QStringLiteral("Histogram Max at")) ||
                              HasLastData(device, QStringLiteral("AVE")));
    const bool overmodulated =
        r.MaxHold > set.OM_MaxHoldLimit &&
        (GetLastDataInt(device, QStringLiteral("Histogram Max at")) > set.OM_MaxAtLimit ||
         GetLastDataInt(device, QStringLiteral("AVE")) > set.OM_AveLimit);
    evaluate(AlarmOvermodulation, overPresent, overmodulated);

    evaluate(AlarmPilot, r.Pilot > -1.0f, r.Pilot < set.PL_Minimum || r.Pilot > set.PL_Maximum);
    evaluate(AlarmModulationPower, r.Pm > -1.0f, r.Pm > set.PM_Maximum);
    evaluate(AlarmRfLevel, r.Level > -1, r.Level < set.RF_Minimum);
    evaluate(AlarmRdsLevel, r.RdsLevel > -1.0f,
             r.RdsLevel < set.RL_Minimum || r.RdsLevel > set.RL_Maximum);
    EvaluateRdsAlarms(device, r, now);
}

void Engine::HandleAlarm(int device, int kind, bool condition, bool present, TDateTime now)
{
    if (InvalidDevice(device) || InvalidAlarmKind(kind) || !present)
        return;
    TDevice &d = Devices[device];
    if (!condition) {
        DeactivateAlarm(device, kind);
        InitializeAlarmVars(d, kind);
        return;
    }
    if (d.AlarmStart[kind] == 0)
        d.AlarmStart[kind] = now;
    if (d.AlarmActive[kind])
        return;
    if (SecondsBetween(d.AlarmStart[kind], now) > d.AlarmSet.Basic[kind].Duration)
        ActivateAlarm(device, kind);
}

} // namespace vantor
