#include "rds_alarm_texts.h"
#include "rds_alarm_rules.h"
#include "rds_reception.h"

namespace vantor {

namespace {
QString Minutes(int seconds)
{
    return QString::number(seconds / 60) + QStringLiteral(" min");
}
} // namespace

QString RdsAlarmLimit(const TAlarmSet &set, const TStation &station, int kind)
{
    switch (kind) {
    case AlarmPsMismatch:
        return station.PS;
    case AlarmTaStuck:
    case AlarmRadioTextMissing:
        return Minutes(set.Basic[kind].Duration);
    case AlarmRdsErrors:
        return QString::number(set.RE_MaxShare) + QStringLiteral(" %");
    case AlarmGroupTypesMissing:
        return set.GT_GroupTypes;
    default:
        return {};
    }
}

QString RdsAlarmReading(const TDevice &device, int kind, TDateTime now)
{
    if (!device.Rds)
        return {};
    const RdsReception &rds = *device.Rds;
    const RdsState &state = rds.decoder.state();
    switch (kind) {
    case AlarmPsMismatch:
        return state.ps.complete;
    case AlarmTaStuck:
        return state.ta < 0 ? QString() : state.ta ? QStringLiteral("on") : QStringLiteral("off");
    case AlarmRadioTextMissing:
        // How long ago it last came, once the alarms watch for it.
        return rds.judgedSince == 0 ? QString()
                                    : QString::number(SecondsBetween(rds.radioTextSince(), now)) +
                                          QStringLiteral(" s ago");
    case AlarmRdsErrors:
        return state.blockErrorShare < 0
                   ? QString()
                   : QString::number(state.blockErrorShare, 'f', 1) + QStringLiteral(" %");
    case AlarmGroupTypesMissing: {
        // The listed types that did not come within the duration.
        const std::optional<QList<int>> types = ParseGroupTypes(device.AlarmSet.GT_GroupTypes);
        if (rds.judgedSince == 0 || !types)
            return {};
        QStringList missing;
        for (const int type : *types) {
            if (SecondsBetween(rds.arrivedSince(type), now) > device.AlarmSet.Basic[kind].Duration)
                missing.append(RdsGroupTypeName(type));
        }
        return missing.join(QLatin1Char(' '));
    }
    default:
        return {};
    }
}

} // namespace vantor
