// The Monitoring Scheduler: the working copy, switching devices, OK and
// Cancel.
#include "editor_fixture.h"
#include "editor_widgets.h"
#include "engine_tables.h"
#include "scheduler_dialog.h"

#include <QComboBox>
#include <QRadioButton>
#include <QTableWidget>

namespace vantor::test {
namespace {

class SchedulerTest : public EditorFixture
{
protected:
    void SetUp() override
    {
        WriteDevices({QStringLiteral("COM1"), QStringLiteral("COM2"), QStringLiteral("COM3")},
                     {"SchedulingMode=2\r\nDay1=6:00\r\n", "SchedulingMode=1\r\n",
                      "SchedulingMode=7\r\nDay7=9:15\r\n"});
        Start();
        dialog.SetPrompts(prompts.Prompts());
    }

    void Open()
    {
        ASSERT_TRUE(dialog.Load());
        dialog.show();
    }

    SchedulerDialog dialog{engine};
};

TEST_F(SchedulerTest, RefusedWhileTheDeviceListWaitsForARestart)
{
    Tables(engine).G.RestartRequired = true;
    EXPECT_FALSE(dialog.Load());
    EXPECT_EQ(prompts.messages, QStringList{QStringLiteral("Application restart required")});
}

TEST_F(SchedulerTest, OpensOnTheFirstDevice)
{
    view.selectedDevice = 2;
    Open();
    EXPECT_EQ(dialog.DeviceBox()->count(), 3);
    EXPECT_EQ(dialog.DeviceBox()->currentText(), QStringLiteral("D0"));
    EXPECT_TRUE(dialog.ModeButton(2)->isChecked());
    EXPECT_EQ(CellText(dialog.Times(), 0, 0), QStringLiteral("Monday"));
    EXPECT_EQ(CellText(dialog.Times(), 0, 1), QStringLiteral("6:00"));
    EXPECT_EQ(CellText(dialog.Times(), 6, 0), QStringLiteral("Sunday"));
}

TEST_F(SchedulerTest, StartTimesThatAreNoTimesAreRefusedWithTheirCellSelected)
{
    struct Case {
        const char *times;
        bool kept;
    };
    const Case cases[] = {
        {"", true},        {"6:00", true},  {"06:00 18:30", true}, {"0:00, 23:59", true},
        {"6", false},      {"6.00", false}, {"24:00", false},      {"12:60", false},
        {"6:00 x", false}, {"6:5", false},  {"16:05:00", false},
    };
    for (const Case &c : cases) {
        Open();
        prompts.messages.clear();
        // Entered for the second device, the first one shown when OK is pressed.
        dialog.DeviceBox()->setCurrentIndex(1);
        SetCellText(dialog.Times(), 3, 1, QLatin1String(c.times));
        dialog.DeviceBox()->setCurrentIndex(0);
        dialog.accept();
        if (c.kept) {
            EXPECT_TRUE(prompts.messages.isEmpty()) << c.times;
            EXPECT_EQ(Tables(engine).Devices[1].Schedule[3].Times, QLatin1String(c.times));
            continue;
        }
        EXPECT_EQ(prompts.messages,
                  QStringList{QStringLiteral("Enter start times as h:nn, for example 6:00 18:30!")})
            << c.times;
        EXPECT_EQ(dialog.DeviceBox()->currentText(), QStringLiteral("D1")) << c.times;
        EXPECT_EQ(dialog.Times()->currentRow(), 3) << c.times;
        EXPECT_EQ(dialog.Times()->currentColumn(), 1) << c.times;
    }
}

TEST_F(SchedulerTest, EditsOfEveryShownDeviceAreWrittenBackOnOk)
{
    Open();
    SetCellText(dialog.Times(), 2, 1, QStringLiteral("12:00 18:30"));
    dialog.ModeButton(0)->setChecked(true);
    dialog.DeviceBox()->setCurrentIndex(1);
    EXPECT_TRUE(dialog.ModeButton(1)->isChecked());
    EXPECT_EQ(CellText(dialog.Times(), 2, 1), QString());
    dialog.ModeButton(2)->setChecked(true);
    SetCellText(dialog.Times(), 4, 1, QStringLiteral("7:45"));
    dialog.accept();

    EXPECT_EQ(Tables(engine).Devices[0].SchedulingMode, 0);
    EXPECT_EQ(Tables(engine).Devices[0].Schedule[0].Times, QStringLiteral("6:00"));
    EXPECT_EQ(Tables(engine).Devices[0].Schedule[2].Times, QStringLiteral("12:00 18:30"));
    EXPECT_EQ(Tables(engine).Devices[1].SchedulingMode, 2);
    EXPECT_EQ(Tables(engine).Devices[1].Schedule[4].Times, QStringLiteral("7:45"));
    // Never shown: as it was.
    EXPECT_EQ(Tables(engine).Devices[2].SchedulingMode, 7);
}

TEST_F(SchedulerTest, CancelLeavesTheDevicesAndTheNextOpeningStartsAfresh)
{
    Open();
    dialog.ModeButton(1)->setChecked(true);
    SetCellText(dialog.Times(), 0, 1, QStringLiteral("23:00"));
    dialog.reject();
    EXPECT_EQ(Tables(engine).Devices[0].SchedulingMode, 2);
    EXPECT_EQ(Tables(engine).Devices[0].Schedule[0].Times, QStringLiteral("6:00"));

    Open();
    dialog.accept();
    EXPECT_EQ(Tables(engine).Devices[0].SchedulingMode, 2);
    EXPECT_EQ(Tables(engine).Devices[0].Schedule[0].Times, QStringLiteral("6:00"));
}

TEST_F(SchedulerTest, AnUnknownModeShowsManuallyAndIsStoredSoOnceShown)
{
    Open();
    dialog.DeviceBox()->setCurrentIndex(2);
    EXPECT_TRUE(dialog.ModeButton(0)->isChecked());
    EXPECT_EQ(CellText(dialog.Times(), 6, 1), QStringLiteral("9:15"));
    dialog.accept();
    EXPECT_EQ(Tables(engine).Devices[2].SchedulingMode, 0);
    EXPECT_EQ(Tables(engine).Devices[2].Schedule[6].Times, QStringLiteral("9:15"));
}

TEST_F(SchedulerTest, FindsDevicesByExactName)
{
    Open();
    EXPECT_EQ(dialog.FindDeviceIndexByName(QStringLiteral("D1")), 1);
    EXPECT_EQ(dialog.FindDeviceIndexByName(QStringLiteral("d1")), -1);
    EXPECT_EQ(dialog.FindDeviceIndexByName(QString()), -1);
}

} // namespace
} // namespace vantor::test
