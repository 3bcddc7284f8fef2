#include "loopback_server_process.h"

#include "test_support.h"

#include <QProcessEnvironment>

namespace vantor::test {

LoopbackServerProcess::~LoopbackServerProcess()
{
    Stop();
}

bool LoopbackServerProcess::Start(const QString &script, const QStringList &arguments, int port)
{
    m_script = script;
    m_arguments = arguments;
    m_port = 0;
    m_error.clear();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PYTHONUNBUFFERED"), QStringLiteral("1"));
    m_process.setProcessEnvironment(env);
    // The system interpreter: the one on PATH may lack the system's modules.
    m_process.start(QStringLiteral("/usr/bin/python3"),
                    QStringList{script} + arguments +
                        QStringList{QStringLiteral("--port"), QString::number(port)});

    QByteArray output;
    const bool ready = waitFor(
        [&] {
            output += m_process.readAllStandardOutput();
            return output.contains('\n') || m_process.state() == QProcess::NotRunning;
        },
        10000);
    const QList<QByteArray> words = output.trimmed().split(' ');
    if (ready && words.size() == 2 && words[0] == "READY")
        m_port = words[1].toInt();
    if (m_port == 0)
        m_error = QString::fromLocal8Bit(output + m_process.readAllStandardError());
    return m_port != 0;
}

bool LoopbackServerProcess::Restart()
{
    const int old = m_port;
    return old != 0 && Start(m_script, m_arguments, old) && m_port == old;
}

void LoopbackServerProcess::Stop()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

} // namespace vantor::test
