// The Alarm Details window against an engine on the fake clock: states,
// countdowns, limits, actual values and the colours the grid is drawn in.
#include "alarm_details_window.h"
#include "editor_fixture.h"

#include <QPalette>
#include <QTableWidget>

namespace vantor::test {
namespace {

class AlarmDetailsTest : public EditorFixture
{
protected:
    void SetUp() override
    {
        WriteDevices({QStringLiteral("COM1"), QStringLiteral("COM2")});
        WriteStations({{"Radio 1", "98.1", "D0", 10, 0, "Measuring/RDS", "Watch"},
                       {"Radio 2", "99.5", "D1", 10, 0, "Measuring/RDS", "Nothing"}});
        WriteFile(QStringLiteral("alarms.ini"),
                  "[General]\r\nAlarmSetCount=1\r\n[AlarmSet0]\r\nName=Watch\r\n"
                  "SD_Enabled=1\r\nSD_Duration=60\r\nSD_Minimum=20\r\n"
                  "OM_Enabled=1\r\nOM_MaxHoldLimit=90\r\nOM_MaxAtLimit=80\r\nOM_AveLimit=70\r\n");
        Start();
        ConnectAll();
        engine.Stations[0].PI = QStringLiteral("D3C3");
        engine.Tune(0, 0, true);
        engine.Tune(1, 1, true);
        view.selectedDevice = 0;
    }

    AlarmDetailsWindow window{engine};
};

TEST_F(AlarmDetailsTest, PendingIsYellowWithACountdownAndActiveIsRed)
{
    ASSERT_TRUE(engine.Devices[0].AlarmSetActive);
    engine.HandleAlarm(0, AlarmSilence, true, true, clock.now());
    clock.advanceSeconds(45);
    engine.AddToLastData(0, QStringLiteral("AVE"), QStringLiteral("3.1 kHz"));
    window.Timer1Timer();

    EXPECT_EQ(window.Header(), QStringLiteral("Alarm Set: Watch     Station: Radio 1"));
    EXPECT_EQ(window.CellText(1, 0), QStringLiteral("Silence detector"));
    EXPECT_EQ(window.CellText(1, 1), QStringLiteral("Enabled"));
    EXPECT_EQ(window.CellText(1, 2), QStringLiteral("20 kHz"));
    EXPECT_EQ(window.CellText(1, 3), QStringLiteral("3.1 kHz"));
    EXPECT_EQ(window.CellText(1, 4), QStringLiteral("15"));
    EXPECT_EQ(window.RowState(1), AlarmDetailsWindow::Pending);
    EXPECT_EQ(window.CellBackground(1, 3), QColor(Qt::yellow));
    EXPECT_NE(window.CellBackground(1, 1), QColor(Qt::yellow));
    EXPECT_NE(window.CellTextColour(1, 1), QColor(Qt::gray));

    clock.advanceSeconds(16);
    engine.HandleAlarm(0, AlarmSilence, true, true, clock.now());
    ASSERT_TRUE(engine.Devices[0].AlarmActive[AlarmSilence]);
    clock.advanceSeconds(30);
    window.Timer1Timer();
    EXPECT_EQ(window.CellText(1, 4), QStringLiteral("0"));
    EXPECT_EQ(window.CellText(1, 5), QStringLiteral("05.01 12:01"));
    EXPECT_EQ(window.RowState(1), AlarmDetailsWindow::Active);
    for (int c = 1; c <= 5; ++c)
        EXPECT_EQ(window.CellBackground(1, c), QColor(Qt::red)) << c;
    EXPECT_NE(window.CellBackground(1, 0), QColor(Qt::red));
}

TEST_F(AlarmDetailsTest, DisabledKindsAreGreyAndShowTheirLimits)
{
    engine.AddToLastData(0, QStringLiteral("MAX Hold"), QStringLiteral("85 kHz"));
    engine.AddToLastData(0, QStringLiteral("Histogram Max at"), QStringLiteral("77 kHz"));
    engine.AddToLastData(0, QStringLiteral("AVE"), QStringLiteral("40 kHz"));
    engine.AddToLastData(0, QStringLiteral("PI"), QStringLiteral("D3C3"));
    window.Timer1Timer();
    EXPECT_EQ(window.CellText(2, 1), QStringLiteral("Disabled"));
    EXPECT_EQ(window.CellTextColour(2, 1), QColor(Qt::gray));
    EXPECT_EQ(window.CellTextColour(2, 3), QColor(Qt::gray));
    EXPECT_EQ(window.CellText(2, 2), QStringLiteral("D3C3"));
    EXPECT_EQ(window.CellText(2, 3), QStringLiteral("D3C3"));
    EXPECT_EQ(window.CellText(4, 2), QStringLiteral("90; 80; 70 kHz"));
    EXPECT_EQ(window.CellText(4, 3), QStringLiteral("85; 77; 40 kHz"));
    EXPECT_EQ(window.CellText(5, 2), QStringLiteral("3"));
    EXPECT_EQ(window.CellText(6, 2), QStringLiteral("5800..7700 Hz"));
    EXPECT_EQ(window.CellText(9, 2), QStringLiteral("0..8300 Hz"));
    EXPECT_EQ(window.CellTextColour(4, 1), window.palette().color(QPalette::WindowText));

    // A pending disabled kind keeps no countdown and is not coloured.
    engine.Devices[0].AlarmStart[AlarmPilot] = clock.now();
    window.Timer1Timer();
    EXPECT_EQ(window.RowState(6), AlarmDetailsWindow::Quiet);
    EXPECT_EQ(window.CellText(6, 4), QString());
}

TEST_F(AlarmDetailsTest, WithoutAnAlarmSetOnlyTheKindNamesShow)
{
    engine.HandleAlarm(0, AlarmSilence, true, true, clock.now());
    window.Timer1Timer();
    ASSERT_FALSE(window.Header().isEmpty());

    view.selectedDevice = 1; // its station names no existing set
    window.Timer1Timer();
    EXPECT_TRUE(window.Header().isEmpty());
    for (int row = 1; row <= 9; ++row) {
        EXPECT_EQ(window.CellText(row, 0), AlarmKindNames[row - 1]);
        for (int c = 1; c <= 5; ++c)
            EXPECT_EQ(window.CellText(row, c), QString()) << row << c;
        EXPECT_EQ(window.RowState(row), AlarmDetailsWindow::Quiet);
        EXPECT_EQ(window.CellTextColour(row, 0), QColor(Qt::gray));
    }
    view.selectedDevice = -1;
    window.Timer1Timer();
    EXPECT_TRUE(window.Header().isEmpty());
}

TEST_F(AlarmDetailsTest, ItsOwnTimerRefreshesEverySecond)
{
    EXPECT_TRUE(window.Header().isEmpty());
    EXPECT_TRUE(waitFor([&] { return !window.Header().isEmpty(); }, 3000));
    EXPECT_EQ(window.Grid()->columnWidth(3), 118);
    EXPECT_EQ(window.CellText(0, 5), QStringLiteral("Last active"));
}

} // namespace
} // namespace vantor::test
