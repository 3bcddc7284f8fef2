#include "activity_log.h"

#include "platform_utils.h"

namespace vantor {

namespace {
QString Stamp(TDateTime t)
{
    return FormatDateTime(QStringLiteral("yyyy.mm.dd hh:nn:ss"), t);
}

bool ValidDevice(const std::vector<TDevice> &devices, int i)
{
    return i >= 0 && i < static_cast<int>(devices.size());
}
} // namespace

void AddLimitedLine(QStringList &lines, const QString &line)
{
    lines.append(line);
    if (lines.size() - 1 > ActivityLineLimit) {
        while (lines.size() > ActivityLineLimit)
            lines.removeFirst();
    }
}

QString ApplicationLine(TDateTime stamp, const QString &message)
{
    return Stamp(stamp) + QStringLiteral(" [application] ") + message;
}

QString DeviceLine(TDateTime stamp, const QString &deviceName, const QString &message)
{
    return Stamp(stamp) + QStringLiteral(" [") + deviceName + QStringLiteral("] ") + message;
}

QString DeviceLogFileName(const QString &appLogsFolder, const QString &deviceName, TDateTime date)
{
    return appLogsFolder +
           DataFileName(deviceName, QStringLiteral(" - ") +
                                        FormatDateTime(QStringLiteral("yyyy-mm-dd"), date) +
                                        QStringLiteral(".log"));
}

void AddToActivityLog(TGlobals &globals, std::vector<TDevice> &devices, int target,
                      const QString &message, TDateTime now, ActivitySink *sink)
{
    const int count = static_cast<int>(devices.size());
    if (target < -1 || (target >= count && target <= 999))
        return;

    if (target == -1 || target >= 1000) {
        const QString line = ApplicationLine(now, message);
        AddLimitedLine(globals.AppActivityLines, line);
        if (globals.AppLogOpen && globals.AppLog)
            globals.AppLog->writeLine(line);
        if (sink && sink->ActivityFilterIndex() == 0)
            sink->AppendActivityLine(line);
    }

    const int device = target >= 1000 ? target - 1000 : target;
    if (!ValidDevice(devices, device))
        return;
    TDevice &d = devices[device];
    const QString line = DeviceLine(now, d.Name, message);
    if (!d.ActivityLines)
        d.ActivityLines.emplace();
    AddLimitedLine(*d.ActivityLines, line);
    if (d.ActivityLogOpen && d.ActivityLog)
        d.ActivityLog->writeLine(line);
    if (sink && sink->ActivityFilterIndex() > 0 && sink->ActivityFilterText() == d.Name)
        sink->AppendActivityLine(line);
}

bool OpenDeviceLogFile(std::vector<TDevice> &devices, int device, const QString &appLogsFolder,
                       TDateTime date, QString *error, LogFile::Open how)
{
    if (!ValidDevice(devices, device))
        return false;
    TDevice &d = devices[device];
    auto file = std::make_shared<LogFile>(DeviceLogFileName(appLogsFolder, d.Name, date), how);
    if (!file->isOpen()) {
        if (error)
            *error = file->errorString();
        return false;
    }
    d.ActivityLog = std::move(file);
    d.ActivityLogOpen = true;
    return true;
}

void CloseDeviceLogFile(TDevice &device)
{
    device.ActivityLogOpen = false;
    if (device.ActivityLog)
        device.ActivityLog->close();
    device.ActivityLog.reset();
}

} // namespace vantor
