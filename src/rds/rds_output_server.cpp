#include "rds_output_server.h"

#include "open_handles.h"
#include "rds_socket_errors.h"

#include <QNetworkProxy>
#include <QTcpServer>
#include <QTcpSocket>

#include <algorithm>

namespace vantor {

namespace {
constexpr int ListenBacklog = 5;
// What clients send is of no use; keep only a little of it in memory at a time.
constexpr qint64 ClientReadBuffer = 4096;
constexpr qint64 BudgetPeriodMs = 60 * 1000;

QString Peer(const QTcpSocket *client)
{
    return client->peerAddress().toString();
}
} // namespace

QByteArray RdsFrame(const QString &payload)
{
    QByteArray text = payload.left(RdsPayloadLength).toLatin1();
    text = text.leftJustified(RdsPayloadLength, '-');
    text.replace('\r', '-').replace('\n', '-');
    return QByteArrayLiteral("G:\r\n") + text + QByteArrayLiteral("\r\n\r\n");
}

RdsOutputServer::RdsOutputServer(QObject *parent) : QObject(parent), m_server(new QTcpServer(this))
{
    // The clients are on this machine; a proxy configured for the application
    // must not take the listening socket elsewhere.
    m_server->setProxy(QNetworkProxy::NoProxy);
    m_server->setListenBacklogSize(ListenBacklog);
    connect(m_server, &QTcpServer::newConnection, this, &RdsOutputServer::AcceptClients);
    connect(m_server, &QTcpServer::acceptError, this, &RdsOutputServer::ServerFailed);
}

RdsOutputServer::~RdsOutputServer()
{
    Stop();
}

bool RdsOutputServer::Start(int port)
{
    if (port < 0 || port > 65535) {
        Stop();
        emit error(SocketErrorText(QAbstractSocket::SocketAddressNotAvailableError));
        return false;
    }
    if (m_server->isListening() && port == m_server->serverPort())
        return true;
    Stop();
    if (!m_server->listen(QHostAddress::AnyIPv4, static_cast<quint16>(port))) {
        ServerFailed(m_server->serverError());
        return false;
    }
    return true;
}

void RdsOutputServer::Stop()
{
    m_server->close();
    CloseClients();
}

bool RdsOutputServer::IsListening() const
{
    return m_server->isListening();
}

int RdsOutputServer::Port() const
{
    return m_server->isListening() ? m_server->serverPort() : 0;
}

int RdsOutputServer::ClientCount() const
{
    return static_cast<int>(m_clients.size());
}

bool RdsOutputServer::RDSLumexRunning() const
{
    return IsListening() && !m_clients.empty();
}

void RdsOutputServer::Send(const QString &payload)
{
    const QByteArray frame = RdsFrame(payload);
    // A failing client leaves m_clients while the loop runs.
    const std::vector<Client> clients = m_clients;
    for (const Client &c : clients) {
        QTcpSocket *client = c.socket;
        m_sending = true;
        const qint64 written = client->write(frame);
        client->flush();
        m_sending = false;
        if (written != frame.size() || client->bytesToWrite() > 0 ||
            client->state() != QAbstractSocket::ConnectedState)
            Drop(client);
    }
}

void RdsOutputServer::AcceptClients()
{
    while (QTcpSocket *client = m_server->nextPendingConnection()) {
        const QString refusal = Refusal();
        if (!refusal.isEmpty()) {
            const QString peer = Peer(client);
            client->abort();
            client->deleteLater();
            emit clientRejected(
                QStringLiteral("Connection from %1 refused: %2").arg(peer, refusal));
            continue;
        }
        Client accepted{client, {}, 0};
        accepted.minuteStart.start();
        m_clients.push_back(accepted);
        client->setReadBufferSize(ClientReadBuffer);
        connect(client, &QTcpSocket::readyRead, this, [this, client] { Discard(client); });
        connect(client, &QTcpSocket::disconnected, this, [this, client] { Drop(client); });
        connect(client, &QTcpSocket::errorOccurred, this,
                [this, client](QAbstractSocket::SocketError failure) {
                    ClientFailed(client, failure);
                });
        // A client may have sent data, or even gone, before it was taken.
        Discard(client);
        if (client->state() != QAbstractSocket::ConnectedState)
            Drop(client);
    }
}

QString RdsOutputServer::Refusal() const
{
    if (m_clients.size() >= static_cast<size_t>(RdsMaxClients))
        return QStringLiteral("%1 clients are connected already").arg(RdsMaxClients);
    if (WithinHandleReserve(RdsHandleReserve))
        return QStringLiteral("the file handles left are kept for devices and files");
    return {};
}

void RdsOutputServer::Discard(QTcpSocket *client)
{
    const auto it = std::find_if(m_clients.begin(), m_clients.end(),
                                 [client](const Client &c) { return c.socket == client; });
    if (it == m_clients.end())
        return;
    if (it->minuteStart.hasExpired(BudgetPeriodMs)) {
        it->minuteStart.restart();
        it->received = 0;
    }
    it->received += client->readAll().size();
    if (it->received <= RdsClientByteBudget)
        return;
    const QString peer = Peer(client);
    Drop(client);
    emit clientRejected(QStringLiteral("Client %1 dropped: it sent more than %2 bytes in a minute")
                            .arg(peer)
                            .arg(RdsClientByteBudget));
}

void RdsOutputServer::ClientFailed(QTcpSocket *client, QAbstractSocket::SocketError failure)
{
    // A client that closes or resets its end reports RemoteHostClosedError:
    // that is a normal departure, like a failed send, and is not logged.
    const bool quiet = m_sending || failure == QAbstractSocket::RemoteHostClosedError;
    Drop(client);
    if (!quiet)
        emit error(SocketErrorText(failure));
}

void RdsOutputServer::ServerFailed(QAbstractSocket::SocketError failure)
{
    Stop();
    emit error(SocketErrorText(failure));
}

void RdsOutputServer::Drop(QTcpSocket *client)
{
    const auto it = std::find_if(m_clients.begin(), m_clients.end(),
                                 [client](const Client &c) { return c.socket == client; });
    if (it == m_clients.end())
        return;
    m_clients.erase(it);
    client->disconnect(this);
    client->abort();
    client->deleteLater();
}

void RdsOutputServer::CloseClients()
{
    const std::vector<Client> clients = m_clients;
    for (const Client &c : clients)
        Drop(c.socket);
}

} // namespace vantor
