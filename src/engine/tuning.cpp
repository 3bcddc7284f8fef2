// Putting a device onto a station: finish what it did, copy the station and
// its alarm set in, clear the old station's data, set the frequency.
#include "engine.h"

namespace vantor {

void Engine::Tune(int device, int station, bool manual)
{
    if (InvalidDevice(device) || station >= static_cast<int>(Stations.size()))
        return;
    TDevice &d = Devices[device];
    if (manual && !DeviceUsable(device)) {
        AddToActivityLog(device, QStringLiteral("Not connected"));
        return;
    }
    FinishMode(device);
    d.Paused = false;
    if (station >= 0) {
        d.StationIndex = station;
        d.Station = Stations[station];
    }
    ClearDevice(device);
    RestartRds(device);
    d.StationActive = true;
    AddToActivityLog(device, (manual ? QStringLiteral("Manually t") : QStringLiteral("T")) +
                                 QStringLiteral("uning to ") + d.Station.Frequency +
                                 QStringLiteral(" - ") + d.Station.Name);
    d.MeasuringCountdown = d.Station.Measuring * 60;
    d.RDSCountdown = d.Station.RDS * 60;
    const int alarmSet = FindActualAlarmSetID(device);
    d.AlarmSetActive = alarmSet >= 0;
    if (d.AlarmSetActive)
        d.AlarmSet = AlarmSets[alarmSet];
    IgnoreRX(device, 4);
    Retune(device, d.Station.Frequency, false);
    if (d.AlarmSetActive) {
        for (int pin = 1; pin <= PinCount; ++pin)
            DriveAlarmPin(device, pin, 1 - EnabledInSomeAlarm(device, pin));
    }
    if (!d.Station.Commands.isEmpty())
        Send(device, d.Station.Commands);
    RunUserBatchFile(d.Station.Name + QLatin1Char(' ') + d.Station.DeviceName);
    InitializeAlarmVars(d, -1);
    m_library.SetDevice(d.Handle);
    m_library.ClearValues();
    for (int n = m_library.ReadBufferLength(); n > 0; --n)
        m_library.ReadResponse();
    // The windows reset the bar meters and refresh the device if it is shown.
    Note(device, Tuned);
}

void Engine::Retune(int device, const QString &frequency, bool restoreModes)
{
    if (InvalidDevice(device))
        return;
    QString digits;
    for (const QChar c : frequency) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digits += c;
    }
    // Frequencies below 100 MHz get a leading zero: 98.5 is 098500 kHz.
    if (!digits.isEmpty() && digits[0] >= QLatin1Char('6') && digits[0] <= QLatin1Char('9'))
        digits.prepend(QLatin1Char('0'));
    while (digits.size() < 6)
        digits += QLatin1Char('0');
    Send(device, digits + QStringLiteral("*F"));
    Devices[device].TunedFrequency = StrToSingle(frequency);
    if (!restoreModes)
        return;
    if (Devices[device].Mode & ModeRdsPart) {
        Send(device, QStringLiteral("*D"));
        Send(device, QStringLiteral("*R"));
    }
    if (Devices[device].Mode & ModeMeasuringPart) {
        Send(device, QStringLiteral("*E"));
        Send(device, QStringLiteral("*M"));
        Send(device, QStringLiteral("*P"));
    }
}

QString Engine::TuneStation(int station)
{
    if (InvalidStation(station))
        return {};
    const int device = FindDeviceID(Stations[station].DeviceName);
    if (device < 0)
        return QStringLiteral("No valid device assigned to this station. \rAssign a device in the "
                              "Station List.");
    Tune(device, station, true);
    return {};
}

int Engine::FindDeviceID(const QString &name) const
{
    for (int i = 0; i < static_cast<int>(Devices.size()); ++i) {
        if (Devices[i].Name == name)
            return i;
    }
    return -1;
}

int Engine::FindActualAlarmSetID(int device) const
{
    if (InvalidDevice(device))
        return -1;
    const QString &name = Devices[device].Station.AlarmSetName;
    if (name.isEmpty())
        return -1;
    for (int k = 0; k < static_cast<int>(AlarmSets.size()); ++k) {
        if (AlarmSets[k].Name == name)
            return k;
    }
    return -1;
}

bool Engine::DeviceUsable(int device)
{
    return !InvalidDevice(device) && Devices[device].Handle >= 0 && DeviceConnected(device) &&
           Devices[device].ConnectCountdown < 0;
}

} // namespace vantor
