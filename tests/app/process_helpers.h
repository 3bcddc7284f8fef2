// Running the program and the simulator as processes for end-to-end tests.
#pragma once

#include <QDir>
#include <QProcess>
#include <QString>

namespace vantor::test {

// The analyzer simulator as a process on a free loopback port.
class SimulatorProcess
{
public:
    ~SimulatorProcess();
    // Starts it; false when it did not report its port.
    bool start(const QStringList &extraArguments = {});
    int port() const { return m_port; }

private:
    QProcess m_process;
    int m_port = -1;
};

// Sends SIGTERM and waits for the exit; false when it did not end.
bool Terminate(QProcess &process, int timeoutMs = 15000);

// The plain files directly in folder, sorted.
QStringList FilesIn(const QString &folder);

} // namespace vantor::test
