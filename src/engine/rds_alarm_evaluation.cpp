// The alarm kinds on the decoded RDS, judged while the device receives RDS:
// a programme service name that is not the station's, a traffic announcement
// that does not end, RadioText or listed group types that stop arriving, and
// too many lost blocks.
#include "engine.h"
#include "rds_alarm_rules.h"
#include "rds_reception.h"

#include <algorithm>

namespace vantor {

void Engine::EvaluateRdsAlarms(int device, const TAlarmReadings &r, TDateTime now)
{
    TDevice &d = Devices[device];
    // Outside RDS mode nothing is heard: the kinds keep their state, as they
    // do for any absent reading.
    if (!RDSMode(device) || !d.Rds)
        return;
    RdsReception &rds = *d.Rds;
    if (rds.judgedSince == 0)
        rds.judgedSince = now;
    const TAlarmSet &set = d.AlarmSet;
    const RdsState &state = rds.decoder.state();

    const auto enabled = [&](int kind) {
        if (!set.Basic[kind].Enabled)
            InitializeAlarmVars(d, kind);
        return set.Basic[kind].Enabled;
    };
    // A kind about something that stopped arriving is pending from the moment
    // it was last received, so it is raised once its duration has passed
    // since then, not a second duration later.
    const auto judgeMissing = [&](int kind, TDateTime since) {
        const bool missing = SecondsBetween(since, now) > set.Basic[kind].Duration;
        if (missing && d.AlarmStart[kind] == 0)
            d.AlarmStart[kind] = since;
        HandleAlarm(device, kind, missing, true, now);
    };

    if (enabled(AlarmPsMismatch)) {
        const QStringList names = ExpectedPsNames(d.Station.PS);
        const QString &ps = state.ps.complete;
        const bool matches = std::any_of(names.begin(), names.end(),
                                         [&](const QString &name) { return PsMatches(ps, name); });
        HandleAlarm(device, AlarmPsMismatch, !matches,
                    r.RdsGroups > 0 && !names.isEmpty() && !ps.isEmpty(), now);
    }
    if (enabled(AlarmTaStuck))
        HandleAlarm(device, AlarmTaStuck, r.TaFlag == 1, r.TaFlag >= 0, now);
    if (enabled(AlarmRadioTextMissing))
        judgeMissing(AlarmRadioTextMissing, rds.radioTextSince());
    if (enabled(AlarmRdsErrors))
        HandleAlarm(device, AlarmRdsErrors, state.blockErrorShare > set.RE_MaxShare,
                    r.RdsGroups > 0 && state.blockErrorShare >= 0, now);
    if (enabled(AlarmGroupTypesMissing)) {
        // A list the editor would refuse judges nothing.
        const std::optional<QList<int>> types = ParseGroupTypes(set.GT_GroupTypes);
        if (types && !types->isEmpty())
            judgeMissing(AlarmGroupTypesMissing, rds.oldestArrival(*types));
    }
}

} // namespace vantor
