// A running station for the web server's end-to-end tests: the simulator,
// the headless program with its web server on a free port, and a plain HTTP
// GET against any local server (Prometheus, the WebDriver).
#pragma once

#include "process_helpers.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>

namespace vantor::test {

int FreeTcpPort();

// A station on the simulator: device "Tx Site", station "City FM" on 98.5
// measuring, alarm set "Watch" with the silence detector raised after 4 s.
class WebStation
{
public:
    ~WebStation();
    // Starts both; the program's web server listens on webPort() (with the
    // token when given). False when either did not come up.
    bool start(const QByteArray &token = {});
    // The program runs with at most this many open files (soft and hard,
    // so that it cannot raise them); set before start().
    void setOpenFileLimit(long limit) { m_fileLimit = limit; }
    // Before start(): a file of the data folder written in place of the one
    // above ("stations.ini", "alarms.ini") or beside them ("config.ini"),
    // and more arguments for the program.
    void setFile(const QString &name, const QByteArray &content) { m_files[name] = content; }
    void addArguments(const QStringList &arguments) { m_arguments << arguments; }
    // A web user made by "vantor --web-user add", the password on standard
    // input; before or after start().
    bool addWebUser(const QString &name, const QString &role, const QByteArray &password);
    bool stopProgram() { return Terminate(m_program); }

    SimulatorProcess &simulator() { return m_simulator; }
    int webPort() const { return m_webPort; }
    QString folder() const { return m_tmp.path(); }
    QString tokenFile() const { return m_tmp.path() + QStringLiteral("/token"); }
    QByteArray appLog() const;

private:
    QTemporaryDir m_tmp;
    SimulatorProcess m_simulator;
    QProcess m_program;
    int m_webPort = -1;
    long m_fileLimit = 0;
    QMap<QString, QByteArray> m_files;
    QStringList m_arguments;
};

// method "GET" or "POST"/"DELETE" with a JSON body; the answer's body, empty
// on failure.
QByteArray HttpCall(const QByteArray &method, const QString &url, const QByteArray &body = {},
                    int timeoutMs = 30000);

} // namespace vantor::test
