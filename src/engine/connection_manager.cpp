// Brings every configured device onto the device library and keeps its link
// up: one device per connection tick, round robin; tells a device's activity
// log of data its link lost.
#include "connection_entry.h"
#include "engine.h"

namespace vantor {

void Engine::TimerConnectTimer()
{
    RunGuarded([this] {
        const int count = static_cast<int>(Devices.size());
        if (count == 0)
            return;
        for (TDevice &d : Devices) {
            if (d.ConnectCountdown > 0)
                --d.ConnectCountdown;
        }
        ++G.ConnectIndex;
        if (G.ConnectIndex < 0 || G.ConnectIndex >= count)
            G.ConnectIndex = 0;
        const int i = G.ConnectIndex;
        TDevice &d = Devices[i];

        if (d.Handle < 0) {
            if (!d.ActivityLines)
                d.ActivityLines.emplace();
            Note(i, Registered);
            OpenActivityLog(i, m_clock.now());
            d.Handle = InitializeDevice(i);
        }

        if (DeviceConnected(i)) {
            if (d.ConnectCountdown < 0)
                return;
            d.ConnectCountdown = -1;
            d.ConnectAttempts = 0;
            d.BytesUnanswered = 0;
            d.UnansweredAlarmRaised = false;
            Note(i, ConnectionChanged);
            AddToActivityLog(1000 + i, QStringLiteral("Connected to ") + d.Connection);
            if (!(d.Mode & ModeRdsPart))
                Send(i, QStringLiteral("*r"));
            if (!(d.Mode & ModeMeasuringPart)) {
                Send(i, QStringLiteral("*m"));
                Send(i, QStringLiteral("*p"));
            }
            return;
        }
        if (d.ConnectCountdown > 0)
            return;
        if (d.ConnectCountdown == -1) {
            Note(i, ConnectionChanged);
            AddToActivityLog(1000 + i, QStringLiteral("Disconnected from ") + d.Connection);
        } else {
            TryConnect(i);
        }
        d.ConnectCountdown = m_prefs.Integer(QStringLiteral("ConnectionTimeout"));
    });
}

void Engine::TryConnect(int device)
{
    if (InvalidDevice(device) || Devices[device].Connection.isEmpty())
        return;
    TDevice &d = Devices[device];
    ++d.ConnectAttempts;
    AddToActivityLog(device, QStringLiteral("Connecting to ") + d.Connection +
                                 QStringLiteral("... (attempt ") +
                                 QString::number(d.ConnectAttempts) + QStringLiteral(")"));
    if (d.ConnectAttempts == m_prefs.Integer(QStringLiteral("ConnectionAttempts")) + 1)
        ActivateAlarm(device, AlarmConnection);

    const ConnectionEntry entry = ParseConnectionEntry(d.Connection);
    if (entry.kind == ConnectionEntry::Tcp) {
        m_library.SetDevice(d.Handle);
        m_library.ConnectionSetup(DeviceLibrary::Tcp, 0, entry.host, entry.port);
        m_library.Connect();
    } else if (entry.kind == ConnectionEntry::Serial) {
        m_library.SetDevice(d.Handle);
        m_library.ConnectionSetup(DeviceLibrary::Serial, entry.comPort, QString(), entry.speed);
        m_library.Connect();
    }
}

int Engine::InitializeDevice(int device)
{
    const int handle = m_library.AddDevice();
    AddToActivityLog(1000 + device, QStringLiteral("Initializing device ") + Devices[device].Name +
                                        QStringLiteral(" (") + QString::number(device) +
                                        QStringLiteral("), getting handle ") +
                                        QString::number(handle));
    return handle;
}

bool Engine::DeviceConnected(int device)
{
    if (InvalidDevice(device))
        return false;
    m_library.SetDevice(Devices[device].Handle);
    return m_library.Connected();
}

void Engine::DisconnectAll()
{
    // Stopping files the running modes' logs in the archive, and all file
    // work left is done before the devices' logs close.
    for (int i = 0; i < static_cast<int>(Devices.size()); ++i)
        Stop(i);
    RunWaitingFileWork(FileWorkShare::All);
    for (int i = 0; i < static_cast<int>(Devices.size()); ++i) {
        TDevice &d = Devices[i];
        if (d.ActivityLogOpen)
            CloseDeviceLogFile(d);
        m_library.SetDevice(d.Handle);
        m_library.Disconnect();
    }
}

void Engine::OnLinkWarning(int handle, const QString &text)
{
    for (int i = 0; i < static_cast<int>(Devices.size()); ++i) {
        if (Devices[i].Handle == handle) {
            if (m_linkWarnings.Allow(i, m_clock.utcMilliseconds()))
                AddToActivityLog(i, text);
            return;
        }
    }
}

} // namespace vantor
