#include "guarded_tcp_server.h"

#include <QTcpSocket>
#include <QTimer>

#include <memory>

namespace vantor {

namespace {
// Written straight to the socket: the request is not read any further, so
// the HTTP server never sees it.
void Refuse(QTcpSocket *socket, const QByteArray &status)
{
    socket->write("HTTP/1.1 " + status + "\r\nConnection: close\r\nContent-Length: 0\r\n\r\n");
    socket->disconnectFromHost();
}
} // namespace

GuardedTcpServer::GuardedTcpServer(const WebLimits &limits, QObject *parent)
    : QTcpServer(parent), m_limits(limits)
{}

void GuardedTcpServer::incomingConnection(qintptr handle)
{
    auto *socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(handle)) {
        delete socket;
        return;
    }
    if (m_open >= m_limits.maxConnections) {
        // Answered once the request is in: closing with it unread would
        // reset the connection and the client might never see the answer.
        connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QIODevice::readyRead, socket, [socket] {
            socket->readAll();
            if (socket->state() == QAbstractSocket::ConnectedState)
                Refuse(socket, "503 Service Unavailable");
        });
        QTimer::singleShot(m_limits.requestTimeoutMs, socket, &QAbstractSocket::abort);
        return;
    }
    ++m_open;
    connect(socket, &QObject::destroyed, this, [this] { --m_open; });

    auto *deadline = new QTimer(socket);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, socket, &QAbstractSocket::abort);
    deadline->start(m_limits.requestTimeoutMs);

    // Counted since the last answer went out. These connections come before
    // the HTTP server's own, so they see the bytes before it reads them.
    const auto received = std::make_shared<qint64>(0);
    connect(socket, &QIODevice::readyRead, this, [this, socket, received] {
        if (*received > m_limits.maxRequestBytes)
            return;
        *received += socket->bytesAvailable();
        if (*received > m_limits.maxRequestBytes) {
            socket->readAll();
            Refuse(socket, "413 Content Too Large");
        }
    });
    connect(socket, &QIODevice::bytesWritten, this, [this, socket, deadline, received] {
        if (socket->state() != QAbstractSocket::ConnectedState)
            return; // refused and closing
        *received = 0;
        deadline->start(m_limits.requestTimeoutMs);
    });
    addPendingConnection(socket);
}

} // namespace vantor
