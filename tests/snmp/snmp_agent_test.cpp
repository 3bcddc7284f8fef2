// The AgentX subagent against a private snmpd and snmptrapd started here
// (own configuration in a temporary folder, AgentX on a socket there, UDP on
// free loopback ports): walks of the MIB, notifications of an alarm raised
// and cleared, and snmpd going away and coming back. Skipped where the
// net-snmp daemons or tools are missing.
#include "engine_fixture.h"
#include "snmp_agent.h"
#include "snmp_values.h"

#include <QFile>
#include <QProcess>
#include <QUdpSocket>

using namespace vantor;
using namespace vantor::test;

namespace {

const QString Root = QStringLiteral(".1.3.6.1.4.1.8072.9999.9999.86");

int FreeUdpPort()
{
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    return probe.localPort();
}

bool Installed()
{
    for (const char *tool : {"/usr/sbin/snmpd", "/usr/sbin/snmptrapd", "/usr/bin/snmpwalk"}) {
        if (!QFile::exists(QLatin1String(tool)))
            return false;
    }
    return true;
}

class SnmpAgentTest : public EngineFixture
{
protected:
    void SetUp() override
    {
        if (!Installed())
            GTEST_SKIP() << "snmpd, snmptrapd or snmpwalk not installed: SNMP not tested";
        dir = tmp.path() + QStringLiteral("/snmp");
        QDir().mkpath(dir);
        socket = dir + QStringLiteral("/agentx");
        port = FreeUdpPort();
        trapPort = FreeUdpPort();
        writeAll(dir + QStringLiteral("/snmpd.conf"),
                 QStringLiteral("agentAddress udp:127.0.0.1:%1\nmaster agentx\nagentXSocket %2\n"
                                "rocommunity public 127.0.0.1\ntrap2sink 127.0.0.1:%3 public\n")
                     .arg(port)
                     .arg(socket)
                     .arg(trapPort)
                     .toUtf8());
        writeAll(dir + QStringLiteral("/snmptrapd.conf"), "disableAuthorization yes\n");
        StartTrapd();
        StartSnmpd();

        WriteDevices({QStringLiteral("10.0.0.5:7000"), QStringLiteral("10.0.0.6:7000")});
        WriteStations({{"Radio 1", "98.5", "D0", 60, 0, "Measuring/RDS", "All"}});
        QByteArray set = "[General]\r\nAlarmSetCount=1\r\n[AlarmSet0]\r\nName=All\r\n";
        set += "SD_Enabled=1\r\nSD_Duration=10\r\n";
        WriteFile(QStringLiteral("alarms.ini"), set);
        Start();
        ConnectAll();
        engine.Tune(0, 0, false);
        engine.StartMeasuring(0);
        clock.advanceSeconds(5);
    }

