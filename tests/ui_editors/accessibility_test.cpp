// Every dialog from the keyboard: each control has an accessible name, Enter
// is OK and Escape is Cancel.
#include "alarm_sets_dialog.h"
#include "device_list_dialog.h"
#include "editor_fixture.h"
#include "engine_tables.h"
#include "preferences_dialog.h"
#include "quick_station_dialog.h"
#include "scheduler_dialog.h"
#include "station_list_dialog.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableWidget>

#include <memory>

namespace vantor::test {
namespace {

class KeyboardTest : public EditorFixture
{
protected:
    void SetUp() override
    {
        WriteDevices({QStringLiteral("COM1"), QStringLiteral("COM2")});
        WriteStations({{"Radio 1", "98.1", "D0", 2, 1}});
        Start();
    }

    std::vector<std::unique_ptr<QWidget>> AllWindows()
    {
        std::vector<std::unique_ptr<QWidget>> w;
        w.push_back(std::make_unique<DeviceListDialog>(engine));
        w.push_back(std::make_unique<StationListDialog>(engine));
        w.push_back(std::make_unique<QuickStationDialog>(engine));
        w.push_back(std::make_unique<SchedulerDialog>(engine));
        w.push_back(std::make_unique<AlarmSetsDialog>(engine));
        w.push_back(std::make_unique<PreferencesDialog>(engine));
        return w;
    }
};

TEST_F(KeyboardTest, EveryControlHasAnAccessibleName)
{
    for (const auto &window : AllWindows()) {
        EXPECT_FALSE(window->accessibleName().isEmpty());
        int controls = 0;
        for (QWidget *w : window->findChildren<QWidget *>()) {
            const bool control =
                qobject_cast<QAbstractButton *>(w) || qobject_cast<QLineEdit *>(w) ||
                qobject_cast<QAbstractSpinBox *>(w) || qobject_cast<QComboBox *>(w) ||
                qobject_cast<QAbstractItemView *>(w) || qobject_cast<QTabWidget *>(w);
            // Parts that Qt builds inside a control carry the control's name.
            const bool inner = qobject_cast<QAbstractSpinBox *>(w->parentWidget()) ||
                               qobject_cast<QComboBox *>(w->parentWidget()) ||
                               w->inherits("QAbstractItemViewPrivate") ||
                               qobject_cast<QAbstractItemView *>(w->parentWidget()) ||
                               w->objectName().startsWith(QLatin1String("qt_"));
            // Drop-down lists live in popup windows of their own.
            if (!control || inner || w->window() != window.get())
                continue;
            ++controls;
            EXPECT_FALSE(w->accessibleName().isEmpty())
                << qPrintable(window->windowTitle()) << ": " << w->metaObject()->className() << " "
                << qPrintable(w->objectName());
        }
        EXPECT_GT(controls, 0) << qPrintable(window->windowTitle());
    }
}

TEST_F(KeyboardTest, EnterIsOkAndEscapeIsCancel)
{
    RecordedPrompts recorded;
    {
        DeviceListDialog d(engine);
        d.SetPrompts(recorded.Prompts());
        d.Load();
        d.show();
        d.activateWindow();
        QTest::keyClick(&d, Qt::Key_Escape);
        EXPECT_EQ(d.result(), QDialog::Rejected);
        EXPECT_FALSE(Tables(engine).G.RestartRequired);
        d.show();
        QTest::keyClick(&d, Qt::Key_Return);
        EXPECT_EQ(d.result(), QDialog::Accepted);
        EXPECT_TRUE(Tables(engine).G.RestartRequired);
    }
    {
        StationListDialog d(engine);
        d.SetPrompts(recorded.Prompts());
        ASSERT_TRUE(d.Load());
        d.show();
        QTest::keyClick(&d, Qt::Key_Enter);
        EXPECT_EQ(d.result(), QDialog::Accepted);
    }
    EXPECT_TRUE(recorded.messages.isEmpty());
}

TEST_F(KeyboardTest, EnterInACellEditorTakesTheCellAndTheNextEnterIsOk)
{
    StationListDialog d(engine);
    ASSERT_TRUE(d.Load());
    d.show();
    QTableWidget *g = d.Grid();
    g->setCurrentCell(0, 1);
    g->editItem(g->item(0, 1));
    auto *editor = g->viewport()->findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("Radio Nine"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents(); // the cell is taken over queued
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(g->item(0, 1)->text(), QStringLiteral("Radio Nine"));
    EXPECT_EQ(Tables(engine).Stations[0].Name, QStringLiteral("Radio 1"));
    QTest::keyClick(g, Qt::Key_Return);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(Tables(engine).Stations[0].Name, QStringLiteral("Radio Nine"));
}

} // namespace
} // namespace vantor::test
