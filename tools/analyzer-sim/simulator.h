// The analyzer simulator as a library: a set of simulated receivers, each on
// its own TCP port or pseudo-terminal, playing one scenario, plus an optional
// control port. Lives on the caller's event loop; no call blocks, no threads.
//
//     vantor::sim::Simulator sim(vantor::sim::Scenario::builtIn(), 1);
//     const int port = sim.listenTcp(QHostAddress::LocalHost, 0);  // receiver 0
//     sim.control("@0 set 98.5 PI FFFF");
#pragma once

#include "receiver.h"
#include "scenario.h"

#include <QDateTime>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QStringList>

#include <functional>

namespace vantor::sim {

class ControlServer;

class Simulator : public QObject
{
    Q_OBJECT
public:
    using Clock = Receiver::Clock;

    // Every receiver gets its own copy of the scenario and its own noise,
    // seeded from seed and its index.
    Simulator(Scenario scenario, quint32 seed, QObject *parent = nullptr);
    ~Simulator() override;

    // Clock for the RDS clock-time groups of all receivers, present and
    // future (by default the machine's local time).
    void setClock(Clock clock);

    // Adds a receiver on TCP; returns the bound port (port 0 picks a free one)
    // or -1 with errorString().
    int listenTcp(const QHostAddress &host, quint16 port);
    // Adds a receiver on a new pseudo-terminal whose path is linked at
    // linkPath; false with errorString().
    bool openPty(const QString &linkPath);
    // Opens the control port; returns the bound port or -1 with errorString().
    int listenControl(const QHostAddress &host, quint16 port);
    QString errorString() const { return m_error; }

    int receiverCount() const { return static_cast<int>(m_receivers.size()); }
    Receiver *receiver(int index) const { return m_receivers.value(index); }

    // Runs one control command, as if received on the control port; the
    // answer lines end with one starting "OK" or "ERR".
    QStringList control(const QString &line);

private:
    Receiver *addReceiver(DeviceLink *link);
    QStringList runOn(Receiver *receiver, const QString &command);

    Scenario m_scenario;
    quint32 m_seed;
    Clock m_clock;
    QList<Receiver *> m_receivers;
    ControlServer *m_control = nullptr;
    QString m_error;
};

} // namespace vantor::sim
