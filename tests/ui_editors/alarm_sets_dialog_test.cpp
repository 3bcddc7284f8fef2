// The Alarm Sets editor: loading and clamping, the limit fields, set
// management with its name checks, the task group, the locked pages, and what
// reaches the engine when the dialog closes.
#include "alarm_sets_dialog.h"
#include "editor_fixture.h"
#include "engine_tables.h"
#include "number_field.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>

namespace vantor::test {
namespace {

class AlarmSetsTest : public EditorFixture
{
protected:
    void SetUp() override
    {
        WriteDevices({QStringLiteral("COM1")});
        WriteFile(QStringLiteral("alarms.ini"),
                  "[General]\r\nAlarmSetCount=2\r\n"
                  "[AlarmSet0]\r\nName=Set A\r\nOM_MaxHoldLimit=40\r\nTM_Duration=90\r\n"
                  "SD_Enabled=1\r\nSD_Minimum=30\r\nDefaultEmail=ops@example.org\r\n"
                  "PM_Maximum=6\r\nSQ_SignalQuality=2\r\n"
                  "[AlarmSet1]\r\nName=Set B\r\nPM_Maximum=-3\r\nPL_RunFile=1\r\n"
                  "PL_FileName=/bin/true\r\n");
        Start();
        dialog.SetPrompts(prompts.Prompts());
        Open();
    }

    void Open()
    {
        dialog.Load();
        dialog.show();
    }

    void Type(NumberField *field, const QString &text)
    {
        field->findChild<QLineEdit *>()->selectAll();
        QTest::keyClick(field->findChild<QLineEdit *>(), Qt::Key_Backspace);
        QTest::keyClicks(field->findChild<QLineEdit *>(), text);
        Leave(field);
    }

