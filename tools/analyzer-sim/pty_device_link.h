// A receiver on a serial line, played through a pseudo-terminal: the program
// opens the symbolic link at the given path as its serial port. Dropping the
// link hangs up the terminal and puts a fresh one behind the same path.
#pragma once

#include "device_link.h"

#include <QSocketNotifier>

namespace vantor::sim {

class PtyDeviceLink final : public DeviceLink
{
    Q_OBJECT
public:
    explicit PtyDeviceLink(QObject *parent = nullptr);
    ~PtyDeviceLink() override;

    // Creates the terminal and the link; an existing symbolic link at the path
    // is replaced, any other file there is left alone and makes this fail.
    bool open(const QString &linkPath);
    QString errorString() const { return m_error; }
    QString terminalPath() const { return m_terminalPath; }

    QString address() const override { return m_linkPath; }
    bool isConnected() const override { return m_master >= 0; }
    void write(const QByteArray &data) override;
    void drop() override;

private:
    bool openTerminal();
    void closeTerminal();
    bool pointLinkAtTerminal();
    void readMaster();
    void flushPending();
    void discardUnread();

    int m_master = -1;
    // Held open so that the terminal survives the program closing its end.
    int m_slave = -1;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
    QByteArray m_pending;
    QString m_linkPath;
    QString m_terminalPath;
    QString m_error;
};

} // namespace vantor::sim
