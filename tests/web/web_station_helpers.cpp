#include "web_station_helpers.h"

#include "test_support.h"

#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTcpServer>

#include <sys/resource.h>

namespace vantor::test {

int FreeTcpPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

WebStation::~WebStation()
{
    if (m_program.state() != QProcess::NotRunning)
        Terminate(m_program);
}

bool WebStation::start(const QByteArray &token)
{
    if (!m_tmp.isValid() || !m_simulator.start())
        return false;
    const QString data = m_tmp.path() + QStringLiteral("/station");
    QDir().mkpath(data);
    m_webPort = FreeTcpPort();
    const bool written =
        writeAll(data + QStringLiteral("/devices.ini"), OneDeviceIni(m_simulator.port())) &&
        writeAll(data + QStringLiteral("/stations.ini"),
                 "[General]\r\nStationCount=1\r\n[Station0]\r\nName=City FM\r\nFrequency=98.5\r\n"
                 "DeviceName=Tx Site\r\nMeasuring=1\r\nRDS=0\r\nAlarmSetName=Watch\r\n") &&
        writeAll(data + QStringLiteral("/alarms.ini"),
                 "[General]\r\nAlarmSetCount=1\r\n[AlarmSet0]\r\nName=Watch\r\n"
                 "SD_Enabled=1\r\nSD_Duration=4\r\nSD_Minimum=25\r\n"
                 "OM_Enabled=1\r\nOM_Duration=600\r\n") &&
        writeAll(tokenFile(), token + "\n");
    if (!written)
        return false;
    for (auto file = m_files.cbegin(); file != m_files.cend(); ++file) {
        if (!writeAll(data + QLatin1Char('/') + file.key(), file.value()))
            return false;
    }
    QStringList arguments{QStringLiteral("--headless"), QStringLiteral("--data-dir"), data,
                          QStringLiteral("--http"),
                          QStringLiteral("127.0.0.1:") + QString::number(m_webPort)};
    if (!token.isEmpty())
        arguments << QStringLiteral("--http-token-file") << tokenFile();
    arguments << m_arguments;
    if (m_fileLimit > 0) {
        m_program.setChildProcessModifier([limit = m_fileLimit] {
            const rlimit files{static_cast<rlim_t>(limit), static_cast<rlim_t>(limit)};
            setrlimit(RLIMIT_NOFILE, &files);
        });
    }
    m_program.start(binDir() + QStringLiteral("/vantor"), arguments);
    if (!m_program.waitForStarted())
        return false;
    return waitFor([&] { return appLog().contains("Web server: listening on"); }, 15000);
}

bool WebStation::addWebUser(const QString &name, const QString &role, const QByteArray &password)
{
    const QString data = m_tmp.path() + QStringLiteral("/station");
    QDir().mkpath(data);
    QProcess add;
    add.start(binDir() + QStringLiteral("/vantor"),
              {QStringLiteral("--data-dir"), data, QStringLiteral("--web-user"),
               QStringLiteral("add"), name, QStringLiteral("--role"), role});
    add.write(password + '\n');
    add.closeWriteChannel();
    return add.waitForFinished(30000) && add.exitStatus() == QProcess::NormalExit &&
           add.exitCode() == 0;
}

QByteArray WebStation::appLog() const
{
    return readAll(m_tmp.path() + QStringLiteral("/station/AppLogs/app.log"));
}

QByteArray HttpCall(const QByteArray &method, const QString &url, const QByteArray &body,
                    int timeoutMs)
{
    QNetworkAccessManager network;
    QNetworkRequest request{QUrl(url)};
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("application/json"));
    QNetworkReply *reply = network.sendCustomRequest(request, method, body);
    const bool done = waitFor([&] { return reply->isFinished(); }, timeoutMs);
    const QByteArray answer = done ? reply->readAll() : QByteArray();
    reply->abort();
    reply->deleteLater();
    return answer;
}

} // namespace vantor::test
