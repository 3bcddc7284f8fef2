// Keeps systemd informed when the station runs as a notify service: ready
// once started, alive while the event loop turns (the watchdog), a status
// line with its devices and alarms, and stopping at shut-down. Started any
// other way, it stays silent.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

namespace vantor {

class Engine;

class ServiceNotifier : public QObject
{
    Q_OBJECT

public:
    explicit ServiceNotifier(const Engine &engine, QObject *parent = nullptr);

    // Start-up is complete: the watchdog and status updates begin.
    void ready();
    // The shut-down is under way; the watchdog goes on until the exit.
    void stopping();

private:
    void send(const QByteArray &state);
    void updateStatus();

    const Engine &m_engine;
    bool m_managed;
    bool m_failureReported = false;
    QTimer m_watchdog;
    QTimer m_status;
    QString m_lastStatus;
};

} // namespace vantor
