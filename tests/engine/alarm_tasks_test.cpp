// The operator's file run by an alarm: the program with its parameters in its
// own folder.
#include "engine_fixture.h"

#include <QFileInfo>

using namespace vantor;
using namespace vantor::test;

TEST_F(EngineFixture, AnAlarmRunsTheOperatorsFileWithItsParameters)
{
    const QString folder = tmp.path() + QStringLiteral("/alarm scripts");
    QDir().mkpath(folder);
    const QString script = folder + QStringLiteral("/on-alarm.sh");
    const QString record = tmp.path() + QStringLiteral("/ran");
    ASSERT_TRUE(WriteRecordingScript(script, record));
    WriteDevices({QStringLiteral("10.0.0.5:7000")});
    WriteStations({{"Radio 1", "98.5", "D0", 10, 0, "Measuring/RDS", "Run"}});
    WriteFile(QStringLiteral("alarms.ini"),
              "[General]\r\nAlarmSetCount=1\r\n[AlarmSet0]\r\nName=Run\r\n"
              "RF_Enabled=1\r\nRF_Duration=0\r\nRF_RunFile=1\r\nRF_FileName=" +
                  script.toLatin1() + "\r\nRF_Params=--level low\r\n");
    Start();
    ConnectAll();
    engine.Tune(0, 0, false);
    engine.StartMeasuring(0);
    clock.advanceSeconds(5);
    for (int t = 0; t < 10; ++t) {
        library.pushResponse(0, QStringLiteral("Signal Quality=5"));
        library.pushResponse(0, QStringLiteral("Level=20 dBuV"));
        ReceiveTick();
    }
    ASSERT_TRUE(engine.Devices[0].AlarmActive[AlarmRfLevel]);
    ASSERT_TRUE(waitFor([&] { return QFileInfo::exists(record); }));
    EXPECT_EQ(readAll(record), "--level|low|\n" + QDir(folder).canonicalPath().toLatin1() + "\n");
}
