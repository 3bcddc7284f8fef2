// The activity logs: "app.log", one file per device and day, the short
// in-memory lists and the hand-over to whatever shows them on screen.
#pragma once

#include "model.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace vantor {

class Clock;

// The screen side of the activity logs (the Recent Activity window).
class ActivitySink
{
public:
    virtual ~ActivitySink() = default;
    // Index of the filter entry shown: 0 is "Application", -1 when nothing shows.
    virtual int ActivityFilterIndex() const = 0;
    // Text of the filter entry shown ("Application" or a device name).
    virtual QString ActivityFilterText() const = 0;
    // Appends a line to the text shown; the sink keeps it to the line limit.
    virtual void AppendActivityLine(const QString &line) = 0;
};

// Most lines an in-memory list keeps: after adding line index 51 it is cut
// back to 50.
inline constexpr int ActivityLineLimit = 50;

// Appends line and applies the in-memory limit.
void AddLimitedLine(QStringList &lines, const QString &line);

QString ApplicationLine(TDateTime stamp, const QString &message);
QString DeviceLine(TDateTime stamp, const QString &deviceName, const QString &message);

// AppLogsFolder + DataFileName(name, " - " + yyyy-mm-dd + ".log").
QString DeviceLogFileName(const QString &appLogsFolder, const QString &deviceName, TDateTime date);

// Writes one message to the application log, a device log or both, by target:
// -1 application, 0 ... count-1 that device, 1000 + i both.
void AddToActivityLog(TGlobals &globals, std::vector<TDevice> &devices, int target,
                      const QString &message, TDateTime now, ActivitySink *sink);

// Opens (appending) or creates the device's log file for date, at once or,
// with AppendLater, when its create() is called. Returns false and leaves
// ActivityLogOpen false when it cannot; does nothing for a device outside the
// table.
bool OpenDeviceLogFile(std::vector<TDevice> &devices, int device, const QString &appLogsFolder,
                       TDateTime date, QString *error = nullptr,
                       LogFile::Open how = LogFile::Open::Append);

// Closes a device's log file, clearing ActivityLogOpen first.
void CloseDeviceLogFile(TDevice &device);

} // namespace vantor
