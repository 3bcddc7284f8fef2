// The one way commands reach a device, with its traffic counters, and the
// poll that keeps measured values arriving.
#include "engine.h"

namespace vantor {

void Engine::Send(int device, const QString &command)
{
    if (InvalidDevice(device))
        return;
    TDevice &d = Devices[device];
    m_library.SetDevice(d.Handle);
    m_library.WriteCommand(command);
    d.BytesSent += command.size();
    d.BytesUnanswered += command.size();
    if (d.BytesUnanswered > m_prefs.Integer(QStringLiteral("ConnectionBytes"))) {
        if (!d.UnansweredAlarmRaised) {
            d.UnansweredAlarmRaised = true;
            ActivateAlarm(device, AlarmNoResponse);
        }
    } else {
        d.UnansweredAlarmRaised = false;
    }
}

void Engine::IgnoreRX(int device, int seconds)
{
    if (InvalidDevice(device))
        return;
    Devices[device].IgnoreUntil = m_clock.now() + seconds * OneSecond;
}

bool Engine::MeasuringMode(int device) const
{
    if (InvalidDevice(device))
        return false;
    const TDevice &d = Devices[device];
    return (d.Mode & ModeMeasuringPart) && d.StationActive;
}

bool Engine::RDSMode(int device) const
{
    if (InvalidDevice(device))
        return false;
    const TDevice &d = Devices[device];
    return (d.Mode & ModeRdsPart) && d.StationActive;
}

void Engine::TimerSendTimer()
{
    RunGuarded([this] {
        ++G.PollToggle;
        ++G.PollCycle;
        if (G.PollToggle > 1)
            G.PollToggle = 0;
        if (G.PollCycle > 10)
            G.PollCycle = 0;
        const TDateTime now = m_clock.now();

        auto send = [this](int i, std::initializer_list<const char *> commands) {
            for (const char *c : commands)
                Send(i, QLatin1String(c));
        };
        for (int i = 0; i < static_cast<int>(Devices.size()); ++i) {
            if (Devices[i].Handle < 0 || !DeviceConnected(i))
                continue;
            if (MeasuringMode(i)) {
                send(i, {"?Q", "?U", "?A", "?N"});
                if (G.PollToggle > 0)
                    send(i, {"?X", "?E"});
                else
                    send(i, {"?R", "?L"});
                if (Devices[i].IgnoreUntil >= now)
                    send(i, {"?I", "?X"});
                else if (i % 10 == G.PollCycle)
                    send(i, {"?F", "?H"});
                else
                    send(i, {"?I", "1?W"});
            }
            if (RDSMode(i) && G.PollCycle > 9)
                send(i, {"?F"});
        }
    });
}

} // namespace vantor
