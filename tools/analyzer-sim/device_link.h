// The receiver's end of its link to the program: bytes in, bytes out, and a
// way to break the link the way a failing device or cable would.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

namespace vantor::sim {

class DeviceLink : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Where the program reaches this link ("127.0.0.1:4001" or a pty path).
    virtual QString address() const = 0;
    // A program is there to read what is written.
    virtual bool isConnected() const = 0;
    virtual void write(const QByteArray &data) = 0;
    // Breaks the current link; the next connection is accepted as usual.
    virtual void drop() = 0;

signals:
    void received(const QByteArray &data);
};

} // namespace vantor::sim
