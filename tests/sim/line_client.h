// A client for the simulator's two line protocols over a real socket: sends
// device commands ending in CR (or control commands ending in LF) and keeps
// every line received, without its line end, for the tests to wait on.
#pragma once

#include <QByteArray>
#include <QList>
#include <QTcpSocket>

#include <functional>

namespace vantor::test {

class LineClient
{
public:
    bool connectTo(quint16 port);
    QTcpSocket &socket() { return m_socket; }

    void sendCommand(const QByteArray &command) { m_socket.write(command + '\r'); }
    void sendControl(const QByteArray &command) { m_socket.write(command + '\n'); }

    // All lines received so far (read from the socket on each call).
    const QList<QByteArray> &lines();
    // Lines received whose text starts with prefix.
    QList<QByteArray> linesStartingWith(const QByteArray &prefix);
    // Waits until a line starting with prefix has come in after the first
    // `from` lines; returns it, or an empty array on time-out.
    QByteArray waitForLine(const QByteArray &prefix, qsizetype from = 0, int timeoutMs = 3000);
    // Sends a control command and returns its answer lines up to and
    // including the one starting "OK" or "ERR".
    QList<QByteArray> control(const QByteArray &command);
    // Raw bytes received, line ends included.
    const QByteArray &raw() const { return m_raw; }
    void clear() { m_lines.clear(); }

private:
    void pull();

    QTcpSocket m_socket;
    QByteArray m_raw;
    QByteArray m_partial;
    QList<QByteArray> m_lines;
};

} // namespace vantor::test
