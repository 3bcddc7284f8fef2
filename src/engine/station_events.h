// The events a network operations centre hears of: an alarm raised or
// cleared, a device's link lost or regained. Found by comparing the engine's
// tables with what was last seen each time the engine tells of a change, so
// the engine itself needs no hook for them, and every alarm kind of its
// tables is covered.
#pragma once

#include "model.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <vector>

namespace vantor {

class Engine;
struct DeviceNews;

enum class StationEventType { AlarmRaised, AlarmCleared, LinkLost, LinkRegained };

struct StationEvent {
    StationEventType type = StationEventType::AlarmRaised;
    QDateTime time; // UTC
    int device = -1;
    QString deviceName;
    QString station; // empty: the device is on no station
    QString frequency;
    int kind = -1; // alarm kind; -1 for the link events
    QString value; // the reading the alarm is judged on, as in the status; empty: none
    QString limit; // the alarm set's limit; empty: none
};

// "alarm_raised", "alarm_cleared", "link_lost", "link_regained".
const char *StationEventTypeKey(StationEventType type);

// The latest-value name the alarm kind is judged on ("" when none), and the
// alarm set's limit as text ("5800..7700" for a range).
QString AlarmValueName(int kind);
QString AlarmLimitText(const TAlarmSet &set, int kind);
// The limit of the kind in force on the device, as the operator set it: the
// station's PI or PS where the station holds it; "" without an alarm set.
QString AlarmLimitOf(const TDevice &device, int kind);

class StationEventWatcher : public QObject
{
    Q_OBJECT

public:
    explicit StationEventWatcher(Engine &engine, QObject *parent = nullptr);

signals:
    void happened(const vantor::StationEvent &event);

private:
    struct Seen {
        QString name;
        bool everConnected = false;
        bool connected = false;
        std::vector<bool> alarms;
    };

    void Compare(const QList<DeviceNews> &news);
    StationEvent EventOf(StationEventType type, int device, int kind) const;

    Engine &m_engine;
    std::vector<Seen> m_seen; // by device index
};

} // namespace vantor
