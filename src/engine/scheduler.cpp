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

enum SchedulingMode { Manual = 0, InfiniteLoop = 1, DaysAndTimes = 2 };
} // namespace

void Engine::TimerMeasuringTimer()
{
    RunGuarded([this] {
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
            const TDateTime now = m_clock.now();
            const int weekday = DayOfTheWeek(now);
            if (ScheduleListsTime(d.Schedule[weekday - 1].Times, TimePart(now)))
                HandleScheduling(device);
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
