// The test and demo side door: a TCP server that takes one control command a
// line and writes back the answer lines that the handler returns.
#pragma once

#include <QHostAddress>
#include <QStringList>
#include <QTcpServer>

#include <functional>

namespace vantor::sim {

class ControlServer final : public QObject
{
    Q_OBJECT
public:
    using Handler = std::function<QStringList(const QString &line)>;

    ControlServer(Handler handler, QObject *parent = nullptr);

    // Port 0 picks a free port; false (with errorString()) when binding fails.
    bool listen(const QHostAddress &host, quint16 port);
    quint16 port() const { return m_server.serverPort(); }
    QString errorString() const { return m_server.errorString(); }

private:
    void accept();

    Handler m_handler;
    QTcpServer m_server;
};

} // namespace vantor::sim
