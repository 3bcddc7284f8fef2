// Carrying out alarms: the log line, e-mail, the operator's file and the
// analyzer's alarm output pins; the two device-link alarms; the station file
// run at every tuning.
#include "engine.h"
#include "platform_utils.h"
#include "shell_open.h"

#include <QFileInfo>

namespace vantor {

namespace {
// The alarm report: an empty line, time, station, device, an empty line and
// the recent data, lines separated by CR LF.
QString ReportText(const TDevice &d, TDateTime now)
{
    const bool midnight = TimePart(now).msecsSinceStartOfDay() == 0;
    QString text =
        QStringLiteral("\r\n\r\nTime: ") +
        FormatDateTime(
            midnight ? QStringLiteral("yyyy.mm.dd") : QStringLiteral("yyyy.mm.dd hh:nn:ss"), now) +
        QStringLiteral("\r\nStation: ") + d.Station.Frequency + QStringLiteral(" - ") +
        d.Station.Name + QStringLiteral("\r\nDevice: ") + d.Name +
        QStringLiteral("\r\n\r\nRecent Data:");
    for (const TLastData &entry : d.LastData)
        text += QStringLiteral("\r\n") + entry.Name + QLatin1Char('=') + entry.Value;
    return text;
}
} // namespace

void Engine::ActivateAlarm(int device, int kind)
{
    if (InvalidDevice(device))
        return;
    TDevice &d = Devices[device];
    Note(device, AlarmChanged);
    RecordAlarmHistory(device, kind, true);
    if (kind == AlarmConnection || kind == AlarmNoResponse) {
        const QString alarm = kind == AlarmConnection
                                  ? QStringLiteral("Alarm: Unable to connect to the device!")
                                  : QStringLiteral("Alarm: No response from the device!");
        AddToActivityLog(device, alarm);
        SendEmail(d.Email, alarm + QStringLiteral(" (") + d.Name + QStringLiteral(")"), false,
                  QString(), {}, device);
        return;
    }
    if (InvalidAlarmKind(kind))
        return;
    d.AlarmActive[kind] = true;
    ++d.AlarmActivations[kind];
    if (InvalidStation(d.StationIndex) || Stations[d.StationIndex].Name != d.Station.Name)
        return;
    TStation &station = Stations[d.StationIndex];
    const TBasic &basic = d.AlarmSet.Basic[kind];
    const QString recipient =
        BadEmailAddress(d.Station.Email) ? d.AlarmSet.DefaultEmail : d.Station.Email;
    const TDateTime now = m_clock.now();
    const QString report = ReportText(d, now);

    const qint64 minutes = SecondsBetween(station.LastAlarmTime[kind], now) / 60;
    if (minutes > m_prefs.Integer(QStringLiteral("SameAlarmDelay"))) {
        station.LastAlarmTime[kind] = now;
        AddToActivityLog(device, QStringLiteral("Alarm: ") + AlarmKindNames[kind] +
                                     QStringLiteral(" (") + d.Station.Name + QStringLiteral(")"));
        if (basic.SendEmail)
            SendEmail(recipient, QStringLiteral("Alarm: ") + AlarmKindNames[kind] + report, false,
                      QString(), {}, device);
        if (basic.RunFile) {
            const QFileInfo file(basic.FileName);
            const bool parametersDropped = !basic.Params.isEmpty() && file.exists() &&
                                           !ShellOpenPassesParameters(file.filePath());
            ShellOpen(file.filePath(), basic.Params, file.absolutePath());
            if (parametersDropped)
                AddToActivityLog(device, QStringLiteral("File ") + file.filePath() +
                                             QStringLiteral(" opened without its parameters (") +
                                             basic.Params + QStringLiteral(")"));
        }
    }
    for (int pin = 1; pin <= PinCount; ++pin) {
        if (basic.DrivePin(pin))
            DriveAlarmPin(device, pin, basic.PinPolarity(pin));
    }
}

void Engine::DeactivateAlarm(int device, int kind)
{
    if (InvalidDevice(device) || InvalidAlarmKind(kind) || !Devices[device].AlarmActive[kind])
        return;
    Note(device, AlarmChanged);
    RecordAlarmHistory(device, kind, false);
    const TBasic &basic = Devices[device].AlarmSet.Basic[kind];
    for (int pin = 1; pin <= PinCount; ++pin) {
        if (basic.DrivePin(pin))
            DriveAlarmPin(device, pin, 1 - basic.PinPolarity(pin));
    }
}

void Engine::DriveAlarmPin(int device, int pin, int level)
{
    static const char *const prefixes[PinCount] = {"ARI:", "ARJ:", "ARK:", "ARL:"};
    if (pin < 1 || pin > PinCount || (level != 0 && level != 1))
        return;
    Send(device, QLatin1String(prefixes[pin - 1]) +
                     (level == 1 ? QStringLiteral("GH*X") : QStringLiteral("GD*X")));
}

int Engine::EnabledInSomeAlarm(int device, int pin) const
{
    if (InvalidDevice(device) || pin < 1 || pin > PinCount)
        return -1;
    for (const TBasic &basic : Devices[device].AlarmSet.Basic) {
        if (basic.DrivePin(pin))
            return basic.PinPolarity(pin);
    }
    return -1;
}

void Engine::RunUserBatchFile(const QString &parameters)
{
#ifdef Q_OS_WIN
    const QString file = Folders.ExeFolder + QStringLiteral("station.bat");
#else
    const QString file = Folders.ExeFolder + QStringLiteral("station.sh");
#endif
    if (QFileInfo::exists(file))
        ShellOpen(file, parameters, Folders.ExeFolder);
}

} // namespace vantor
