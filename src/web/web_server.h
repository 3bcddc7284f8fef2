// The station's read-only web server on the engine's event loop: the status
// page, the JSON status, the pictures, the health check and the metrics. Every
// answer is made from the engine's tables at the moment of the request; no
// file is ever read by a path taken from a request. Pictures are drawn from a
// copy of their data on a thread of their own (PictureDrawer).
#pragma once

#include "http_answer.h"
#include "http_request.h"
#include "web_limits.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>

#include <functional>

namespace vantor {

class Engine;
class PictureDrawer;
class WebhookSender;
class WebListener;

class WebServer : public QObject
{
    Q_OBJECT

public:
    // An empty token lets every request in; otherwise requests must carry it
    // as "Authorization: Bearer TOKEN".
    WebServer(Engine &engine, const QByteArray &token, const WebLimits &limits = {},
              QObject *parent = nullptr);
    ~WebServer() override;

    // Listens on the address; the port (useful when 0 asked for any), or 0
    // with the reason in error.
    quint16 start(const QHostAddress &address, quint16 port, QString *error);
    // Serves a connection accepted elsewhere (a socket handed over), under
    // the same slots and limits as those it accepts itself.
    void takeConnection(qintptr descriptor);

    // Answers one request, at once or (a picture) once drawn, through
    // answered; healthOnly when the request came on a slot kept for health
    // checks and metrics.
    void respond(const HttpRequest &request, bool healthOnly,
                 const std::function<void(HttpAnswer)> &answered);

    // The station's webhook sender, whose totals the metrics show; it must
    // outlive the server.
    void setWebhookSender(const WebhookSender *sender) { m_webhooks = sender; }

    int openConnections() const;
    // Pictures asked for and not yet drawn; drawn so far; answered 503 for
    // a full queue.
    int picturesWaiting() const;
    qint64 picturesDrawn() const;
    qint64 picturesRefused() const;
    // What answering has cost the event loop so far: requests, and the total
    // and longest time spent making one answer (for a picture, its copy).
    qint64 requestsAnswered() const { return m_answered; }
    double answerMsTotal() const { return m_answerMsTotal; }
    double answerMsLongest() const { return m_answerMsLongest; }
    const QByteArray &answerLongestPath() const { return m_answerLongestPath; }

private:
    HttpAnswer Answer(const HttpRequest &request, bool healthOnly);
    // A picture's answer, given through answered at once or once drawn;
    // false when the path names no picture.
    bool Picture(const QString &path, const HttpRequest &request,
                 const std::function<void(HttpAnswer)> &answered);
    QByteArray Metrics();

    Engine &m_engine;
    QByteArray m_token;
    WebLimits m_limits;
    WebListener *m_listener;
    PictureDrawer *m_drawer;
    const WebhookSender *m_webhooks = nullptr;
    qint64 m_answered = 0;
    double m_answerMsTotal = 0;
    double m_answerMsLongest = 0;
    QByteArray m_answerLongestPath;
};

} // namespace vantor
