// The engine's clock: whole seconds of elapsed time drive every device
// through its stations by its scheduling mode.
#include "engine.h"
#include "schedule_times.h"

namespace vantor {

namespace {
constexpr qint64 MsPerSecond = 1000;
// A gap longer than this (the clock set forward, a sleeping computer) counts
// as one second instead of being caught up.
constexpr qint64 CatchUpLimitMs = 100000;
// Longer than any window IgnoreRX opens (4 s after tuning or a mode start).
constexpr TDateTime IgnoreWindowLimit = 60 * OneSecond;

enum SchedulingMode { Manual = 0, InfiniteLoop = 1, DaysAndTimes = 2 };
} // namespace

void Engine::TimerMeasuringTimer()
{
    RunGuarded([this] {
        m_filesMadeThisTick = 0;
        // An ignore window ending further ahead than any opens means local
        // time went back (set by hand, or the autumn change of daylight
        // saving); left alone, the device would be deaf for as long as the jump.
        const TDateTime local = m_clock.now();
        for (TDevice &d : Devices) {
            if (d.IgnoreUntil - local > IgnoreWindowLimit)
                d.IgnoreUntil = local;
        }
        const qint64 t = m_clock.utcMilliseconds();
        qint64 elapsed = t - G.LastSecondMark;
        if (t < G.LastSecondMark)
            elapsed = 0;
        if (elapsed > CatchUpLimitMs)
            elapsed = MsPerSecond;
        G.LastSecondMark = t;
        while (elapsed >= MsPerSecond) {
            elapsed -= MsPerSecond;
            for (int i = 0; i < static_cast<int>(Devices.size()); ++i)
                RunDeviceSecond(i);
        }
        G.LastSecondMark -= elapsed;
    });
}

void Engine::RunDeviceSecond(int device)
{
    if (!DeviceUsable(device))
        return;
    TDevice &d = Devices[device];
    ++d.SilentSeconds;
    if (d.Paused)
        return;
    const bool stationDone = d.MeasuringCountdown == 0 && d.RDSCountdown <= 0;

    if (d.SchedulingMode == Manual && d.StationActive && stationDone)
        Stop(device);

    if (d.SchedulingMode == DaysAndTimes) {
        if (d.StationActive && stationDone)
            HandleScheduling(device);
        if (!d.StationActive) {
            const QDateTime now = m_clock.currentDateTime();
            const StartWindow due = DueStartWindow(now);
            if (ScheduleListsTimeBetween(d.Schedule[now.date().dayOfWeek() - 1].Times, due.first,
                                         due.last) &&
                !RepeatsScheduledStart(d.ScheduledStart, now)) {
                d.ScheduledStart = now;
                HandleScheduling(device);
            }
        }
    }

    if (d.StationActive) {
        const int measuring = d.Station.Measuring;
        const int rds = d.Station.RDS;
        if (d.Station.ModeOrder == QLatin1String("RDS/Measuring")) {
            if (d.RDSCountdown == rds * 60 && rds > 0)
                StartRDS(device);
            if (d.RDSCountdown <= 0 && d.MeasuringCountdown == measuring * 60 && measuring > 0)
                StartMeasuring(device);
        } else {
            if (d.MeasuringCountdown == measuring * 60 && measuring > 0)
                StartMeasuring(device);
            if (d.MeasuringCountdown == 0 && d.RDSCountdown == rds * 60 && rds > 0)
                StartRDS(device);
        }
        if (d.MeasuringCountdown > 0 && MeasuringMode(device))
            --d.MeasuringCountdown;
        else if (d.RDSCountdown > 0 && RDSMode(device))
            --d.RDSCountdown;
    }

    if (d.SchedulingMode == InfiniteLoop &&
        (!d.StationActive || (d.MeasuringCountdown == 0 && d.RDSCountdown <= 0))) {
        if (HandleScheduling(device))
            HandleScheduling(device);
    }
}

bool Engine::HandleScheduling(int device)
{
    if (InvalidDevice(device))
        return false;
    const int current = Devices[device].StationIndex;
    const int next = FindNextStationID(Devices[device].Name, current);
    if (next >= 0) {
        if (current < 0)
            AddToActivityLog(device, QStringLiteral("New scheduling event"));
        Tune(device, next, false);
        return false;
    }
    Stop(device);
    if (current >= 0) {
        AddToActivityLog(device, QStringLiteral("Scheduling tasks finished"));
        return true;
    }
    return false;
}

int Engine::FindNextStationID(const QString &deviceName, int after) const
{
    for (int j = std::max(after, -1) + 1; j < static_cast<int>(Stations.size()); ++j) {
        if (Stations[j].DeviceName == deviceName)
            return j;
    }
    return -1;
}

} // namespace vantor
