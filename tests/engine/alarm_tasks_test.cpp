// The operator's file run by an alarm: a program gets its parameters and runs
// in its own folder; a document opens without them, and the log says so.
#include "engine_fixture.h"
#include "engine_tables.h"

#include <QFileInfo>

using namespace vantor;
using namespace vantor::test;

namespace {

class AlarmFileTest : public EngineFixture
{
protected:
    // Raises the RF level alarm of a set that runs fileName with "--level low".
    void RaiseAlarmRunning(const QString &fileName)
    {
        WriteDevices({QStringLiteral("10.0.0.5:7000")});
        WriteStations({{"Radio 1", "98.5", "D0", 10, 0, "Measuring/RDS", "Run"}});
        WriteFile(QStringLiteral("alarms.ini"),
                  "[General]\r\nAlarmSetCount=1\r\n[AlarmSet0]\r\nName=Run\r\n"
                  "RF_Enabled=1\r\nRF_Duration=0\r\nRF_RunFile=1\r\nRF_FileName=" +
                      fileName.toLatin1() + "\r\nRF_Params=--level low\r\n");
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
        ASSERT_TRUE(Tables(engine).Devices[0].AlarmActive[AlarmRfLevel]);
    }

    QString Folder() const { return tmp.path() + QStringLiteral("/alarm scripts"); }
};

TEST_F(AlarmFileTest, AProgramRunsWithItsParametersInItsFolder)
{
    QDir().mkpath(Folder());
    const QString script = Folder() + QStringLiteral("/on-alarm.sh");
    const QString record = tmp.path() + QStringLiteral("/ran");
    ASSERT_TRUE(WriteRecordingScript(script, record));
    RaiseAlarmRunning(script);
    ASSERT_TRUE(waitFor([&] { return QFileInfo::exists(record); }));
    EXPECT_EQ(readAll(record), "--level|low|\n" + QDir(Folder()).canonicalPath().toLatin1() + "\n");
    EXPECT_FALSE(DeviceLog(0).contains(QStringLiteral("without its parameters")));
}

TEST_F(AlarmFileTest, ADocumentOpensWithoutParametersAndTheLogSaysSo)
{
    QDir().mkpath(Folder());
    const QString document = Folder() + QStringLiteral("/procedure.txt");
    ASSERT_TRUE(writeAll(document, "Call the transmitter site.\n"));
    RaiseAlarmRunning(document);
    EXPECT_TRUE(
        DeviceLog(0).contains(QStringLiteral("File ") + document +
                              QStringLiteral(" opened without its parameters (--level low)")))
        << qPrintable(DeviceLog(0));
}

} // namespace
