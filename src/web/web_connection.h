// One client connection of the web server: reads its requests one at a time,
// in the order sent, has each answered and writes the answers back. It closes
// after an answer the client asked to be the last, after a refused request,
// when a request's headers are late, and when the client is idle or slow to
// take its answer.
#pragma once

#include "http_answer.h"
#include "http_request.h"
#include "web_limits.h"

#include <QObject>
#include <QTimer>

#include <functional>

class QTcpSocket;

namespace vantor {

class WebConnection : public QObject
{
    Q_OBJECT

public:
    // Answers one request, at once or later, by calling the function given;
    // the connection may be gone by then.
    using Respond = std::function<void(const HttpRequest &, std::function<void(HttpAnswer)>)>;

    // Lives as a child of the socket, and goes with it. A brief connection
    // (on a slot kept for health checks) must send its request within the
    // header limit and is closed after one answer, so that its slot is soon
    // free again.
    WebConnection(QTcpSocket *socket, const WebLimits &limits, bool brief, Respond respond);

private:
    void ReadRequests();
    void Send(const HttpAnswer &answer, bool close);
    void OnWritten();

    QTcpSocket *m_socket;
    const WebLimits m_limits;
    const bool m_brief;
    Respond m_respond;
    QByteArray m_input;
    QTimer m_deadline;
    bool m_requestStarted = false;
    bool m_answering = false;
    bool m_closing = false;
    bool m_headOnly = false; // the request being answered is a HEAD
};

} // namespace vantor
