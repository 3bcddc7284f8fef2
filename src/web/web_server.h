// The station's web server on the engine's event loop: the overview and
// device pages, the JSON status, the pictures, the alarm history, the log
// files, the health check and the metrics for viewers; the device actions for
// operators; the login. Every answer is made from the engine's tables at the
// moment of the request; no file is ever read by a path taken from a request.
// Pictures are drawn from a copy of their data on a thread of their own
// (PictureDrawer), passwords checked on another (WebSignIn).
#pragma once

#include "http_answer.h"
#include "http_request.h"
#include "web_limits.h"
#include "web_sign_in.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QSslConfiguration>

#include <functional>

namespace vantor {

class Engine;
class PictureDrawer;
class WebhookSender;
class WebListener;

// Answers a request, at once or later.
using Answered = std::function<void(HttpAnswer)>;

class WebServer : public QObject
{
    Q_OBJECT

public:
    // Who may do what (docs/openapi.yaml): the token, as a bearer token or
    // as the password of HTTP Basic, is a viewer's unless setup gives it the
    // operator's role; web users log in or send Basic with their role. With
    // no token and no users anybody may look and nobody may act.
    WebServer(Engine &engine, WebSignInSetup setup, const WebLimits &limits = {},
              QObject *parent = nullptr);
    // The token a viewer's, the users those of the engine's data folder.
    WebServer(Engine &engine, const QByteArray &token, const WebLimits &limits = {},
              QObject *parent = nullptr);
    ~WebServer() override;

    // Serves HTTPS with this certificate and key from now on; before start.
    void useTls(const QSslConfiguration &configuration);
    // Listens on the address; the port (useful when 0 asked for any), or 0
    // with the reason in error.
    quint16 start(const QHostAddress &address, quint16 port, QString *error);
    // Serves a connection accepted elsewhere (a socket handed over), under
    // the same slots and limits as those it accepts itself.
    void takeConnection(qintptr descriptor);

    // Answers one request, at once or (a picture) once drawn, through
    // answered; healthOnly when the request came on a slot kept for health
    // checks and metrics.
    void respond(const HttpRequest &request, bool healthOnly, const Answered &answered);

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
    // Sorts the request by what it needs, and answers it once its sender is
    // known.
    void Route(const HttpRequest &request, bool healthOnly, const Answered &answered);
    // What a request gets that its sender may not have.
    HttpAnswer Refusal(const HttpRequest &request, const QString &path, AccessVerdict verdict);
    // The answers to viewers, and to the session's own questions.
    void View(const HttpRequest &request, const QString &path, const WebIdentity &who,
              const Answered &answered);
    HttpAnswer Act(const HttpRequest &request, const QString &path, const WebIdentity &who);
    // A picture's answer, given through answered at once or once drawn;
    // false when the path names no picture.
    bool Picture(const QString &path, const HttpRequest &request, const Answered &answered);
    QByteArray Metrics();

    Engine &m_engine;
    WebLimits m_limits;
    WebSignIn *m_signIn;
    WebListener *m_listener;
    PictureDrawer *m_drawer;
    const WebhookSender *m_webhooks = nullptr;
    qint64 m_answered = 0;
    double m_answerMsTotal = 0;
    double m_answerMsLongest = 0;
    QByteArray m_answerLongestPath;
};

} // namespace vantor
