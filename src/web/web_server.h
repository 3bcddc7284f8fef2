// The station's read-only web server on the engine's event loop: the status
// page, the JSON status, the pictures, the health check and the metrics. Every
// answer is made from the engine's tables at the moment of the request; no
// file is ever read by a path taken from a request.
#pragma once

#include "web_limits.h"

#include <QAbstractHttpServer>
#include <QByteArray>
#include <QHostAddress>

namespace vantor {

class Engine;
class GuardedTcpServer;

class WebServer : public QAbstractHttpServer
{
    Q_OBJECT

public:
    // An empty token lets every request in; otherwise requests must carry it
    // as "Authorization: Bearer TOKEN".
    WebServer(Engine &engine, const QByteArray &token, const WebLimits &limits = {},
              QObject *parent = nullptr);

    // Listens on the address; the port (useful when 0 asked for any), or 0
    // with the reason in error.
    quint16 start(const QHostAddress &address, quint16 port, QString *error);

    int openConnections() const;
    // What answering has cost the event loop so far: requests, and the total
    // and longest time spent making and writing one answer.
    qint64 requestsAnswered() const { return m_answered; }
    double answerMsTotal() const { return m_answerMsTotal; }
    double answerMsLongest() const { return m_answerMsLongest; }
    const QByteArray &answerLongestPath() const { return m_answerLongestPath; }

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override;
    void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override;

private:
    struct Reply;
    Reply Answer(const QHttpServerRequest &request);
    Reply Picture(const QString &path, const QHttpServerRequest &request);

    Engine &m_engine;
    QByteArray m_token;
    WebLimits m_limits;
    GuardedTcpServer *m_listener = nullptr;
    qint64 m_answered = 0;
    double m_answerMsTotal = 0;
    double m_answerMsLongest = 0;
    QByteArray m_answerLongestPath;
};

} // namespace vantor
