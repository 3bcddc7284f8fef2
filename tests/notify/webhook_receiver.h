// A real HTTP receiver process on loopback for the webhook tests (the
// system's Python), whose answer the test switches while it runs.
#pragma once

#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace vantor::test {

class WebhookReceiver
{
public:
    // port() is 0 when it did not come up (error() says why).
    explicit WebhookReceiver(const QString &secret = {});
    ~WebhookReceiver();
    WebhookReceiver(const WebhookReceiver &) = delete;
    WebhookReceiver &operator=(const WebhookReceiver &) = delete;

    int port() const { return m_port; }
    QString error() const { return m_error; }
    QString url(const QString &path = QStringLiteral("/hook")) const;

    // "ok", "500", "404" or "hang", for the requests from now on.
    void setMode(const QString &mode);
    // Every request so far, and those answered with success.
    QList<QJsonObject> seen() const;
    QList<QJsonObject> accepted() const;

private:
    QTemporaryDir m_store;
    QProcess m_process;
    int m_port = 0;
    QString m_error;
};

} // namespace vantor::test
