// The web server's listening socket and its slots: a connection is taken
// into a slot, into one of the few kept for health checks and metrics, or
// closed at once with a 503 so that it holds no file handle. One address may
// hold only so many slots, and the handles kept for the logs are never used.
#pragma once

#include "web_limits.h"

#include <QHash>
#include <QHostAddress>
#include <QSslConfiguration>
#include <QTcpServer>

#include <array>
#include <functional>
#include <optional>

class QTcpSocket;

namespace vantor {

class WebListener : public QTcpServer
{
    Q_OBJECT

public:
    // Takes a connection let in; healthOnly when it holds a slot kept for
    // /healthz and /metrics. The socket is deleted when it closes.
    using Taker = std::function<void(QTcpSocket *socket, bool healthOnly)>;
    WebListener(const WebLimits &limits, Taker take, QObject *parent = nullptr);

    // A connection accepted elsewhere, let in or refused like those this
    // socket accepts.
    void Take(qintptr descriptor) { incomingConnection(descriptor); }
    // Connections from now on speak TLS with this certificate and key; one
    // that does not finish its handshake is closed by its request deadline.
    void UseTls(const QSslConfiguration &configuration) { m_tls = configuration; }

    int OpenConnections() const { return m_open + m_healthOpen; }

    // Connections closed at once, by why.
    enum class Refusal { AllSlotsTaken, AddressAtLimit, HandlesReserved };
    static constexpr int RefusalCount = 3;
    qint64 Refused(Refusal why) const { return m_refused[static_cast<std::size_t>(why)]; }

protected:
    void incomingConnection(qintptr handle) override;

private:
    void Refuse(QTcpSocket *socket, Refusal why);

    WebLimits m_limits;
    std::optional<QSslConfiguration> m_tls;
    Taker m_take;
    int m_open = 0;
    int m_healthOpen = 0;
    QHash<QHostAddress, int> m_byAddress;
    std::array<qint64, RefusalCount> m_refused{};
};

} // namespace vantor
