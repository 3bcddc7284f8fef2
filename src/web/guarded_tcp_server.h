// The listening socket under the web server: it turns away connections beyond
// the limit, cuts a client off once it has sent more than a request may hold,
// and closes connections that have waited too long for an answer.
#pragma once

#include "web_limits.h"

#include <QTcpServer>

namespace vantor {

class GuardedTcpServer : public QTcpServer
{
    Q_OBJECT

public:
    explicit GuardedTcpServer(const WebLimits &limits, QObject *parent = nullptr);

    int openConnections() const { return m_open; }

protected:
    void incomingConnection(qintptr handle) override;

private:
    WebLimits m_limits;
    int m_open = 0;
};

} // namespace vantor
