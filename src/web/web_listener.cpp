#include "web_listener.h"

#include "http_answer.h"
#include "open_handles.h"

#include <QSslSocket>

namespace vantor {

WebListener::WebListener(const WebLimits &limits, Taker take, QObject *parent)
    : QTcpServer(parent), m_limits(limits), m_take(std::move(take))
{}

void WebListener::incomingConnection(qintptr handle)
{
    QTcpSocket *socket = m_tls ? new QSslSocket(this) : new QTcpSocket(this);
    if (!socket->setSocketDescriptor(handle)) {
        delete socket;
        return;
    }
    const QHostAddress peer = socket->peerAddress();
    if (m_byAddress.value(peer) >= m_limits.maxConnectionsPerAddress)
        return Refuse(socket, Refusal::AddressAtLimit);
    const bool healthOnly = m_open >= m_limits.maxConnections;
    if (healthOnly && m_healthOpen >= m_limits.healthConnections)
        return Refuse(socket, Refusal::AllSlotsTaken);
    // Counted only for connections that would stay: the count reads the
    // process's handle table, and a flood refused above costs nothing.
    if (WithinHandleReserve(m_limits.handleReserve))
        return Refuse(socket, Refusal::HandlesReserved);

    int &open = healthOnly ? m_healthOpen : m_open;
    ++open;
    ++m_byAddress[peer];
    connect(socket, &QObject::destroyed, this, [this, &open, peer] {
        --open;
        if (--m_byAddress[peer] <= 0)
            m_byAddress.remove(peer);
    });
    connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
    if (auto *tls = qobject_cast<QSslSocket *>(socket)) {
        tls->setSslConfiguration(*m_tls);
        // A client that fails the handshake gets nothing more.
        connect(tls, &QSslSocket::sslErrors, tls, &QAbstractSocket::abort);
        tls->startServerEncryption();
    }
    m_take(socket, healthOnly);
}

void WebListener::Refuse(QTcpSocket *socket, Refusal why)
{
    ++m_refused[static_cast<std::size_t>(why)];
    // The answer goes out with the close; the handle is given back now, not
    // when the client gets round to reading or closing.
    HttpAnswer answer = HttpAnswer::Text(503, "Too many connections");
    answer.headers.emplaceBack("Retry-After", "1");
    socket->write(AnswerBytes(answer, true));
    socket->flush();
    socket->abort();
    socket->deleteLater();
}

} // namespace vantor
