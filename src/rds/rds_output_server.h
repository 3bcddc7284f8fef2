// The RDS output's TCP server: listens on every local IPv4 address, keeps the
// clients it accepts and sends all of them the same 24-byte text frames. What
// clients send is read and thrown away. It listens where anyone may connect,
// so it keeps within limits of its own: at most RdsMaxClients clients; none
// while the process is within RdsHandleReserve handles of its limit, which
// are kept for devices and data files; and a client that sends more than
// RdsClientByteBudget bytes in a minute is dropped (a decoder only takes the
// stream). Runs on the event loop of the thread that owns it; it starts no
// threads.
#pragma once

#include <QAbstractSocket>
#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <vector>

class QTcpServer;
class QTcpSocket;

namespace vantor {

// Characters of text that one frame carries.
inline constexpr int RdsPayloadLength = 16;

inline constexpr int RdsMaxClients = 32;
inline constexpr int RdsHandleReserve = 256;
inline constexpr qint64 RdsClientByteBudget = 4096;

// "G:" CR LF, the payload, CR LF CR LF, as Latin-1 bytes: 24 bytes whatever the
// payload. Clients read frames by position, so a payload that is not 16
// characters is cut to 16 or padded with '-' (a decoder reads "----" as a block
// not received), and a CR or LF inside it becomes '-'.
QByteArray RdsFrame(const QString &payload);

class RdsOutputServer : public QObject
{
    Q_OBJECT

public:
    explicit RdsOutputServer(QObject *parent = nullptr);
    ~RdsOutputServer() override;

    // Listens on port (0 lets the system choose one) with a backlog of 5. While
    // listening on that port already nothing changes; on another port the
    // clients are closed first. On failure (a port outside 0 to 65535 fails
    // like one that cannot be assigned) the server is stopped, error() is
    // emitted and the result is false.
    bool Start(int port);
    // Stops listening and closes every client.
    void Stop();

    bool IsListening() const;
    // The port listened on; 0 while stopped.
    int Port() const;
    int ClientCount() const;
    // Listening with at least one client: a decoder takes the frames.
    bool RDSLumexRunning() const;

    // Sends RdsFrame(payload) to every client in order of acceptance. Each send
    // is one non-blocking write: when the system does not take the whole frame
    // at once the send has failed, and that client is closed and forgotten
    // without error(). A frame that was sent therefore never waits in this
    // process; the system delivers it even if the program ends right after.
    void Send(const QString &payload);

signals:
    // A socket failure worth logging, as its Windows Sockets text.
    void error(const QString &text);
    // A connection refused, or a client dropped, for the limits above; the
    // text says which and why.
    void clientRejected(const QString &text);

private:
    struct Client {
        QTcpSocket *socket;
        // Bytes received in the minute that began at minuteStart.
        QElapsedTimer minuteStart;
        qint64 received = 0;
    };

    void AcceptClients();
    // Why a new connection cannot be taken; empty when it can.
    QString Refusal() const;
    void Discard(QTcpSocket *client);
    void ClientFailed(QTcpSocket *client, QAbstractSocket::SocketError failure);
    void ServerFailed(QAbstractSocket::SocketError failure);
    void Drop(QTcpSocket *client);
    void CloseClients();

    QTcpServer *m_server;
    std::vector<Client> m_clients;
    // Set while a frame is written: a failure then is a failed send.
    bool m_sending = false;
};

} // namespace vantor
