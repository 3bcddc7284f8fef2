// A test server run as a process by the system's Python (the SMTP server, the
// webhook receiver): started with "--port", it prints "READY <port>" once it
// listens and serves until it is killed or its standard input closes.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace vantor::test {

class LoopbackServerProcess
{
public:
    LoopbackServerProcess() = default;
    ~LoopbackServerProcess();
    LoopbackServerProcess(const LoopbackServerProcess &) = delete;
    LoopbackServerProcess &operator=(const LoopbackServerProcess &) = delete;

    // Starts script with its arguments on port (0: a free one) and waits
    // until it listens; false when it did not come up (error() says why).
    bool Start(const QString &script, const QStringList &arguments, int port = 0);
    // An outage: it is killed at once, then comes back on its old port
    // (Restart is false when it did not).
    void Stop();
    bool Restart();

    // The port it listens on, or listened on before Stop; 0 when it did not
    // come up.
    int port() const { return m_port; }
    QString error() const { return m_error; }

private:
    QProcess m_process;
    QString m_script;
    QStringList m_arguments;
    int m_port = 0;
    QString m_error;
};

} // namespace vantor::test
