// A station and an alarm set edited through the dialogs, saved, and found
// again by the next start on the same data folder.
#include "alarm_sets_dialog.h"
#include "editor_fixture.h"
#include "editor_widgets.h"
#include "engine_tables.h"
#include "fake_clock.h"
#include "number_field.h"
#include "station_list_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QTableWidget>

namespace vantor::test {
namespace {

class EditorsRoundTrip : public EditorFixture
{
protected:
    void SetUp() override
    {
        WriteDevices({QStringLiteral("COM1")});
        WriteStations({{"Radio 1", "98.1", "D0", 2, 1}});
        Start();
    }
};

TEST_F(EditorsRoundTrip, EditsSurviveSaveAndRestart)
{
    {
        AlarmSetsDialog alarms(engine);
        prompts.inputs = {QStringLiteral("Night watch")};
        alarms.SetPrompts(prompts.Prompts());
        alarms.Load();
        alarms.show();
        alarms.NewSet();
        alarms.Kinds()->item(AlarmPilot)->setCheckState(Qt::Checked);
        alarms.Kinds()->setCurrentRow(AlarmPilot);
        alarms.Field(QStringLiteral("SEPL1"))->setValue(6100);
        alarms.Field(QStringLiteral("SETMD"))->setValue(15);
        alarms.DrivePinBox(2)->setChecked(true);
        alarms.accept();
    }
    {
        StationListDialog stations(engine);
        stations.SetPrompts(prompts.Prompts());
        ASSERT_TRUE(stations.Load());
        stations.show();
        stations.AddLine();
        QTableWidget *g = stations.Grid();
        const QStringList cells = {"104.3", "Radio 2",     "RADIO 2",        "D3C3",
                                   "D0",    "*R",          "RDS/Measuring",  "5",
                                   "-1",    "Night watch", "ops@example.org"};
        for (int c = 0; c < cells.size(); ++c)
            SetCellText(g, 1, c, cells[c]);
        stations.accept();
        ASSERT_EQ(stations.result(), QDialog::Accepted) << qPrintable(prompts.messages.join('|'));
    }
    EXPECT_TRUE(prompts.messages.isEmpty());
    engine.SaveSettings();

    FakeClock clock2{clock.currentDateTime()};
    FakeDeviceLibrary library2;
    RecordingView view2;
    Engine next(clock2, library2, view2);
    next.Start(tmp.path(), Data());

    ASSERT_EQ(Tables(next).Stations.size(), 2u);
    const TStation &s = Tables(next).Stations[1];
    EXPECT_EQ(s.Frequency, QStringLiteral("104.3"));
    EXPECT_EQ(s.Name, QStringLiteral("Radio 2"));
    EXPECT_EQ(s.PS, QStringLiteral("RADIO 2"));
    EXPECT_EQ(s.PI, QStringLiteral("D3C3"));
    EXPECT_EQ(s.Commands, QStringLiteral("*R"));
    EXPECT_EQ(s.ModeOrder, QStringLiteral("RDS/Measuring"));
    EXPECT_EQ(s.Measuring, 5);
    EXPECT_EQ(s.RDS, -1);
    EXPECT_EQ(s.AlarmSetName, QStringLiteral("Night watch"));
    EXPECT_EQ(s.Email, QStringLiteral("ops@example.org"));
    EXPECT_EQ(StationBoxText(s), QStringLiteral("104.3 - Radio 2 (D0)"));

    ASSERT_EQ(Tables(next).AlarmSets.size(), 1u);
    const TAlarmSet &a = Tables(next).AlarmSets[0];
    EXPECT_EQ(a.Name, QStringLiteral("Night watch"));
    EXPECT_TRUE(a.Basic[AlarmPilot].Enabled);
    EXPECT_TRUE(a.Basic[AlarmPilot].DrivePin2);
    EXPECT_EQ(a.PL_Minimum, 6100);
    EXPECT_EQ(a.Basic[AlarmTimeError].Duration, 900);

    // The station finds its set when tuned.
    library2.setConnectSucceeds(true);
    for (int k = 0; k < 2; ++k)
        next.TimerConnectTimer();
    next.Tune(0, 1, true);
    EXPECT_TRUE(Tables(next).Devices[0].AlarmSetActive);
    EXPECT_EQ(Tables(next).Devices[0].AlarmSet.PL_Minimum, 6100);
}

} // namespace
} // namespace vantor::test