    void TearDown() override
    {
        for (QProcess *p : {&snmpd, &trapd}) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished();
            }
        }
    }

    void StartSnmpd()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("SNMP_PERSISTENT_DIR"), dir + QStringLiteral("/state"));
        env.insert(QStringLiteral("MIBS"), QString());
        snmpd.setProcessEnvironment(env);
        QFile::remove(socket);
        snmpd.start(QStringLiteral("/usr/sbin/snmpd"),
                    {QStringLiteral("-f"), QStringLiteral("-C"), QStringLiteral("-c"),
                     dir + QStringLiteral("/snmpd.conf"), QStringLiteral("-Lf"),
                     dir + QStringLiteral("/snmpd.log"), QStringLiteral("-M"), dir});
        ASSERT_TRUE(waitFor([&] { return QFile::exists(socket); }, 10000))
            << readAll(dir + QStringLiteral("/snmpd.log")).toStdString();
    }

    void StartTrapd()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("SNMP_PERSISTENT_DIR"), dir + QStringLiteral("/state"));
        trapd.setProcessEnvironment(env);
        trapd.start(QStringLiteral("/usr/sbin/snmptrapd"),
                    {QStringLiteral("-f"), QStringLiteral("-C"), QStringLiteral("-c"),
                     dir + QStringLiteral("/snmptrapd.conf"), QStringLiteral("-On"),
                     QStringLiteral("-Lo"), QStringLiteral("-M"), dir,
                     QStringLiteral("udp:127.0.0.1:%1").arg(trapPort)});
        ASSERT_TRUE(trapd.waitForStarted());
    }

    // oid -> "TYPE: value" of a walk of the MIB, run while the event loop
    // serves the agent.
    QMap<QString, QString> Walk()
    {
        QProcess walk;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("MIBS"), QString());
        walk.setProcessEnvironment(env);
        walk.start(QStringLiteral("/usr/bin/snmpwalk"),
                   {QStringLiteral("-v2c"), QStringLiteral("-c"), QStringLiteral("public"),
                    QStringLiteral("-On"), QStringLiteral("-M"), dir,
                    QStringLiteral("127.0.0.1:%1").arg(port), Root});
        EXPECT_TRUE(waitFor([&] { return walk.state() == QProcess::NotRunning; }, 20000));
        QMap<QString, QString> out;
        for (const QByteArray &line : walk.readAllStandardOutput().split('\n')) {
            const qsizetype eq = line.indexOf(" = ");
            if (eq > 0)
                out.insert(QString::fromUtf8(line.left(eq)), QString::fromUtf8(line.mid(eq + 3)));
        }
        return out;
    }

    QString Device(int column, int row) const
    {
        return Root + QStringLiteral(".1.5.1.%1.%2").arg(column).arg(row);
    }
    QString Alarm(int column, int row, int kind) const
    {
        return Root + QStringLiteral(".1.6.1.%1.%2.%3").arg(column).arg(row).arg(kind);
    }

    // Ticks until pred holds, with the given responses on device 0.
    bool TickUntil(const QStringList &responses, const std::function<bool()> &pred)
    {
        for (int t = 0; t < 100 && !pred(); ++t) {
            for (const QString &r : responses)
                library.pushResponse(0, r);
            ReceiveTick();
        }
        return pred();
    }

    QString dir;
    QString socket;
    int port = 0;
    int trapPort = 0;
    QProcess snmpd;
    QProcess trapd;
    QByteArray traps;
};

} // namespace

TEST_F(SnmpAgentTest, WalkShowsTheDevicesAndAlarmsAsTheStatusDoes)
{
    SnmpAgent agent(engine, socket);
    ASSERT_TRUE(waitFor([&] { return agent.Connected(); }, 10000)) << AppLines().toStdString();
    for (const char *r :
         {"AVE=40.0 kHz", "Level=63.2 dBuV", "Pilot=6.83 kHz", "PI=D3C3", "Signal Quality=5"})
        library.pushResponse(0, QLatin1String(r));
    ReceiveTick();

    const QMap<QString, QString> walk = Walk();
    ASSERT_FALSE(walk.isEmpty());
    EXPECT_EQ(walk.value(Root + QStringLiteral(".1.3.0")), QStringLiteral("Gauge32: 2"));
    EXPECT_EQ(walk.value(Device(2, 1)), QStringLiteral("STRING: \"D0\""));
    EXPECT_EQ(walk.value(Device(2, 2)), QStringLiteral("STRING: \"D1\""));
    EXPECT_EQ(walk.value(Device(3, 1)), QStringLiteral("INTEGER: 1")) << "connected";
    EXPECT_EQ(walk.value(Device(4, 1)), QStringLiteral("STRING: \"Radio 1\""));
    EXPECT_EQ(walk.value(Device(5, 1)), QStringLiteral("INTEGER: 9850"));
    EXPECT_EQ(walk.value(Device(6, 1)), QStringLiteral("INTEGER: 2")) << "measuring";
    EXPECT_EQ(walk.value(Device(6, 2)), QStringLiteral("INTEGER: 1")) << "idle";
    // Readings in the MIB's units; what the status shows as null is the
    // lowest Integer32, never 0.
    EXPECT_EQ(walk.value(Device(10, 1)), QStringLiteral("INTEGER: 400")) << "AVE 40.0 kHz";
    EXPECT_EQ(walk.value(Device(11, 1)), QStringLiteral("INTEGER: 683")) << "Pilot 6.83 kHz";
    EXPECT_EQ(walk.value(Device(14, 1)), QStringLiteral("INTEGER: 632")) << "Level 63.2 dBuV";
    EXPECT_EQ(walk.value(Device(16, 1)), QStringLiteral("INTEGER: 54211")) << "PI D3C3";
    EXPECT_EQ(walk.value(Device(13, 1)), QStringLiteral("INTEGER: -2147483648")) << "no Pm";
    EXPECT_EQ(walk.value(Device(10, 2)), QStringLiteral("INTEGER: -2147483648"));
    int count = 0;
    const MibReading *readings = MibReadings(&count);
    for (int r = 0; r < count; ++r)
        EXPECT_EQ(walk.value(Device(8 + r, 1)),
                  QStringLiteral("INTEGER: %1").arg(DeviceReading(engine, 0, readings[r])))
            << readings[r].name;

    for (int kind = 0; kind < AlarmKindCount; ++kind) {
        EXPECT_EQ(walk.value(Alarm(2, 1, kind + 1)),
                  QStringLiteral("STRING: \"%1\"").arg(AlarmKindNames[kind]));
        EXPECT_EQ(walk.value(Alarm(3, 1, kind + 1)),
                  QStringLiteral("INTEGER: %1").arg(kind == AlarmSilence ? 1 : 2))
            << "enabled in the set";
        EXPECT_EQ(walk.value(Alarm(4, 1, kind + 1)), QStringLiteral("INTEGER: 1")) << "off";
    }
    EXPECT_EQ(walk.value(Alarm(6, 1, 1)), QStringLiteral("STRING: \"25\"")) << "silence limit";
}

