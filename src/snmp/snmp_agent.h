// The station as an AgentX subagent of the machine's snmpd (VANTOR-MIB),
// run on the engine's event loop: net-snmp's descriptors are watched by
// socket notifiers and its time-outs (AgentX pings, reconnection) by a timer,
// so nothing waits for snmpd. Without snmpd the station runs on; "app.log"
// tells once when the master agent is lost and once when it is back.
// net-snmp's agent library keeps one agent per process, and its AgentX
// subagent cannot be started again once shut down (a second SnmpAgent joins
// snmpd but is never asked): one SnmpAgent for the life of the process, so a
// changed "[SNMP]" takes effect at the next start.
#pragma once

#include "station_events.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <map>
#include <memory>
#include <vector>

class QSocketNotifier;

namespace vantor {

class Engine;

class SnmpAgent : public QObject
{
    Q_OBJECT

public:
    // socket: the master's AgentX socket ("" for net-snmp's own default).
    SnmpAgent(Engine &engine, const QString &socket, QObject *parent = nullptr);
    ~SnmpAgent() override;

    bool Connected() const { return m_connected; }

    // Sends the event's notification through the master agent.
    void Notify(const StationEvent &event);

    // Used by the request handler.
    struct Value {
        unsigned char type;
        long integer = 0;
        QByteArray text;
    };
    using Oid = std::vector<unsigned long>;
    std::map<Oid, Value> Snapshot();

private:
    void Poll();
    void Readable(int socket);
    void ConnectionChanged(bool connected);

    friend struct SnmpCallbacks;

    Engine &m_engine;
    QString m_socket;
    QTimer m_timer;
    std::map<int, std::unique_ptr<QSocketNotifier>> m_notifiers;
    StationEventWatcher m_events;
    QElapsedTimer m_started;
    bool m_connected = false;
    bool m_told = false;
};

} // namespace vantor
