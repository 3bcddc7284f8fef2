// A private snmpd and snmptrapd for the SNMP tests: their own configuration in
// a folder of the test's, AgentX on a socket there, UDP on free loopback
// ports. Nothing of the machine's own agent is read or touched.
#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QProcess>
#include <QString>

namespace vantor::test {

// VANTOR-MIB's root as the tools print it with -On.
inline const QString VantorMibRoot = QStringLiteral(".1.3.6.1.4.1.8072.9999.9999.86");
// snmpTrapOID.0, the varbind naming a notification.
inline const QString TrapOid = QStringLiteral(".1.3.6.1.6.3.1.1.4.1.0");

// The numeric names of a device table cell, an alarm table cell and an event
// varbind.
QString DeviceCell(int column, int row);
QString AlarmCell(int column, int row, int kind);
QString EventObject(int object);
// "OID: " and the numeric name of notification n (1 raised, 2 cleared, 3 link
// lost, 4 link regained), as snmpTrapOID.0 shows it.
QString NotificationName(int n);

class PrivateSnmp
{
public:
    // Empty when snmpd, snmptrapd and snmpwalk are all there; otherwise what
    // the test's skip message says.
    static QString Missing();

    // Writes the configuration into folder (which must exist).
    explicit PrivateSnmp(const QString &folder);
    ~PrivateSnmp();
    PrivateSnmp(const PrivateSnmp &) = delete;
    PrivateSnmp &operator=(const PrivateSnmp &) = delete;

    // Start snmpd until its AgentX socket is there, and snmptrapd; false
    // when it did not come up (the log is in error()).
    bool StartSnmpd();
    bool StartTrapd();
    // snmpd dies at once, as a crash would leave it.
    void KillSnmpd();
    QString error() const { return m_error; }

    QString agentxSocket() const { return m_folder + QStringLiteral("/agentx"); }

    // OID -> "TYPE: value" of a walk below oid, run while the event loop
    // turns (an agent in this process answers meanwhile).
    QMap<QString, QString> Walk(const QString &oid = VantorMibRoot);

    // VANTOR-MIB's notifications snmptrapd received so far, in order of arrival: each
    // as OID -> "TYPE: value" of its varbinds (snmpTrapOID.0 names it).
    QList<QMap<QString, QString>> Notifications();
    // Waits until count notifications have arrived.
    bool WaitForNotifications(int count, int timeoutMs);
    // snmptrapd's output, for failure messages.
    QByteArray TrapLog() const { return m_traps; }

private:
    QProcessEnvironment Environment() const;

    QString m_folder;
    int m_port = 0;
    int m_trapPort = 0;
    QProcess m_snmpd;
    QProcess m_trapd;
    QByteArray m_traps;
    QString m_error;
};

} // namespace vantor::test
