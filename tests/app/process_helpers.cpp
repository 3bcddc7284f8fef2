#include "process_helpers.h"

#include "test_support.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHostAddress>
#include <QRegularExpression>
#include <QTcpSocket>

#include <csignal>
#include <cstdlib>

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
                    QStringList{QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"),
                                QStringLiteral("--control"), QStringLiteral("127.0.0.1:0")} +
                        extraArguments);
    if (!m_process.waitForStarted(5000))
        return false;
    while (m_process.canReadLine() || m_process.waitForReadyRead(5000)) {
        while (m_process.canReadLine()) {
            const QByteArray line = m_process.readLine().trimmed();
            const int port = line.mid(line.lastIndexOf(':') + 1).toInt();
            if (line.startsWith("listen ") && m_port < 0)
                m_port = port;
            if (line.startsWith("control "))
                m_controlPort = port;
            if (m_port > 0 && m_controlPort > 0)
                return true;
        }
    }
    return false;
}

QStringList SimulatorProcess::control(const QString &command)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, quint16(m_controlPort));
    if (!socket.waitForConnected(5000))
        return {};
    socket.write(command.toLatin1() + "\n");
    QStringList answer;
    while (socket.waitForReadyRead(5000) || socket.canReadLine()) {
        while (socket.canReadLine()) {
            const QString line = QString::fromLatin1(socket.readLine()).trimmed();
            answer << line;
            if (line.startsWith(QLatin1String("OK")) || line.startsWith(QLatin1String("ERR")))
                return answer;
        }
    }
    return answer;
}

QByteArray OneDeviceIni(int simulatorPort)
{
    return "[General]\r\nDeviceCount=1\r\n[Device0]\r\nName=Tx Site\r\nConnection=127.0.0.1:" +
           QByteArray::number(simulatorPort) + "\r\nSchedulingMode=1\r\n";
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

QByteArray DeviceLog(const QString &dataFolder, const QString &device)
{
    const QString folder = dataFolder + QStringLiteral("/AppLogs/");
    // Daily names end in the date as yyyy-MM-dd, so name order is date order.
    const QRegularExpression daily(QLatin1Char('^') +
                                   QRegularExpression::escape(device + QStringLiteral(" - ")) +
                                   QStringLiteral(R"(\d{4}-\d\d-\d\d\.log$)"));
    QByteArray text;
    for (const QString &name : FilesIn(folder).filter(daily))
        text += readAll(folder + name);
    return text;
}

QStringList ArchivedVisitCsv(const QString &dataFolder, const QString &station)
{
    // Archive names end in the finishing moment, yyyy-MM-dd hh-mm-ss, so
    // name order is time order.
    const QRegularExpression visit(QLatin1Char('^') +
                                   QRegularExpression::escape(station + QStringLiteral(" - ")) +
                                   QStringLiteral(R"(\d{4}-\d\d-\d\d \d\d-\d\d-\d\d\.csv$)"));
    const QString folder = dataFolder + QStringLiteral("/StationLogs/");
    QStringList files;
    for (const QString &name : FilesIn(folder).filter(visit)) {
        if (QFileInfo(folder + name).size() > 0)
            files << folder + name;
    }
    return files;
}

CsvSeconds CountCsvSeconds(const QString &file)
{
    const QList<QByteArray> lines = readAll(file).split('\n');
    CsvSeconds counted;
    QDateTime first;
    QDateTime last;
    for (const QByteArray &line : lines.mid(1)) {
        if (line.trimmed().isEmpty())
            continue;
        ++counted.lines;
        const QDateTime stamp = QDateTime::fromString(QString::fromLatin1(line.mid(1, 19)),
                                                      QStringLiteral("yyyy.MM.dd HH:mm:ss"));
        if (!first.isValid())
            first = stamp;
        last = stamp;
    }
    if (first.isValid() && last.isValid())
        counted.seconds = first.secsTo(last);
    return counted;
}

QString MissedCsvSeconds(const QString &file, int minSeconds)
{
    const CsvSeconds counted = CountCsvSeconds(file);
    if (counted.seconds >= minSeconds && std::abs(counted.lines - (counted.seconds + 1)) <= 1)
        return {};
    return QStringLiteral("%1: %2 lines over %3 seconds")
        .arg(file)
        .arg(counted.lines)
        .arg(counted.seconds);
}

} // namespace vantor::test
