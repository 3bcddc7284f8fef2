// A receiver reached over TCP. One program at a time: a new connection
// replaces the previous one, as a device whose old session has died would.
#pragma once

#include "device_link.h"

#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

namespace vantor::sim {

class TcpDeviceLink final : public DeviceLink
{
    Q_OBJECT
public:
    explicit TcpDeviceLink(QObject *parent = nullptr);

    // Port 0 picks a free port; false (with errorString()) when binding fails.
    bool listen(const QHostAddress &host, quint16 port);
    quint16 port() const { return m_server.serverPort(); }
    QString errorString() const { return m_server.errorString(); }

    QString address() const override;
    bool isConnected() const override;
    void write(const QByteArray &data) override;
    void drop() override;

private:
    void acceptPending();

    QTcpServer m_server;
    QPointer<QTcpSocket> m_peer;
};

} // namespace vantor::sim
