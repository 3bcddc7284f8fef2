// The device library the program runs with: every device slot is an
// AnalyzerLink (TCP socket or serial port) driven on the event loop.
//
// What the callers may rely on beyond the DeviceLibrary contract:
//  - Handles are 0, 1, 2, ... in the order of AddDevice. After SetDevice with
//    any other value the device calls do nothing: Connected is false,
//    ReadBufferLength 0, ReadResponse empty.
//  - All links are read through one LinkPoller: received data and hang-ups
//    reach a link's responses and state within LinkPoller::RestMs. Commands
//    are gathered and handed to the system once the caller is back in the
//    event loop.
//  - Connect never waits. It closes whatever the slot had open (so a Connect
//    on a connected slot reconnects), drops a half-received line, keeps the
//    complete responses still queued, and starts the link prepared by the
//    last ConnectionSetup. Connected reads the link's state: a TCP peer that
//    closed, a refused or failed connection, a serial port that reports an
//    error (unplugged adapter, vanished pty) all read as not connected.
//  - Serial ports: COMn is found by serialPortPath(); the speed is the one
//    given, 9600 when it is 0 or below; always 8 data bits, no parity, one
//    stop bit, no flow control.
//  - A command is written as its first 255 characters in Latin-1 plus CR; a
//    command given while the link is down is dropped.
//  - Responses are cut and limited as ResponseBuffer describes; every cut
//    line and every read that dropped responses is told to the warning
//    handler, and to stderr once per connection.
//  - The library never reconnects by itself: SetTCPReconnectTimeout only
//    stores its value. Reconnecting is the connection manager's job.
#pragma once

#include "analyzer_link.h"
#include "device_library.h"

#include <QTimer>

#include <memory>
#include <vector>

namespace vantor {

class AnalyzerLinkLibrary final : public DeviceLibrary
{
public:
    // dataFolder: the program's data folder, home of the ports/COMn entries.
    explicit AnalyzerLinkLibrary(QString dataFolder);
    ~AnalyzerLinkLibrary() override;

    int AddDevice() override;
    void SetDevice(int handle) override;
    void ConnectionSetup(int kind, int comPort, const QString &host, int portOrSpeed) override;
    void Connect() override;
    bool Connected() override;
    void Disconnect() override;
    void WriteCommand(const QString &command) override;
    int ReadBufferLength() override;
    QString ReadResponse() override;
    QLatin1StringView ReadResponseView() override;
    void ClearValues() override;
    double PCharToFloat(const QString &text) override;
    QString Version() override;
    void SetTCPReconnectTimeout(int seconds) override;
    void SetWarningHandler(WarningHandler handler) override;

    int tcpReconnectTimeout() const { return m_tcpReconnectTimeout; }

private:
    AnalyzerLink *selected() const;
    void flushOutput();

    const QString m_dataFolder;
    LinkPoller m_poller;
    std::vector<std::unique_ptr<AnalyzerLink>> m_links;
    int m_selected = -1;
    int m_tcpReconnectTimeout = 0;
    WarningHandler m_warningHandler;
    // Links with commands waiting, handed to the system together when the
    // caller is back in the event loop.
    std::vector<AnalyzerLink *> m_writing;
    QTimer m_flushTimer;
};

} // namespace vantor
