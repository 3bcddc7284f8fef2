#include "private_snmp.h"

#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QUdpSocket>

namespace vantor::test {

namespace {

const char *const Snmpd = "/usr/sbin/snmpd";
const char *const Snmptrapd = "/usr/sbin/snmptrapd";
const char *const Snmpwalk = "/usr/bin/snmpwalk";

int FreeUdpPort()
{
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    return probe.localPort();
}

void Stop(QProcess &process)
{
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
    }
}

} // namespace

QString DeviceCell(int column, int row)
{
    return VantorMibRoot + QStringLiteral(".1.5.1.%1.%2").arg(column).arg(row);
}

QString AlarmCell(int column, int row, int kind)
{
    return VantorMibRoot + QStringLiteral(".1.6.1.%1.%2.%3").arg(column).arg(row).arg(kind);
}

QString EventObject(int object)
{
    return VantorMibRoot + QStringLiteral(".1.7.%1.0").arg(object);
}

QString NotificationName(int n)
{
    return QStringLiteral("OID: ") + VantorMibRoot + QStringLiteral(".0.%1").arg(n);
}

QString PrivateSnmp::Missing()
{
    for (const char *tool : {Snmpd, Snmptrapd, Snmpwalk}) {
        if (!QFile::exists(QLatin1String(tool)))
            return QLatin1String(tool) +
                   QStringLiteral(" is not installed (packages snmpd, snmptrapd, snmp; "
                                  "scripts/setup): SNMP not tested");
    }
    return {};
}

PrivateSnmp::PrivateSnmp(const QString &folder)
    : m_folder(folder), m_port(FreeUdpPort()), m_trapPort(FreeUdpPort())
{
    writeAll(m_folder + QStringLiteral("/snmpd.conf"),
             QStringLiteral("agentAddress udp:127.0.0.1:%1\nmaster agentx\nagentXSocket %2\n"
                            "rocommunity public 127.0.0.1\ntrap2sink 127.0.0.1:%3 public\n")
                 .arg(m_port)
                 .arg(agentxSocket())
                 .arg(m_trapPort)
                 .toUtf8());
    writeAll(m_folder + QStringLiteral("/snmptrapd.conf"), "disableAuthorization yes\n");
}

PrivateSnmp::~PrivateSnmp()
{
    Stop(m_snmpd);
    Stop(m_trapd);
}

QProcessEnvironment PrivateSnmp::Environment() const
{
    // Persistent state in the test's folder; no MIB files, so the tools print
    // numbers and do not complain about the machine's MIBs.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("SNMP_PERSISTENT_DIR"), m_folder + QStringLiteral("/state"));
    env.insert(QStringLiteral("MIBS"), QString());
    return env;
}

bool PrivateSnmp::StartSnmpd()
{
    const QString log = m_folder + QStringLiteral("/snmpd.log");
    m_snmpd.setProcessEnvironment(Environment());
    QFile::remove(agentxSocket());
    m_snmpd.start(QLatin1String(Snmpd),
                  {QStringLiteral("-f"), QStringLiteral("-C"), QStringLiteral("-c"),
                   m_folder + QStringLiteral("/snmpd.conf"), QStringLiteral("-Lf"), log,
                   QStringLiteral("-M"), m_folder});
    // The socket's file appears before snmpd listens on it.
    const auto listening = [&] {
        QLocalSocket probe;
        probe.connectToServer(agentxSocket());
        return probe.waitForConnected(200);
    };
    if (waitFor(listening, 10000))
        return true;
    m_error = QString::fromLocal8Bit(readAll(log));
    return false;
}

bool PrivateSnmp::StartTrapd()
{
    m_trapd.setProcessEnvironment(Environment());
    m_trapd.start(QLatin1String(Snmptrapd),
                  {QStringLiteral("-f"), QStringLiteral("-C"), QStringLiteral("-c"),
                   m_folder + QStringLiteral("/snmptrapd.conf"), QStringLiteral("-On"),
                   QStringLiteral("-Lo"), QStringLiteral("-M"), m_folder,
                   QStringLiteral("udp:127.0.0.1:%1").arg(m_trapPort)});
    if (m_trapd.waitForStarted())
        return true;
    m_error = m_trapd.errorString();
    return false;
}

void PrivateSnmp::KillSnmpd()
{
    Stop(m_snmpd);
}

QMap<QString, QString> PrivateSnmp::Walk(const QString &oid)
{
    QProcess walk;
    walk.setProcessEnvironment(Environment());
    walk.start(QLatin1String(Snmpwalk),
               {QStringLiteral("-v2c"), QStringLiteral("-c"), QStringLiteral("public"),
                QStringLiteral("-On"), QStringLiteral("-M"), m_folder,
                QStringLiteral("127.0.0.1:%1").arg(m_port), oid});
    waitFor([&] { return walk.state() == QProcess::NotRunning; }, 20000);
    QMap<QString, QString> out;
    for (const QByteArray &line : walk.readAllStandardOutput().split('\n')) {
        const qsizetype eq = line.indexOf(" = ");
        if (eq > 0)
            out.insert(QString::fromUtf8(line.left(eq)), QString::fromUtf8(line.mid(eq + 3)));
    }
    return out;
}

QList<QMap<QString, QString>> PrivateSnmp::Notifications()
{
    m_traps += m_trapd.readAllStandardOutput();
    // snmptrapd prints a line about the sender, then the varbinds on one
    // line, separated by tabs.
    QList<QMap<QString, QString>> out;
    for (const QByteArray &line : m_traps.split('\n')) {
        if (!line.startsWith('.'))
            continue;
        QMap<QString, QString> varbinds;
        for (const QByteArray &varbind : line.split('\t')) {
            const qsizetype eq = varbind.indexOf(" = ");
            if (eq > 0)
                varbinds.insert(QString::fromUtf8(varbind.left(eq)),
                                QString::fromUtf8(varbind.mid(eq + 3)));
        }
        // snmpd's own (its cold start) are not the station's.
        if (varbinds.value(TrapOid).startsWith(QStringLiteral("OID: ") + VantorMibRoot))
            out.append(varbinds);
    }
    return out;
}

bool PrivateSnmp::WaitForNotifications(int count, int timeoutMs)
{
    return waitFor([&] { return Notifications().size() >= count; }, timeoutMs);
}

} // namespace vantor::test
