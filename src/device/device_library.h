// The call interface of the analyzers' device I/O library. The engine talks to
// the receivers only through this; the real implementation drives serial and
// TCP links on the event loop, tests may put a fake in its place.
#pragma once

#include <QByteArray>
#include <QLatin1StringView>
#include <QString>

#include <functional>
#include <stdexcept>

namespace vantor {

// Raised by PCharToFloat for a text that does not start with a number.
class NumberConversionError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

class DeviceLibrary
{
public:
    enum ConnectionKind { Serial = 0, Tcp = 1 };
    // Told of data lost on a link: the device's handle and what was lost.
    using WarningHandler = std::function<void(int handle, const QString &text)>;

    virtual ~DeviceLibrary() = default;

    // Handle of a new device slot.
    virtual int AddDevice() = 0;
    // Selects the device the following calls address.
    virtual void SetDevice(int handle) = 0;
    // Prepares the selected device's link: kind, COM port number (1..255, 0 for
    // TCP), host (empty for serial), TCP port or serial speed (0 = default).
    virtual void ConnectionSetup(int kind, int comPort, const QString &host, int portOrSpeed) = 0;
    // Starts opening the prepared link; returns at once.
    virtual void Connect() = 0;
    // Whether the selected device's link is up right now.
    virtual bool Connected() = 0;
    virtual void Disconnect() = 0;
    // Sends one command (at most 255 characters) to the selected device.
    virtual void WriteCommand(const QString &command) = 0;
    // Number of complete responses waiting for the selected device.
    virtual int ReadBufferLength() = 0;
    // Removes and returns the oldest waiting response ("name=value"; may be empty).
    virtual QString ReadResponse() = 0;
    // ReadResponse without the copy: the response's Latin-1 bytes, valid
    // until the next call of this library.
    virtual QLatin1StringView ReadResponseView()
    {
        m_viewed = ReadResponse().toLatin1();
        return QLatin1StringView(m_viewed);
    }
    // Drops what is held for the selected device.
    virtual void ClearValues() = 0;
    // The leading decimal number of text; throws NumberConversionError when
    // there is none.
    virtual double PCharToFloat(const QString &text) = 0;
    virtual QString Version() = 0;
    virtual void SetTCPReconnectTimeout(int seconds) = 0;
    // Where to tell of data lost on a link: a response cut because its line
    // was too long, responses dropped because they came faster than they
    // were read. The handler runs on the event loop, never inside a call of
    // this interface, as often as it happens. A library that loses nothing
    // has nothing to tell.
    virtual void SetWarningHandler(WarningHandler handler) { (void)handler; }

private:
    QByteArray m_viewed;
};

} // namespace vantor
