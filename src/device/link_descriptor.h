// The system side of one analyzer link: a non-blocking TCP socket or serial
// line as a plain file descriptor, read and written only when the library is
// asked, so that an idle or busy link costs the event loop nothing.
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QString>

namespace vantor {

class AnalyzerLink;
class LinkPoller;
class ResponseBuffer;

class LinkDescriptor
{
public:
    enum class State { Closed, Connecting, Open };

    LinkDescriptor() = default;
    LinkDescriptor(const LinkDescriptor &) = delete;
    LinkDescriptor &operator=(const LinkDescriptor &) = delete;
    ~LinkDescriptor() { close(); }

    // The set that watches every descriptor this opens on behalf of link.
    void watchWith(LinkPoller *poller, AnalyzerLink *link)
    {
        m_poller = poller;
        m_owner = link;
    }

    // Starts a TCP connection; Connecting (or Open) on success, else Closed
    // with *error set.
    void connectTcp(const QHostAddress &address, quint16 port, QString *error);
    // Opens a serial line raw, 8N1, no flow control, at speed baud; Open on
    // success, else Closed with *error set.
    void openSerial(const QString &path, int speed, QString *error);

    // Completes a TCP connection that has finished meanwhile. Closed when it
    // failed (*error set), Open when it is up; never waits.
    State state(QString *error);
    // The state as last found, without asking the system.
    State current() const { return m_state; }

    // Moves everything the system holds for this link into responses, without
    // waiting. A hang-up or read error closes the descriptor (*error set).
    void receive(ResponseBuffer &responses, QString *error);

    // Queues bytes for the next flush: a tick's commands go out together.
    void queue(const QByteArray &bytes) { m_output += bytes; }
    // Hands queued bytes to the system as far as it takes them now; whether
    // some still wait.
    bool flush(QString *error);
    bool hasQueuedOutput() const { return !m_output.isEmpty(); }

    // Hands queued bytes to the system and closes; what the system took is
    // still delivered.
    void close();

private:
    void fail(QString *error, const QString &what);
    void opened(State state);

    int m_fd = -1;
    State m_state = State::Closed;
    QByteArray m_output;
    LinkPoller *m_poller = nullptr;
    AnalyzerLink *m_owner = nullptr;
};

} // namespace vantor