TEST_F(SnmpAgentTest, AnAlarmArrivesAsRaisedThenClearedWithItsVarbinds)
{
    SnmpAgent agent(engine, socket);
    ASSERT_TRUE(waitFor([&] { return agent.Connected(); }, 10000)) << AppLines().toStdString();
    ASSERT_TRUE(TickUntil({QStringLiteral("AVE=10.0 kHz")},
                          [&] { return engine.Devices[0].AlarmActive[AlarmSilence]; }));
    ASSERT_TRUE(waitFor(
        [&] {
            traps += trapd.readAllStandardOutput();
            return traps.contains((Root + QStringLiteral(".0.1")).toLatin1());
        },
        10000))
        << traps.toStdString();
    ASSERT_TRUE(TickUntil({QStringLiteral("AVE=40.0 kHz")},
                          [&] { return !engine.Devices[0].AlarmActive[AlarmSilence]; }));
    ASSERT_TRUE(waitFor(
        [&] {
            traps += trapd.readAllStandardOutput();
            return traps.contains((Root + QStringLiteral(".0.2")).toLatin1());
        },
        10000))
        << traps.toStdString();
    const QString text = QString::fromUtf8(traps);
    EXPECT_LT(text.indexOf(Root + QStringLiteral(".0.1")),
              text.indexOf(Root + QStringLiteral(".0.2")));
    EXPECT_TRUE(text.contains(Root + QStringLiteral(".1.7.1.0 = STRING: \"D0\"")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(Root + QStringLiteral(".1.7.2.0 = INTEGER: 1")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(Root + QStringLiteral(".1.7.3.0 = STRING: \"10.0")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(Root + QStringLiteral(".1.7.4.0 = STRING: \"25\"")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(Root + QStringLiteral(".1.7.5.0 = STRING: \"Radio 1\"")))
        << text.toStdString();
}

TEST_F(SnmpAgentTest, SnmpdGoingAwayIsToldOnceAndTheAgentRejoinsWhenItIsBack)
{
    SnmpAgent agent(engine, socket);
    ASSERT_TRUE(waitFor([&] { return agent.Connected(); }, 10000)) << AppLines().toStdString();
    snmpd.kill();
    snmpd.waitForFinished();
    ASSERT_TRUE(waitFor([&] { return !agent.Connected(); }, 15000));
    StartSnmpd();
    ASSERT_TRUE(waitFor([&] { return agent.Connected(); }, 20000)) << AppLines().toStdString();
    EXPECT_EQ(AppLines().count(QStringLiteral("SNMP: snmpd not reachable")), 1)
        << AppLines().toStdString();
    EXPECT_EQ(AppLines().count(QStringLiteral("SNMP: joined snmpd")), 2);
    EXPECT_EQ(Walk().value(Device(2, 1)), QStringLiteral("STRING: \"D0\""));
}
