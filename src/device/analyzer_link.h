// One device slot of the link library: the connection prepared for it, the
// TCP socket or serial line currently open, and the responses received.
// Nothing here waits for the network or the port. The library's LinkPoller
// calls receive() when the link has data or has hung up.
#pragma once

#include "link_descriptor.h"
#include "link_poller.h"
#include "response_buffer.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>

namespace vantor {

class AnalyzerLink : public QObject
{
    Q_OBJECT

public:
    // Serial speed used when the device entry names none.
    static constexpr int DefaultSerialSpeed = 9600;
    static constexpr int MaxCommandLength = 255;

    // dataFolder: where the operator's ports/COMn entries live; poller: the
    // set that watches the link's descriptors (none: only asking reads).
    AnalyzerLink(QString dataFolder, LinkPoller *poller, QObject *parent = nullptr);
    ~AnalyzerLink() override;

    // Takes effect at the next open(). kind: 0 serial (comPort 1..255, speed
    // or 0 for the default), 1 TCP (host, port 1..65535). Anything else leaves
    // nothing that open() could reach.
    void setup(int kind, int comPort, const QString &host, int portOrSpeed);
    // Closes what is open and starts the prepared connection. A serial port
    // is open (or has failed) on return; a TCP connection completes later.
    void open();
    // Whether the link is up now; completes a connection that has come up.
    bool isUp();
    // Hands written commands to the system, then closes.
    void close();
    // Queues command (cut to MaxCommandLength characters, Latin-1) and CR for
    // flushOutput(); dropped while the link is not up. Whether output waits.
    bool write(const QString &command);
    // Hands the queued commands to the system; whether some still wait.
    bool flushOutput();
    // Moves what the system holds for the link into responses(); notices a
    // hang-up or a failed connection.
    void receive();

    ResponseBuffer &responses() { return m_responses; }

signals:
    // Received data were lost: a line cut to its first MaxResponseLength
    // bytes, or the oldest responses dropped for the queue's limits. Emitted
    // from the event loop, never inside a call of this class.
    void dataLost(const QString &text);

private:
    void reportLoss(const QString &text, bool &toldOnStderr);
    void openTcp();
    void connectNextAddress();
    void openSerial();
    void abortLookup();
    void linkFailed(const QString &error);

    const QString m_dataFolder;
    int m_kind = -1;
    int m_comPort = 0;
    QString m_host;
    int m_portOrSpeed = 0;

    QString m_endpoint;
    LinkDescriptor m_link;
    int m_lookupId = -1;
    // Addresses of the host still to try, as a TCP connection tries each in
    // turn until one answers.
    QList<QHostAddress> m_addresses;
    ResponseBuffer m_responses;
    bool m_cutReported = false;
    bool m_dropReported = false;
};

} // namespace vantor
