// The RDS decoder of each device, fed where its groups arrive.
#include "rds_reception.h"
#include "engine.h"

namespace vantor {

namespace {
PtyNames PtyTable(const Preferences &prefs)
{
    return prefs.Integer(QStringLiteral("RDSPtyNames")) == 1 ? PtyNames::Rbds : PtyNames::Rds;
}
} // namespace

void Engine::DecodeRds(int device, const RdsGroup &group, TDateTime now, TAlarmReadings &readings)
{
    TDevice &d = Devices[device];
    if (!d.Rds)
        d.Rds = std::make_shared<RdsReception>(Folders.AppLogsFolder, d.Name);
    RdsReception &rds = *d.Rds;
    ++readings.RdsGroups;
    const int type = group.typeIndex();
    if (type >= 0) {
        rds.lastArrival[static_cast<std::size_t>(type)] = now;
        // The station's own TA flag rides in 0A, 0B and 15B.
        if (type <= 1 || type == 31)
            readings.TaFlag = (group[RdsGroup::B] >> 4) & 1;
    }
    const std::uint32_t changes = rds.decoder.feed(group, now);
    if (changes)
        Note(device, RdsChanged);
    if (!changes && !rds.log.pending())
        return;
    if (!rds.log.record(rds.decoder.state(), changes, now, PtyTable(m_prefs)))
        AddToActivityLog(device, QStringLiteral("Cannot write to the RDS change log ") +
                                     rds.log.errorString());
}

void Engine::RestartRds(int device)
{
    TDevice &d = Devices[device];
    // A device renamed in the Device List writes its next lines under its new name.
    if (!d.Rds || d.Rds->deviceName != d.Name)
        d.Rds = std::make_shared<RdsReception>(Folders.AppLogsFolder, d.Name);
    d.Rds->restart();
    Note(device, RdsChanged);
    if (!d.Rds->log.tuned(d.Station.Name, m_clock.now()))
        AddToActivityLog(device, QStringLiteral("Cannot write to the RDS change log ") +
                                     d.Rds->log.errorString());
}

} // namespace vantor
