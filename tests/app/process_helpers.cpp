#include "process_helpers.h"

#include "test_support.h"

#include <csignal>

namespace vantor::test {

SimulatorProcess::~SimulatorProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

bool SimulatorProcess::start(const QStringList &extraArguments)
{
    m_process.start(binDir() + QStringLiteral("/analyzer-sim"),
                    QStringList{QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0")} +
                        extraArguments);
    if (!m_process.waitForStarted(5000))
        return false;
    while (m_process.waitForReadyRead(5000) || m_process.canReadLine()) {
        while (m_process.canReadLine()) {
            const QByteArray line = m_process.readLine().trimmed();
            if (line.startsWith("listen ")) {
                m_port = line.mid(line.lastIndexOf(':') + 1).toInt();
                return m_port > 0;
            }
        }
    }
    return false;
}

bool Terminate(QProcess &process, int timeoutMs)
{
    ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
    return process.waitForFinished(timeoutMs);
}

QStringList FilesIn(const QString &folder)
{
    QStringList files = QDir(folder).entryList(QDir::Files);
    files.sort();
    return files;
}

} // namespace vantor::test
