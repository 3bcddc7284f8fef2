// Tells when the system clock is set (by an operator, NTP stepping, a
// daylight-saving fix on some systems) or the local time zone is changed, as
// opposed to the clock running on normally.
#pragma once

#include <QObject>
#include <QString>

class QSocketNotifier;

namespace vantor {

class TimeChangeWatcher : public QObject
{
    Q_OBJECT

public:
    explicit TimeChangeWatcher(QObject *parent = nullptr);
    ~TimeChangeWatcher() override;
    // False where the platform gives no such notice.
    bool isActive() const { return m_fd >= 0; }
    // Whether a change of the zone file (LocalTimeZoneFile) is noticed too.
    bool watchesZone() const { return m_zoneFd >= 0; }

signals:
    // For a new zone, the local time follows it before the signal.
    void timeChanged();

private:
    void arm();
    void onActivated();
    void watchZone();
    void onZoneActivated();

    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr;
    int m_zoneFd = -1;
    QString m_zoneFileName;
    QString m_zoneFile;
};

} // namespace vantor
