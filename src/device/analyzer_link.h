// One device slot of the link library: the connection prepared for it, the
// TCP socket or serial port currently open, and the responses received.
// Everything runs on the owning thread's event loop; nothing here waits for
// the network or the port.
#pragma once

#include "response_buffer.h"

#include <QObject>
#include <QSerialPort>
#include <QString>

#include <memory>

class QTcpSocket;

namespace vantor {

class AnalyzerLink : public QObject
{
    Q_OBJECT

public:
    // Serial speed used when the device entry names none.
    static constexpr int DefaultSerialSpeed = 9600;
    static constexpr int MaxCommandLength = 255;

    // dataFolder: where the operator's ports/COMn entries live.
    explicit AnalyzerLink(QString dataFolder, QObject *parent = nullptr);
    ~AnalyzerLink() override;

    // Takes effect at the next open(). kind: 0 serial (comPort 1..255, speed
    // or 0 for the default), 1 TCP (host, port 1..65535). Anything else leaves
    // nothing that open() could reach.
    void setup(int kind, int comPort, const QString &host, int portOrSpeed);
    // Closes what is open and starts the prepared connection. A serial port
    // is open (or has failed) on return; a TCP connection completes later.
    void open();
    bool isUp() const;
    // Hands written commands to the system, then closes.
    void close();
    // Sends command (cut to MaxCommandLength characters, Latin-1) and CR.
    // Dropped while the link is not up.
    void write(const QString &command);

    ResponseBuffer &responses() { return m_responses; }

signals:
    // Received data were lost: a line cut to its first MaxResponseLength
    // bytes, or the oldest responses dropped for the queue's limits.
    void dataLost(const QString &text);

private:
    void reportLoss(const QString &text, bool &toldOnStderr);
    void openTcp();
    void openSerial();
    void discardConnection();
    void readIncoming();
    void onTcpDisconnected();
    void onSerialError(QSerialPort::SerialPortError error);

    const QString m_dataFolder;
    int m_kind = -1;
    int m_comPort = 0;
    QString m_host;
    int m_portOrSpeed = 0;

    QString m_endpoint;
    std::unique_ptr<QTcpSocket> m_tcp;
    std::unique_ptr<QSerialPort> m_serial;
    ResponseBuffer m_responses;
    bool m_cutReported = false;
    bool m_dropReported = false;
};

} // namespace vantor
