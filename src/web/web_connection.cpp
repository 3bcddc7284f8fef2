#include "web_connection.h"

#include <QPointer>
#include <QTcpSocket>

namespace vantor {

WebConnection::WebConnection(QTcpSocket *socket, const WebLimits &limits, bool brief,
                             Respond respond)
    : QObject(socket), m_socket(socket), m_limits(limits), m_brief(brief),
      m_respond(std::move(respond))
{
    // What the client sends beyond one request's worth waits in the system's
    // buffers, not in ours.
    m_socket->setReadBufferSize(m_limits.maxRequestBytes);
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, m_socket, &QAbstractSocket::abort);
    connect(m_socket, &QIODevice::readyRead, this, &WebConnection::ReadRequests);
    connect(m_socket, &QIODevice::bytesWritten, this, &WebConnection::OnWritten);
    m_deadline.start(m_brief ? m_limits.headerTimeoutMs : m_limits.requestTimeoutMs);
    ReadRequests();
}

void WebConnection::ReadRequests()
{
    if (m_closing) {
        // Read and dropped: a close with bytes unread would reset the
        // connection, and the client might never see its answer.
        m_socket->readAll();
        return;
    }
    if (m_answering)
        return;
    // One byte beyond the limit tells a request that is too large.
    m_input += m_socket->read(m_limits.maxRequestBytes + 1 - m_input.size());
    if (m_input.isEmpty())
        return;
    if (!m_requestStarted) {
        m_requestStarted = true;
        m_deadline.start(m_limits.headerTimeoutMs);
    }
    const HttpParse parse = ParseHttpRequest(m_input, m_limits.maxRequestBytes);
    if (parse.outcome == HttpParse::Outcome::Incomplete)
        return;
    if (parse.outcome == HttpParse::Outcome::Refused) {
        m_input.clear();
        Send(HttpAnswer::Text(parse.status, "Refused"), true);
        return;
    }
    // Only this request's own bytes leave the buffer: a pipelined next one
    // starts its count from nothing.
    m_input.remove(0, parse.length);
    m_requestStarted = false;
    m_deadline.stop();
    m_answering = true;
    m_headOnly = parse.request.method == "HEAD";
    const bool close = m_brief || parse.request.ClosesConnection();
    HttpRequest request = parse.request;
    request.peer = m_socket->peerAddress().toString();
    m_respond(request, [connection = QPointer<WebConnection>(this), close](HttpAnswer answer) {
        if (connection)
            connection->Send(answer, close);
    });
}

void WebConnection::Send(const HttpAnswer &answer, bool close)
{
    m_answering = false;
    m_closing = close;
    m_socket->write(AnswerBytes(answer, close, !m_headOnly));
    m_headOnly = false;
    // The time a client has to take its answer.
    m_deadline.start(m_limits.requestTimeoutMs);
    if (close) {
        m_socket->setReadBufferSize(0);
        m_socket->readAll();
        m_socket->disconnectFromHost();
    }
}

void WebConnection::OnWritten()
{
    if (m_closing || m_answering || m_socket->bytesToWrite() > 0)
        return;
    m_deadline.start(m_brief ? m_limits.headerTimeoutMs : m_limits.requestTimeoutMs);
    ReadRequests();
}

} // namespace vantor
