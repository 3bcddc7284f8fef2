// The engine operations through which the editors hand their results over.
#include "engine_fixture.h"
#include "engine_tables.h"

namespace vantor::test {
namespace {

class EditorOperations : public EngineFixture
{
protected:
    void SetUp() override
    {
        WriteDevices({QStringLiteral("COM1"), QStringLiteral("COM2")});
        WriteStations({{"Radio 1", "98.1", "D0", 1, 1}, {"Radio 2", "99.5", "D1", 1, 1}});
        Start();
    }
};

TEST_F(EditorOperations, ReplacingStationsAnnouncesThemAndLeavesVisitsAlone)
{
    EngineRecorder recorder(engine);
    Tables(engine).Devices[0].Station = Tables(engine).Stations[0];
    Tables(engine).Devices[0].StationIndex = 0;
    TStation s;
    s.Name = QStringLiteral("New");
    s.Frequency = QStringLiteral("101.1");
    s.DeviceName = QStringLiteral("D1");
    s.LastAlarmTime.fill(45000.0);
    engine.RunGuarded([&] { engine.ReplaceStations({s}); });

    ASSERT_EQ(Tables(engine).Stations.size(), 1u);
    EXPECT_EQ(recorder.stationAnnouncements, 1);
    for (TDateTime t : Tables(engine).Stations[0].LastAlarmTime)
        EXPECT_EQ(t, 0);
    EXPECT_EQ(Tables(engine).Devices[0].Station.Name, QStringLiteral("Radio 1"));
}

TEST_F(EditorOperations, DeviceListWaitsForTheNextStart)
{
    EXPECT_FALSE(Tables(engine).G.RestartRequired);
    engine.ReplaceDevicesToSave({{QStringLiteral("X"), QStringLiteral("COM9"), QString()}});
    EXPECT_TRUE(Tables(engine).G.RestartRequired);
    ASSERT_EQ(Tables(engine).DevicesToSave.size(), 1u);
    EXPECT_EQ(Tables(engine).Devices.size(), 2u);
    EXPECT_EQ(Tables(engine).Devices[0].Name, QStringLiteral("D0"));
}

TEST_F(EditorOperations, StationEditorsNeedDevices)
{
    EXPECT_EQ(engine.StationEditorRefusal(), QString());
    Tables(engine).Devices.clear();
    EXPECT_EQ(engine.StationEditorRefusal(),
              QStringLiteral("No device found. Add a device first!"));
    Tables(engine).G.RestartRequired = true;
    EXPECT_EQ(engine.StationEditorRefusal(), QStringLiteral("Application restart required"));
}

TEST_F(EditorOperations, SchedulesGoBackToTheirDevices)
{
    std::vector<TSch> copy = engine.ScheduleCopy();
    ASSERT_EQ(copy.size(), 2u);
    EXPECT_EQ(copy[1].DeviceName, QStringLiteral("D1"));
    copy[1].SchedulingMode = 2;
    copy[1].Days[6].Times = QStringLiteral("6:00 18:30");
    engine.ApplySchedules(copy);
    EXPECT_EQ(Tables(engine).Devices[0].SchedulingMode, 0);
    EXPECT_EQ(Tables(engine).Devices[1].SchedulingMode, 2);
    EXPECT_EQ(Tables(engine).Devices[1].Schedule[6].Times, QStringLiteral("6:00 18:30"));
}

TEST_F(EditorOperations, QuickStationIsTunedAtOnceOutsideTheList)
{
    ConnectAll();
    struct Case {
        int mode;
        int measuring;
        int rds;
    };
    for (const Case c : {Case{0, 9999999, 0}, Case{1, 0, 9999999}, Case{2, 9999999, -1}}) {
        library.clearCalls();
        engine.TuneQuickStation(1, QStringLiteral("104.3"), c.mode);
        const TDevice &d = Tables(engine).Devices[1];
        EXPECT_EQ(d.StationIndex, -1);
        EXPECT_TRUE(d.StationActive);
        EXPECT_EQ(d.Station.Name, QStringLiteral("104.3"));
        EXPECT_EQ(d.Station.DeviceName, QStringLiteral("D1"));
        EXPECT_EQ(d.Station.ModeOrder, QStringLiteral("Measuring/RDS"));
        EXPECT_EQ(d.Station.Measuring, c.measuring) << c.mode;
        EXPECT_EQ(d.Station.RDS, c.rds) << c.mode;
        EXPECT_FALSE(d.AlarmSetActive);
        EXPECT_TRUE(library.commands(d.Handle).contains(QStringLiteral("104300*F")));
    }
    EXPECT_EQ(Tables(engine).Stations.size(), 2u);
}

TEST_F(EditorOperations, ARefusedQuickStationLeavesTheDevicesStationAlone)
{
    ConnectAll();
    engine.Tune(1, 1, true);
    library.setConnected(Tables(engine).Devices[1].Handle, false);
    library.clearCalls();

    EXPECT_FALSE(engine.TuneQuickStation(1, QStringLiteral("104.3"), 0));

    const TDevice &d = Tables(engine).Devices[1];
    EXPECT_EQ(d.StationIndex, 1);
    EXPECT_EQ(d.Station.Name, QStringLiteral("Radio 2"));
    EXPECT_EQ(d.Station.Frequency, QStringLiteral("99.5"));
    EXPECT_TRUE(library.commands(d.Handle).isEmpty());
    EXPECT_TRUE(DeviceLog(1).contains(QStringLiteral("Not connected")));
}

} // namespace
} // namespace vantor::test
