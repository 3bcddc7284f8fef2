#include "tcp_device_link.h"

namespace vantor::sim {

TcpDeviceLink::TcpDeviceLink(QObject *parent) : DeviceLink(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &TcpDeviceLink::acceptPending);
}

bool TcpDeviceLink::listen(const QHostAddress &host, quint16 port)
{
    return m_server.listen(host, port);
}

QString TcpDeviceLink::address() const
{
    const QHostAddress host = m_server.serverAddress();
    const QString text = host.protocol() == QAbstractSocket::IPv6Protocol
                             ? QStringLiteral("[") + host.toString() + QStringLiteral("]")
                             : host.toString();
    return text + QStringLiteral(":") + QString::number(m_server.serverPort());
}

bool TcpDeviceLink::isConnected() const
{
    return m_peer && m_peer->state() == QAbstractSocket::ConnectedState;
}

void TcpDeviceLink::write(const QByteArray &data)
{
    if (isConnected())
        m_peer->write(data);
}

void TcpDeviceLink::drop()
{
    if (m_peer) {
        QTcpSocket *peer = m_peer;
        m_peer.clear();
        peer->abort();
        peer->deleteLater();
    }
}

void TcpDeviceLink::acceptPending()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        drop();
        m_peer = socket;
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
            const QByteArray data = socket->readAll();
            if (socket == m_peer)
                emit received(data);
        });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

} // namespace vantor::sim
