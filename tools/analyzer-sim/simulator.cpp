#include "simulator.h"

#include "control_server.h"
#include "pty_device_link.h"
#include "tcp_device_link.h"

namespace vantor::sim {

Simulator::Simulator(Scenario scenario, quint32 seed, QObject *parent)
    : QObject(parent), m_scenario(std::move(scenario)), m_seed(seed),
      m_clock([] { return QDateTime::currentDateTime(); })
{}

Simulator::~Simulator() = default;

void Simulator::setClock(Clock clock)
{
    m_clock = std::move(clock);
    for (Receiver *r : std::as_const(m_receivers))
        r->setClock(m_clock);
}

Receiver *Simulator::addReceiver(DeviceLink *link)
{
    const auto index = static_cast<quint32>(m_receivers.size());
    auto *receiver = new Receiver(m_scenario, m_seed + index * 7919U, link, this);
    receiver->setClock(m_clock);
    m_receivers.append(receiver);
    return receiver;
}

int Simulator::listenTcp(const QHostAddress &host, quint16 port)
{
    auto *link = new TcpDeviceLink;
    if (!link->listen(host, port)) {
        m_error = link->errorString();
        delete link;
        return -1;
    }
    addReceiver(link);
    return link->port();
}

bool Simulator::openPty(const QString &linkPath)
{
    auto *link = new PtyDeviceLink;
    if (!link->open(linkPath)) {
        m_error = link->errorString();
        delete link;
        return false;
    }
    addReceiver(link);
    return true;
}

int Simulator::listenControl(const QHostAddress &host, quint16 port)
{
    if (!m_control)
        m_control = new ControlServer([this](const QString &line) { return control(line); }, this);
    if (!m_control->listen(host, port)) {
        m_error = m_control->errorString();
        return -1;
    }
    return m_control->port();
}

} // namespace vantor::sim
