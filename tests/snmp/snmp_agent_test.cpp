// The AgentX subagent against a private snmpd and snmptrapd started here
// (own configuration in a temporary folder, AgentX on a socket there, UDP on
// free loopback ports): walks of the MIB, notifications of an alarm raised
// and cleared, and snmpd going away and coming back. Skipped where the
// net-snmp daemons or tools are missing.
#include "engine_fixture.h"
#include "engine_tables.h"
#include "private_snmp.h"
#include "snmp_agent.h"
#include "snmp_values.h"

using namespace vantor;
using namespace vantor::test;

namespace {

class SnmpAgentTest : public EngineFixture
{
protected:
    void SetUp() override
    {
        if (const QString missing = PrivateSnmp::Missing(); !missing.isEmpty())
            GTEST_SKIP() << missing.toStdString();
        const QString dir = tmp.path() + QStringLiteral("/snmp");
        QDir().mkpath(dir);
        snmp = std::make_unique<PrivateSnmp>(dir);
        ASSERT_TRUE(snmp->StartTrapd()) << snmp->error().toStdString();
        ASSERT_TRUE(snmp->StartSnmpd()) << snmp->error().toStdString();

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

    std::unique_ptr<PrivateSnmp> snmp;
};

} // namespace

TEST_F(SnmpAgentTest, WalkShowsTheDevicesAndAlarmsAsTheStatusDoes)
{
    SnmpAgent agent(engine, snmp->agentxSocket());
    ASSERT_TRUE(waitFor([&] { return agent.Connected(); }, 10000)) << AppLines().toStdString();
    for (const char *r :
         {"AVE=40.0 kHz", "Level=63.2 dBuV", "Pilot=6.83 kHz", "PI=D3C3", "Signal Quality=5"})
        library.pushResponse(0, QLatin1String(r));
    ReceiveTick();

    const QMap<QString, QString> walk = snmp->Walk();
    ASSERT_FALSE(walk.isEmpty());
    EXPECT_EQ(walk.value(VantorMibRoot + QStringLiteral(".1.3.0")), QStringLiteral("Gauge32: 2"));
    EXPECT_EQ(walk.value(DeviceCell(2, 1)), QStringLiteral("STRING: \"D0\""));
    EXPECT_EQ(walk.value(DeviceCell(2, 2)), QStringLiteral("STRING: \"D1\""));
    EXPECT_EQ(walk.value(DeviceCell(3, 1)), QStringLiteral("INTEGER: 1")) << "connected";
    EXPECT_EQ(walk.value(DeviceCell(4, 1)), QStringLiteral("STRING: \"Radio 1\""));
    EXPECT_EQ(walk.value(DeviceCell(5, 1)), QStringLiteral("INTEGER: 9850"));
    EXPECT_EQ(walk.value(DeviceCell(6, 1)), QStringLiteral("INTEGER: 2")) << "measuring";
    EXPECT_EQ(walk.value(DeviceCell(6, 2)), QStringLiteral("INTEGER: 1")) << "idle";
    // Readings in the MIB's units; what the status shows as null is the
    // lowest Integer32, never 0.
    EXPECT_EQ(walk.value(DeviceCell(10, 1)), QStringLiteral("INTEGER: 400")) << "AVE 40.0 kHz";
    EXPECT_EQ(walk.value(DeviceCell(11, 1)), QStringLiteral("INTEGER: 683")) << "Pilot 6.83 kHz";
    EXPECT_EQ(walk.value(DeviceCell(14, 1)), QStringLiteral("INTEGER: 632")) << "Level 63.2 dBuV";
    EXPECT_EQ(walk.value(DeviceCell(16, 1)), QStringLiteral("INTEGER: 54211")) << "PI D3C3";
    EXPECT_EQ(walk.value(DeviceCell(13, 1)), QStringLiteral("INTEGER: -2147483648")) << "no Pm";
    EXPECT_EQ(walk.value(DeviceCell(10, 2)), QStringLiteral("INTEGER: -2147483648"));
    int count = 0;
    const MibReading *readings = MibReadings(&count);
    for (int r = 0; r < count; ++r)
        EXPECT_EQ(walk.value(DeviceCell(8 + r, 1)),
                  QStringLiteral("INTEGER: %1").arg(DeviceReading(engine, 0, readings[r])))
            << readings[r].name;

    for (int kind = 0; kind < AlarmKindCount; ++kind) {
        EXPECT_EQ(walk.value(AlarmCell(2, 1, kind + 1)),
                  QStringLiteral("STRING: \"%1\"").arg(AlarmKindNames[kind]));
        EXPECT_EQ(walk.value(AlarmCell(3, 1, kind + 1)),
                  QStringLiteral("INTEGER: %1").arg(kind == AlarmSilence ? 1 : 2))
            << "enabled in the set";
        EXPECT_EQ(walk.value(AlarmCell(4, 1, kind + 1)), QStringLiteral("INTEGER: 1")) << "off";
    }
    EXPECT_EQ(walk.value(AlarmCell(6, 1, 1)), QStringLiteral("STRING: \"25\"")) << "silence limit";
}

TEST_F(SnmpAgentTest, AnAlarmArrivesAsRaisedThenClearedWithItsVarbinds)
{
    SnmpAgent agent(engine, snmp->agentxSocket());
    ASSERT_TRUE(waitFor([&] { return agent.Connected(); }, 10000)) << AppLines().toStdString();
    ASSERT_TRUE(TickUntil({QStringLiteral("AVE=10.0 kHz")},
                          [&] { return Tables(engine).Devices[0].AlarmActive[AlarmSilence]; }));
    ASSERT_TRUE(snmp->WaitForNotifications(1, 10000)) << snmp->TrapLog().toStdString();
    ASSERT_TRUE(TickUntil({QStringLiteral("AVE=40.0 kHz")},
                          [&] { return !Tables(engine).Devices[0].AlarmActive[AlarmSilence]; }));
    ASSERT_TRUE(snmp->WaitForNotifications(2, 10000)) << snmp->TrapLog().toStdString();

    const QList<QMap<QString, QString>> got = snmp->Notifications();
    ASSERT_EQ(got.size(), 2) << snmp->TrapLog().toStdString();
    // The value in the unit of the device table's AVE column (tenths of kHz).
    const struct {
        int notification;
        const char *value;
    } expected[] = {{1, "INTEGER: 100"}, {2, "INTEGER: 400"}};
    for (int i = 0; i < 2; ++i) {
        const QMap<QString, QString> &n = got[i];
        EXPECT_EQ(n.value(TrapOid), NotificationName(expected[i].notification));
        EXPECT_EQ(n.value(EventObject(1)), QStringLiteral("STRING: \"D0\""));
        EXPECT_EQ(n.value(EventObject(2)), QStringLiteral("INTEGER: 1")) << "silence";
        EXPECT_EQ(n.value(EventObject(3)), QLatin1String(expected[i].value));
        EXPECT_EQ(n.value(EventObject(4)), QStringLiteral("STRING: \"25\""));
        EXPECT_EQ(n.value(EventObject(5)), QStringLiteral("STRING: \"Radio 1\""));
    }
}

// The time of the last raise is the engine's own, the one the Alarm Details
// window shows: known to an agent that joins later, and kept when the same
// alarm comes back within the same-alarm delay (which announces nothing).
TEST_F(SnmpAgentTest, TheLastRaiseIsTheOneTheEngineAnnounced)
{
    ASSERT_TRUE(TickUntil({QStringLiteral("AVE=10.0 kHz")},
                          [&] { return Tables(engine).Devices[0].AlarmActive[AlarmSilence]; }));
    const qint64 raised = clock.currentDateTime().toSecsSinceEpoch();
    ASSERT_TRUE(TickUntil({QStringLiteral("AVE=40.0 kHz")},
                          [&] { return !Tables(engine).Devices[0].AlarmActive[AlarmSilence]; }));
    clock.advanceSeconds(30);
    ASSERT_TRUE(TickUntil({QStringLiteral("AVE=10.0 kHz")},
                          [&] { return Tables(engine).Devices[0].AlarmActive[AlarmSilence]; }));
    ASSERT_GT(clock.currentDateTime().toSecsSinceEpoch(), raised + 30);

    SnmpAgent agent(engine, snmp->agentxSocket());
    ASSERT_TRUE(waitFor([&] { return agent.Connected(); }, 10000)) << AppLines().toStdString();
    const QMap<QString, QString> walk = snmp->Walk();
    EXPECT_EQ(walk.value(AlarmCell(5, 1, AlarmSilence + 1)),
              QStringLiteral("Gauge32: %1").arg(raised));
    EXPECT_EQ(walk.value(AlarmCell(5, 1, AlarmPilot + 1)), QStringLiteral("Gauge32: 0"));
    EXPECT_EQ(walk.value(AlarmCell(5, 2, AlarmSilence + 1)), QStringLiteral("Gauge32: 0"))
        << "on no station";
}

TEST_F(SnmpAgentTest, SnmpdGoingAwayIsToldOnceAndTheAgentRejoinsWhenItIsBack)
{
    SnmpAgent agent(engine, snmp->agentxSocket());
    ASSERT_TRUE(waitFor([&] { return agent.Connected(); }, 10000)) << AppLines().toStdString();
    snmp->KillSnmpd();
    ASSERT_TRUE(waitFor([&] { return !agent.Connected(); }, 15000));
    ASSERT_TRUE(snmp->StartSnmpd()) << snmp->error().toStdString();
    ASSERT_TRUE(waitFor([&] { return agent.Connected(); }, 20000)) << AppLines().toStdString();
    EXPECT_EQ(AppLines().count(QStringLiteral("SNMP: snmpd not reachable")), 1)
        << AppLines().toStdString();
    EXPECT_EQ(AppLines().count(QStringLiteral("SNMP: joined snmpd")), 2);
    EXPECT_EQ(snmp->Walk().value(DeviceCell(2, 1)), QStringLiteral("STRING: \"D0\""));
}
