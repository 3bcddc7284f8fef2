// A real HTTP receiver process on loopback for the webhook tests (the
// system's Python), whose answer the test switches while it runs.
#pragma once

#include "loopback_server_process.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QTemporaryDir>

namespace vantor::test {

class WebhookReceiver
{
public:
    // port() is 0 when it did not come up (error() says why).
    explicit WebhookReceiver(const QString &secret = {});
    WebhookReceiver(const WebhookReceiver &) = delete;
    WebhookReceiver &operator=(const WebhookReceiver &) = delete;

    int port() const { return m_server.port(); }
    QString error() const { return m_server.error(); }
    // An absent receiver: it goes away, then comes back on its old port
    // with the records it had (Restart is false when it did not come up).
    void Stop() { m_server.Stop(); }
    bool Restart() { return m_server.Restart(); }
    QString url(const QString &path = QStringLiteral("/hook")) const;

    // "ok", "500", "404" or "hang", for the requests from now on.
    void setMode(const QString &mode);
    // Every request so far, and those answered with success.
    QList<QJsonObject> seen() const;
    QList<QJsonObject> accepted() const;

private:
    QTemporaryDir m_store;
    LoopbackServerProcess m_server;
};

} // namespace vantor::test