    AlarmSetsDialog dialog{engine};
};

TEST_F(AlarmSetsTest, ShowsTheFirstSetClampedIntoTheFields)
{
    EXPECT_EQ(dialog.SetBox()->count(), 2);
    EXPECT_EQ(dialog.SetBox()->currentText(), QStringLiteral("Set A"));
    EXPECT_EQ(dialog.Field(QStringLiteral("SEOM1"))->value(), 50);
    EXPECT_EQ(dialog.Field(QStringLiteral("SETMD"))->value(), 3); // 90 s is 1 min, at least 3
    EXPECT_EQ(dialog.Field(QStringLiteral("SESD1"))->value(), 30);
    EXPECT_EQ(dialog.Kinds()->item(0)->checkState(), Qt::Checked);
    EXPECT_EQ(dialog.Kinds()->item(1)->checkState(), Qt::Unchecked);
    EXPECT_EQ(dialog.DefaultEmail()->text(), QStringLiteral("ops@example.org"));
    EXPECT_EQ(dialog.SignalQuality()->checkedId(), 2);
    EXPECT_EQ(dialog.KindName()->text(), QStringLiteral(" Silence detector"));

    // Once written back, the set holds what was shown.
    dialog.accept();
    EXPECT_EQ(Tables(engine).AlarmSets[0].OM_MaxHoldLimit, 50);
    EXPECT_EQ(Tables(engine).AlarmSets[0].Basic[AlarmTimeError].Duration, 180);
}

// What the operator can enter: a typed number outside the range becomes the
// nearer end when the field is left, and the arrow keys stop at the ends and
// move by the step.
TEST_F(AlarmSetsTest, EveryLimitFieldMovesTypedValuesIntoItsRangeAndStepsByItsStep)
{
    struct Case {
        const char *name;
        int min;
        int max;
        int step;
    };
    for (const Case c :
         {Case{"SESD1", 5, 75, 1}, Case{"SESD2", 1, 3600, 1}, Case{"SETM", 1, 600, 1},
          Case{"SETMD", 3, 1440, 1}, Case{"SEOM3", 50, 150, 1}, Case{"SESIGD", 3, 3600, 1},
          Case{"SEPL1", 0, 7500, 100}, Case{"SEPL2", 2500, 9900, 100}, Case{"SEPLD", 30, 3600, 1},
          Case{"SEPM1", -12, 12, 1}, Case{"SERF1", 30, 80, 1}, Case{"SERL2", 2800, 9900, 100},
          Case{"SEPSD", 1, 3600, 1}, Case{"SETAD", 1, 1440, 1}, Case{"SERTD", 1, 1440, 1},
          Case{"SERE1", 1, 100, 1}, Case{"SERED", 1, 1440, 1}, Case{"SEGTD", 5, 3600, 1}}) {
        NumberField *f = dialog.Field(QString::fromLatin1(c.name));
        ASSERT_NE(f, nullptr) << c.name;
        Type(f, QStringLiteral("99999"));
        EXPECT_EQ(f->text(), QString::number(c.max)) << c.name;
        QTest::keyClick(f, Qt::Key_Up);
        EXPECT_EQ(f->value(), c.max) << c.name;
        Type(f, QStringLiteral("-99999"));
        EXPECT_EQ(f->text(), QString::number(c.min)) << c.name;
        QTest::keyClick(f, Qt::Key_Down);
        EXPECT_EQ(f->value(), c.min) << c.name;
        QTest::keyClick(f, Qt::Key_Up);
        EXPECT_EQ(f->value(), c.min + c.step) << c.name;
    }
}

TEST_F(AlarmSetsTest, LimitFieldsStartAtTheirDefaults)
{
    AlarmSetsDialog fresh(engine);
    EXPECT_EQ(fresh.Field(QStringLiteral("SEOM1"))->value(), 100);
    EXPECT_EQ(fresh.Field(QStringLiteral("SEPL1"))->value(), 5800);
    EXPECT_EQ(fresh.Field(QStringLiteral("SERL2"))->value(), 8300);
    EXPECT_EQ(fresh.Field(QStringLiteral("SETMD"))->value(), 60);
}

TEST_F(AlarmSetsTest, EmptiedFieldsAreRefilledAndWhatIsLeftReachesTheSet)
{
    NumberField *pm = dialog.Field(QStringLiteral("SEPM1"));
    NumberField *level = dialog.Field(QStringLiteral("SERF1"));
    Type(level, QString());
    EXPECT_EQ(level->value(), 30); // refilled with 0, then moved into 30 … 80
    Type(pm, QString());
    EXPECT_EQ(pm->value(), 0);
    Type(pm, QStringLiteral("7"));
    dialog.accept();
    EXPECT_EQ(Tables(engine).AlarmSets[0].PM_Maximum, 7);
    EXPECT_EQ(Tables(engine).AlarmSets[0].RF_Minimum, 30);
}

TEST_F(AlarmSetsTest, SwitchingSetsWritesTheShownSetBack)
{
    dialog.Field(QStringLiteral("SETMD"))->setValue(20);
    dialog.Kinds()->item(5)->setCheckState(Qt::Checked);
    dialog.SetBox()->setCurrentIndex(1);
    EXPECT_EQ(dialog.Field(QStringLiteral("SEPM1"))->value(), -3);
    EXPECT_EQ(dialog.Kinds()->item(5)->checkState(), Qt::Unchecked);
    dialog.SetBox()->setCurrentIndex(0);
    EXPECT_EQ(dialog.Field(QStringLiteral("SETMD"))->value(), 20);
    dialog.reject(); // Escape closes like "Close": the edits stay
    EXPECT_EQ(Tables(engine).AlarmSets[0].Basic[AlarmTimeError].Duration, 1200);
    EXPECT_TRUE(Tables(engine).AlarmSets[0].Basic[AlarmPilot].Enabled);
}

TEST_F(AlarmSetsTest, TheRdsKindsFollowTheNineWithTheirLimitsTasksAndGroupTypes)
{
    for (int kind = AlarmPsMismatch; kind < AlarmKindCount; ++kind)
        EXPECT_EQ(dialog.Kinds()->item(kind)->text(), AlarmKindNames[kind]);
    EXPECT_EQ(dialog.Kinds()->count(), AlarmKindCount);
    // A set written before these kinds shows them with their defaults.
    EXPECT_EQ(dialog.Field(QStringLiteral("SETAD"))->value(), 15);
    EXPECT_EQ(dialog.Field(QStringLiteral("SERE1"))->value(), 10);
    EXPECT_EQ(dialog.GroupTypes()->text(), QStringLiteral("0A"));
    EXPECT_EQ(dialog.GroupTypes()->accessibleName(),
              QStringLiteral("Group types that must arrive:"));

    dialog.Kinds()->setCurrentRow(AlarmGroupTypesMissing);
    EXPECT_EQ(dialog.Pages()->currentIndex(), AlarmGroupTypesMissing);
    EXPECT_EQ(dialog.KindName()->text(), QStringLiteral(" RDS group types missing"));
    dialog.Kinds()->item(AlarmGroupTypesMissing)->setCheckState(Qt::Checked);
    const auto typeList = [&](const QString &text) {
        dialog.GroupTypes()->setFocus();
        dialog.GroupTypes()->selectAll();
        QTest::keyClick(dialog.GroupTypes(), Qt::Key_Backspace);
        QTest::keyClicks(dialog.GroupTypes(), text);
        Leave(dialog.GroupTypes());
    };
    typeList(QStringLiteral("0a  2A 4A"));
    EXPECT_TRUE(prompts.messages.isEmpty());
    typeList(QStringLiteral("0A 2Z"));
    EXPECT_EQ(prompts.messages,
              QStringList{QStringLiteral("Invalid group type list! Example: 0A 2A 4A")});
    EXPECT_EQ(dialog.GroupTypes()->text(), QStringLiteral("0a 2A 4A"));

    dialog.Field(QStringLiteral("SETAD"))->setValue(20);
    dialog.Field(QStringLiteral("SERE1"))->setValue(35);
    dialog.Kinds()->setCurrentRow(AlarmRadioTextMissing);
    dialog.SendEmailBox()->setChecked(true);
    dialog.DrivePinBox(3)->setChecked(true);
    dialog.PinPolarity(3)->button(1)->setChecked(true);
    dialog.accept();
    const TAlarmSet &set = Tables(engine).AlarmSets[0];
    EXPECT_TRUE(set.Basic[AlarmGroupTypesMissing].Enabled);
    EXPECT_EQ(set.GT_GroupTypes, QStringLiteral("0a 2A 4A"));
    EXPECT_EQ(set.Basic[AlarmTaStuck].Duration, 1200);
    EXPECT_EQ(set.RE_MaxShare, 35);
    EXPECT_TRUE(set.Basic[AlarmRadioTextMissing].SendEmail);
    EXPECT_TRUE(set.Basic[AlarmRadioTextMissing].DrivePin(3));
    EXPECT_EQ(set.Basic[AlarmRadioTextMissing].PinPolarity(3), 1);
    // The nine keep what they had.
    EXPECT_TRUE(set.Basic[AlarmSilence].Enabled);
    EXPECT_EQ(set.SD_Minimum, 30);
}

TEST_F(AlarmSetsTest, TasksFollowTheKindAndAreWrittenOnLeavingTheGroup)
{
    dialog.Kinds()->setCurrentRow(AlarmPilot);
    EXPECT_EQ(dialog.Pages()->currentIndex(), AlarmPilot);
    EXPECT_EQ(dialog.KindName()->text(), QStringLiteral(" Pilot tone"));
    dialog.SetBox()->setCurrentIndex(1);
    EXPECT_TRUE(dialog.RunFileBox()->isChecked());
    EXPECT_EQ(dialog.FileName()->text(), QStringLiteral("/bin/true"));

    dialog.DrivePinBox(3)->setChecked(true);
    dialog.PinPolarity(3)->button(1)->setChecked(true);
    dialog.Params()->setText(QStringLiteral("-x"));
    dialog.GroupBox3Exit();
    EXPECT_TRUE(dialog.Sets()[1].Basic[AlarmPilot].DrivePin3);
    EXPECT_EQ(dialog.Sets()[1].Basic[AlarmPilot].Pin3Polarity, 1);
    EXPECT_EQ(dialog.Sets()[1].Basic[AlarmPilot].Params, QStringLiteral("-x"));

    // Another kind shows its own tasks; the pilot tone's stay with it.
    dialog.Params()->setText(QStringLiteral("-y"));
    dialog.Kinds()->setCurrentRow(AlarmRdsLevel);
    EXPECT_EQ(dialog.Params()->text(), QString());
    EXPECT_FALSE(dialog.DrivePinBox(3)->isChecked());
    dialog.accept();
    EXPECT_EQ(Tables(engine).AlarmSets[1].Basic[AlarmPilot].Params, QStringLiteral("-y"));
    EXPECT_FALSE(Tables(engine).AlarmSets[1].Basic[AlarmRdsLevel].DrivePin3);
}

TEST_F(AlarmSetsTest, NewSetCopiesWhatIsShownWithDefaultTasksElsewhere)
{
    prompts.inputs = {QStringLiteral("Set A"), QString(), QStringLiteral("Night")};
    dialog.RunFileBox()->setChecked(true);
    dialog.NewSet();
    EXPECT_EQ(prompts.inputTitles.first(), QStringLiteral("New Alarm Set"));
    EXPECT_EQ(prompts.proposed, (QStringList{"MyAlarmSet3", "Set A", ""}));
    EXPECT_EQ(prompts.messages, (QStringList{QStringLiteral("This name is already in use!"),
                                             QStringLiteral("Invalid name!")}));
    EXPECT_EQ(dialog.SetBox()->currentText(), QStringLiteral("Night"));
    dialog.accept();
    ASSERT_EQ(Tables(engine).AlarmSets.size(), 3u);
    const TAlarmSet &night = Tables(engine).AlarmSets[2];
    EXPECT_EQ(night.Name, QStringLiteral("Night"));
    EXPECT_TRUE(night.Basic[AlarmSilence].Enabled);
    EXPECT_EQ(night.SD_Minimum, 30);
    EXPECT_EQ(night.OM_MaxHoldLimit, 50);
    EXPECT_EQ(night.DefaultEmail, QStringLiteral("ops@example.org"));
    EXPECT_TRUE(night.Basic[AlarmSilence].RunFile);
    EXPECT_FALSE(night.Basic[AlarmSilence].SendEmail);
    EXPECT_TRUE(night.Basic[AlarmPilot].SendEmail);
    EXPECT_FALSE(night.Basic[AlarmPilot].RunFile);
    // Set A keeps its own values.
    EXPECT_EQ(Tables(engine).AlarmSets[0].Name, QStringLiteral("Set A"));
}

TEST_F(AlarmSetsTest, NewSetCancelledAddsNothing)
{
    dialog.NewSet();
    EXPECT_EQ(dialog.Sets().size(), 2u);
}

TEST_F(AlarmSetsTest, RenameRefusesTheSetsOwnNameAndKeepsUnsavedEdits)
{
    dialog.SetBox()->setCurrentIndex(1);
    dialog.Field(QStringLiteral("SEPM1"))->setValue(9);
    prompts.inputs = {QStringLiteral("Set B"), QStringLiteral("Set C")};
    dialog.RenameSet();
    EXPECT_EQ(prompts.inputTitles.first(), QStringLiteral("Rename Alarm Set"));
    EXPECT_EQ(prompts.proposed.first(), QStringLiteral("MyAlarmSet"));
    EXPECT_EQ(prompts.messages, QStringList{QStringLiteral("This name is already in use!")});
    EXPECT_EQ(dialog.SetBox()->itemText(1), QStringLiteral("Set C"));
    EXPECT_EQ(dialog.SetBox()->currentIndex(), 1);
    EXPECT_EQ(dialog.Field(QStringLiteral("SEPM1"))->value(), 9);
    dialog.accept();
    EXPECT_EQ(Tables(engine).AlarmSets[1].Name, QStringLiteral("Set C"));
    EXPECT_EQ(Tables(engine).AlarmSets[1].PM_Maximum, 9);
}

TEST_F(AlarmSetsTest, DeletingEverySetLeavesNothingSelectedAndNothingWritten)
{
    prompts.answer = false;
    dialog.DeleteSet();
    EXPECT_EQ(prompts.questions, QStringList{QStringLiteral("Delete the item?")});
    EXPECT_EQ(dialog.Sets().size(), 2u);
    prompts.answer = true;
    dialog.DeleteSet();
    EXPECT_EQ(dialog.SetBox()->currentText(), QStringLiteral("Set B"));
    EXPECT_TRUE(dialog.Kinds()->isEnabled());
    dialog.DeleteSet();
    EXPECT_EQ(dialog.SetBox()->currentIndex(), -1);
    EXPECT_EQ(dialog.Field(QStringLiteral("SEPM1"))->value(), -3); // the controls keep it
    // Nothing to edit: the fields are disabled until a set is chosen.
    EXPECT_FALSE(dialog.Kinds()->isEnabled());
    EXPECT_FALSE(dialog.Field(QStringLiteral("SEPM1"))->isEnabled());
    EXPECT_FALSE(dialog.SendEmailBox()->isEnabled());
    dialog.Field(QStringLiteral("SEPM1"))->setValue(1);
    dialog.accept();
    EXPECT_TRUE(Tables(engine).AlarmSets.empty());
}

TEST_F(AlarmSetsTest, DeletingTheLastSetInTheListChoosesTheOneBefore)
{
    prompts.answer = true;
    dialog.SetBox()->setCurrentIndex(1);
    dialog.DeleteSet();
    EXPECT_EQ(dialog.SetBox()->currentText(), QStringLiteral("Set A"));
    EXPECT_TRUE(dialog.Kinds()->isEnabled());
}

TEST_F(AlarmSetsTest, PageChangesByKeyboardAreRefused)
{
    dialog.Kinds()->setCurrentRow(2);
    QTest::keyClick(dialog.Pages(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(dialog.Pages()->currentIndex(), 2);
    EXPECT_EQ(prompts.messages,
              QStringList{QStringLiteral("Make your selection in the list of alarms")});
}

TEST_F(AlarmSetsTest, FileButtonPutsTheChosenFileIntoTheField)
{
    prompts.fileChoice = QStringLiteral("/usr/bin/env");
    QPushButton *browse = nullptr;
    for (QPushButton *b : dialog.findChildren<QPushButton *>())
        if (b->text() == QLatin1String("..."))
            browse = b;
    ASSERT_NE(browse, nullptr);
    browse->click();
    EXPECT_EQ(dialog.FileName()->text(), QStringLiteral("/usr/bin/env"));
    // Programs first; no "*.*", which would hide programs without an extension.
    EXPECT_TRUE(prompts.fileFilters.first().startsWith(QStringLiteral("Programs (*);;")));
    EXPECT_FALSE(prompts.fileFilters.first().contains(QStringLiteral("*.*")));
}

TEST_F(AlarmSetsTest, DevicesTakeEditedSetsAtTheirNextTuning)
{
    Tables(engine).Devices[0].AlarmSet = Tables(engine).AlarmSets[0];
    dialog.Field(QStringLiteral("SESD1"))->setValue(44);
    dialog.accept();
    EXPECT_EQ(Tables(engine).AlarmSets[0].SD_Minimum, 44);
    EXPECT_EQ(Tables(engine).Devices[0].AlarmSet.SD_Minimum, 30);
}

} // namespace
} // namespace vantor::test
