// A device library whose receivers play stations on the engine's clock, for
// long runs on a fake clock: links come up at once, every query the engine
// polls is answered with values that drift with time, RDS groups (with a
// clock-time group each minute) come while RDS output is on, and each
// receiver loses its signal for a few minutes now and then.
#pragma once

#include "clock.h"
#include "device_library.h"

#include <deque>
#include <functional>
#include <vector>

namespace vantor::test {

class PlayingDeviceLibrary final : public DeviceLibrary
{
public:
    // Called at every tuning command with the handle and the frequency in kHz.
    using TuneListener = std::function<void(int handle, int kHz)>;

    explicit PlayingDeviceLibrary(const Clock &clock) : m_clock(clock) {}
    void setTuneListener(TuneListener listener) { m_onTune = std::move(listener); }

    // Whether a receiver has lost its signal at the clock's time: five minutes
    // in every 29 hours, at a different moment for each receiver.
    bool SignalLost(int handle) const;

    int AddDevice() override;
    void SetDevice(int handle) override { m_selected = handle; }
    void ConnectionSetup(int, int, const QString &, int) override {}
    void Connect() override;
    bool Connected() override;
    void Disconnect() override;
    void WriteCommand(const QString &command) override;
    int ReadBufferLength() override;
    QString ReadResponse() override;
    void ClearValues() override;
    double PCharToFloat(const QString &text) override;
    QString Version() override { return QStringLiteral("Playing receivers"); }
    void SetTCPReconnectTimeout(int) override {}

private:
    struct Receiver {
        bool connected = false;
        bool measuring = false;
        bool rds = false;
        int kHz = 87500;
        qint64 nextGroupMs = 0;
        int lastClockMinute = -1;
        std::deque<QString> responses;
    };

    Receiver *selected();
    void Answer(Receiver &r, int handle, QChar query);
    void AddDueGroups(Receiver &r, int handle);

    const Clock &m_clock;
    TuneListener m_onTune;
    std::vector<Receiver> m_receivers;
    int m_selected = -1;
};

} // namespace vantor::test
