// A device library for engine tests: no links, every call recorded together
// with the handle selected at the time, connection state and responses set by
// the test.
#pragma once

#include "device_library.h"

#include <QStringList>

#include <deque>
#include <map>
#include <vector>

namespace vantor {

class FakeDeviceLibrary final : public DeviceLibrary
{
public:
    struct Call {
        int handle;       // selected by the last SetDevice (-1 before any)
        QString function; // "WriteCommand", "ConnectionSetup", ...
        QStringList args; // each argument as text; ConnectionSetup: kind, port, host, port/speed
        bool operator==(const Call &) const = default;
    };

    int AddDevice() override;
    void SetDevice(int handle) override;
    void ConnectionSetup(int kind, int comPort, const QString &host, int portOrSpeed) override;
    // Brings the link up only when setConnectSucceeds(true) was given.
    void Connect() override;
    bool Connected() override;
    void Disconnect() override;
    void WriteCommand(const QString &command) override;
    int ReadBufferLength() override;
    QString ReadResponse() override;
    void ClearValues() override;
    double PCharToFloat(const QString &text) override;
    QString Version() override;
    void SetTCPReconnectTimeout(int seconds) override;
    // Kept, not recorded as a call.
    void SetWarningHandler(WarningHandler handler) override
    {
        m_warningHandler = std::move(handler);
    }

    const std::vector<Call> &calls() const { return m_calls; }
    // The calls of one function, in order.
    std::vector<Call> calls(const QString &function) const;
    // The commands written to handle, in order.
    QStringList commands(int handle) const;
    void clearCalls() { m_calls.clear(); }

    // Handles that AddDevice has given out: 0 .. deviceCount()-1.
    int deviceCount() const { return m_deviceCount; }
    void setConnected(int handle, bool connected);
    // Whether Connect brings the selected link up (false by default).
    void setConnectSucceeds(bool succeeds) { m_connectSucceeds = succeeds; }
    void pushResponse(int handle, const QString &response);
    // Tells the handler of lost data on the link of handle, as the real
    // library does from the event loop.
    void warn(int handle, const QString &text);

private:
    void record(const QString &function, QStringList args = {});
    bool selectedKnown() const { return m_selected >= 0 && m_selected < m_deviceCount; }

    std::vector<Call> m_calls;
    int m_deviceCount = 0;
    int m_selected = -1;
    bool m_connectSucceeds = false;
    std::map<int, bool> m_connected;
    std::map<int, std::deque<QString>> m_responses;
    WarningHandler m_warningHandler;
};

} // namespace vantor
