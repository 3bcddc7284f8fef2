// The main window and its children driven against an engine on the fake
// clock: device selection, the LED, pause, the Window menu, picture saves.
#include "bar_meter.h"
#include "chart_box.h"
#include "engine_tables.h"
#include "graph_window.h"
#include "ini_file.h"
#include "led_display.h"
#include "single_instance.h"
#include "window_fixture.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSet>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QWidgetAction>

using namespace vantor;
using namespace vantor::test;

namespace {
class MainWindowTest : public WindowFixture
{};
} // namespace

TEST_F(MainWindowTest, RegisteredDevicesJoinTheBoxesAndTheFirstIsChosen)
{
    EXPECT_EQ(window.deviceBox()->count(), 0);
    EXPECT_EQ(window.stationBox()->count(), 2);
    EXPECT_EQ(window.stationBox()->currentText(), QStringLiteral("98,1 - Radio 1 (D0)"));
    ConnectAll();
    EXPECT_EQ(window.deviceBox()->count(), 2);
    EXPECT_EQ(window.selectedDevice(), 0);
    ASSERT_EQ(Activity().filterBox()->count(), 3);
    EXPECT_EQ(Activity().filterBox()->itemText(2), QStringLiteral("D1"));
    EXPECT_EQ(Activity().filterIndex(), 0) << "the filter starts at the application";
}

TEST_F(MainWindowTest, ChoosingADeviceFillsTheValueListAndMovesTheFilterAfter20Seconds)
{
    ConnectAll();
    Tables(engine).Devices[1].LastData.Set(QStringLiteral("MAX"), QStringLiteral("75 kHz"));
    Tables(engine).Devices[1].LastData.Set(QStringLiteral("Histogram Data"),
                                           QStringLiteral("0: 1"));
    Tables(engine).Devices[1].LastData.Set(QStringLiteral("PI"), QStringLiteral("D3C3"));
    Activity().setFilterIndex(1); // device D0's lines

    clock.advanceSeconds(20);
    ChooseDevice(1);
    EXPECT_EQ(Data3().value(QStringLiteral("MAX")), QStringLiteral("75 kHz"));
    EXPECT_EQ(Data3().value(QStringLiteral("PI")), QStringLiteral("D3C3"));
    EXPECT_EQ(Data3().valueList()->rowCount(), 3) << "Actual Station, MAX, PI; no histogram";
    EXPECT_TRUE(Data3().value(QStringLiteral("Actual Station")).isEmpty());
    EXPECT_EQ(Activity().filterIndex(), 1) << "20 s of uptime are not more than 20";

    clock.advanceSeconds(1);
    ChooseDevice(0);
    EXPECT_EQ(Activity().filterIndex(), 1);
    ChooseDevice(1);
    EXPECT_EQ(Activity().filterIndex(), 2) << "the filter follows the device";
    EXPECT_EQ(Data3().value(QStringLiteral("MAX")), QStringLiteral("75 kHz"))
        << "the device's values come back with it";

    Activity().setFilterIndex(0);
    ChooseDevice(0);
    EXPECT_EQ(Activity().filterIndex(), 0) << "the application filter stays";
    EXPECT_TRUE(Data3().value(QStringLiteral("MAX")).isEmpty()) << "D0 has no values";
}

TEST_F(MainWindowTest, TheValueListFollowsTheTuningAndTheReceivedValues)
{
    ConnectAll();
    ChooseDevice(1);
    engine.RunGuarded([&] { engine.Tune(1, 1, false); });
    EXPECT_EQ(Data3().value(QStringLiteral("Actual Station")), QStringLiteral("Radio 2"));
    EXPECT_EQ(Data3().value(QStringLiteral("Measuring Mode countdown")), QStringLiteral("60"));

    clock.advanceSeconds(5); // past the ignored answers after tuning
    library.pushResponse(1, QStringLiteral("MAX=80 kHz"));
    library.pushResponse(0, QStringLiteral("MAX=20 kHz"));
    clock.advanceMs(200);
    engine.TimerReceiveTimer();
    EXPECT_EQ(Data3().value(QStringLiteral("MAX")), QStringLiteral("80 kHz"))
        << "only the device shown";
}

TEST_F(MainWindowTest, TheLedShowsTheStationFrequency)
{
    ConnectAll();
    EXPECT_EQ(window.led()->text(), QStringLiteral("0.00")) << "no station yet";
    engine.RunGuarded([&] { engine.Tune(0, 0, false); });
    EXPECT_EQ(window.led()->text(), QStringLiteral("98.10"));
    engine.RunGuarded([&] { engine.Tune(1, 1, false); });
    EXPECT_EQ(window.led()->text(), QStringLiteral("98.10")) << "another device's tuning";
    ChooseDevice(1);
    EXPECT_EQ(window.led()->text(), QStringLiteral("100.00"));
    window.stopAction()->trigger();
    EXPECT_EQ(window.led()->text(), QStringLiteral("0.00"));
    EXPECT_FALSE(Tables(engine).Devices[1].StationActive);
}

TEST(LedDisplay, CellsHoldTheirPointsAndAlignRight)
{
    struct Case {
        const char *text;
        std::vector<quint8> cells;
    };
    const Case cases[] = {
        {"98.10", {0, 158, 255, 132, 252}},
        {"100.00", {132, 252, 253, 252, 252}},
        {"0.00", {0, 0, 253, 252, 252}},
        {"98.125", {158, 255, 132, 110, 218}},
        {"-5", {0, 0, 0, 2, 218}},
        {"a7", {0, 0, 0, 0, 140}},
        {"123456", {110, 206, 150, 218, 250}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(LedCellCodes(QLatin1String(c.text), 5, true, true), c.cells) << c.text;
    EXPECT_EQ(LedCellCodes(QStringLiteral("1.5"), 5, false, false),
              (std::vector<quint8>{132, 1, 218, 0, 0}))
        << "without decimals a point takes a cell; left aligned pads on the right";
}

TEST_F(MainWindowTest, PauseShowsTheButtonPressedAndTheCountdownsPaused)
{
    ConnectAll();
    engine.RunGuarded([&] { engine.Tune(0, 0, false); });
    window.pauseAction()->trigger();
    EXPECT_TRUE(window.pauseAction()->isChecked());
    EXPECT_TRUE(Tables(engine).Devices[0].Paused);
    StatusSecond();
    EXPECT_EQ(Data3().value(QStringLiteral("Measuring Mode countdown")),
              QStringLiteral("120 (paused)"));
    EXPECT_EQ(Data3().value(QStringLiteral("RDS Mode countdown")), QStringLiteral("60 (paused)"));

    ChooseDevice(1);
    EXPECT_FALSE(window.pauseAction()->isChecked());
    ChooseDevice(0);
    EXPECT_TRUE(window.pauseAction()->isChecked());
    window.pauseAction()->trigger();
    EXPECT_FALSE(window.pauseAction()->isChecked());
    StatusSecond();
    EXPECT_EQ(Data3().value(QStringLiteral("Measuring Mode countdown")), QStringLiteral("120"));
}

TEST_F(MainWindowTest, TheStatisticsFollowTheFilter)
{
    ConnectAll();
    Tables(engine).Devices[0].BytesSent = 3'000'000'000LL;
    Tables(engine).Devices[1].BytesSent = 5;
    clock.advanceSeconds(3 * 60 - 1);
    StatusSecond();
    QTableWidget &grid = *Activity().statistics();
    EXPECT_EQ(grid.item(0, 0)->text(), QStringLiteral("Bytes sent"));
    EXPECT_EQ(grid.item(1, 0)->text(), QStringLiteral("3000000005"));
    EXPECT_EQ(grid.item(1, 2)->text(), QStringLiteral("0 days, 0:03:00"));
    Activity().setFilterIndex(2);
    clock.advanceMs(200);
    engine.TimerStatusTimer();
    EXPECT_EQ(grid.item(1, 0)->text(), QStringLiteral("5"));
}

TEST_F(MainWindowTest, TheWindowMenuBringsTheNamedChildForward)
{
    QStringList items;
    QAction *graphItem = nullptr;
    for (QAction *action : window.windowMenu()->actions()) {
        items << action->text();
        if (action->text() == QLatin1String("Graph Window"))
            graphItem = action;
    }
    EXPECT_TRUE(items.contains(QStringLiteral("Recent Activity")));
    EXPECT_TRUE(items.contains(QStringLiteral("Recent Data")));
    ASSERT_NE(graphItem, nullptr);

    QMdiSubWindow *graph = window.frameOf(window.graphWindow());
    graph->close(); // closing only minimises
    EXPECT_TRUE(graph->isMinimized());
    window.mdiArea()->setActiveSubWindow(window.frameOf(window.recentData()));
    graphItem->trigger();
    EXPECT_EQ(window.mdiArea()->activeSubWindow(), graph);
    EXPECT_FALSE(graph->isMinimized());

    // An item whose window has since changed its caption brings nothing forward.
    window.mdiArea()->setActiveSubWindow(window.frameOf(window.recentData()));
    graph->setWindowTitle(QStringLiteral("Graph Window (renamed)"));
    graphItem->trigger();
    EXPECT_EQ(window.mdiArea()->activeSubWindow(), window.frameOf(window.recentData()));
}

TEST_F(MainWindowTest, PicturesAreSavedByTheirNames)
{
    ConnectAll();
    struct Case {
        const char *name;
        const char *format;
    };
    for (const Case c :
         {Case{"shot.Jpeg", "jpeg"}, Case{"shot.png", "bmp"}, Case{"shot.JPG", "jpeg"}}) {
        const QString file = tmp.path() + QLatin1Char('/') + QLatin1String(c.name);
        ASSERT_TRUE(window.saveScreenshot(file)) << c.name;
        QImageReader reader(file);
        reader.setDecideFormatFromContent(true);
        EXPECT_EQ(reader.format(), QByteArray(c.format)) << c.name;
        // The window with the frame and title around it.
        EXPECT_EQ(reader.size(), window.frameGeometry().size()) << c.name;
    }
    const QString histogram = tmp.path() + QStringLiteral("/histogram.bmp");
    ASSERT_TRUE(window.saveHistogram(histogram));
    EXPECT_EQ(QImageReader(histogram).size(), window.recentData()->histogramBox()->size());
}

TEST_F(MainWindowTest, ASecondStartBringsTheWindowForward)
{
    SingleInstance first(Data());
    ASSERT_TRUE(first.claim());
    QObject::connect(&first, &SingleInstance::activationRequested, &window,
                     &MainWindow::bringToFront);
    for (const auto &away : {std::function<void()>([&] { window.showMinimized(); }),
                             std::function<void()>([&] { window.CiaTray1DblClick(); })}) {
        away();
        ASSERT_TRUE(window.isMinimized() || !window.isVisible());
        SingleInstance second(Data());
        EXPECT_FALSE(second.claim());
        EXPECT_TRUE(waitFor([&] { return window.isVisible() && !window.isMinimized(); }));
    }
}

TEST_F(MainWindowTest, EveryControlHasAnAccessibleName)
{
    ConnectAll();
    QStringList unnamed;
    QList<QWidget *> controls = window.findChildren<QWidget *>();
    for (QWidget *widget : controls) {
        // Controls are what takes focus or input; a label or a frame is not one.
        const bool control = widget->focusPolicy() != Qt::NoFocus ||
                             qobject_cast<QAbstractButton *>(widget) != nullptr ||
                             qobject_cast<BarMeter *>(widget) != nullptr ||
                             qobject_cast<LedDisplay *>(widget) != nullptr;
        // Parts Qt adds to its own controls (overflow arrows, table corners,
        // drop-down lists, a number box's text) take their meaning from the
        // control they belong to.
        const QString className = QLatin1String(widget->metaObject()->className());
        if (!control || widget->objectName() == QLatin1String("qt_toolbar_ext_button") ||
            widget->objectName() == QLatin1String("qt_menubar_ext_button") ||
            widget->objectName() == QLatin1String("qt_spinbox_lineedit") ||
            className == QLatin1String("QTableCornerButton") ||
            className == QLatin1String("QComboBoxListView"))
            continue;
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
        if (accessible == nullptr || accessible->text(QAccessible::Name).trimmed().isEmpty())
            unnamed << QStringLiteral("%1 (%2, in %3)")
                           .arg(widget->objectName(),
                                QLatin1String(widget->metaObject()->className()),
                                widget->parentWidget()
                                    ? QLatin1String(
                                          widget->parentWidget()->metaObject()->className())
                                    : QLatin1String("-"));
    }
    EXPECT_TRUE(unnamed.isEmpty()) << qPrintable(unnamed.join(QLatin1Char('\n')));
}

TEST_F(MainWindowTest, AMissingManualIsReported)
{
    QString shown;
    QTimer::singleShot(0, &window, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            shown = box->text();
            box->accept();
        }
    });
    window.findChild<QAction *>(QStringLiteral("PdfManual1"))->trigger();
    EXPECT_TRUE(shown.contains(QStringLiteral("vantor.pdf"))) << qPrintable(shown);
}

TEST_F(MainWindowTest, EveryToolbarActionIsInAMenu)
{
    QSet<QAction *> inMenus;
    for (QAction *top : window.menuBar()->actions()) {
        if (QMenu *menu = top->menu()) {
            const QList<QAction *> items = menu->actions();
            inMenus.unite(QSet<QAction *>(items.begin(), items.end()));
        }
    }

    for (QToolBar *bar : window.findChildren<QToolBar *>()) {
        for (QAction *action : bar->actions()) {
            if (action->isSeparator() || qobject_cast<QWidgetAction *>(action))
                continue;
            EXPECT_TRUE(inMenus.contains(action)) << qPrintable(action->objectName());
        }
    }
}

TEST_F(MainWindowTest, EveryEditorOpensFromItsMenuItemOrButton)
{
    ConnectAll();
    const std::pair<const char *, const char *> editors[] = {
        {"Preferences1", "vantor::PreferencesDialog"},
        {"DeviceList1", "vantor::DeviceListDialog"},
        {"MonitoringScheduler1", "vantor::SchedulerDialog"},
        {"Alarms1", "vantor::AlarmSetsDialog"},
        {"StationList1", "vantor::StationListDialog"},
        {"ToolButton14", "vantor::QuickStationDialog"}};
    for (const auto &[action, dialog] : editors) {
        QString opened;
        QTimer::singleShot(0, &window, [&] {
            if (auto *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                opened = QString::fromLatin1(modal->metaObject()->className());
                modal->reject();
            }
        });
        QAction *item = window.findChild<QAction *>(QLatin1String(action));
        ASSERT_TRUE(item) << action;
        EXPECT_TRUE(item->isEnabled()) << action;
        item->trigger();
        EXPECT_EQ(opened, QLatin1String(dialog)) << action;
    }
}

namespace {
// Answers the next modal dialog with answer, on the event loop that showing
// it starts.
void AnswerNextDialog(QWidget *context, std::function<void(QWidget *)> answer)
{
    QTimer::singleShot(0, context, [answer = std::move(answer)] {
        if (QWidget *modal = QApplication::activeModalWidget())
            answer(modal);
    });
}

QString AnswerMessage(QWidget *modal)
{
    auto *box = qobject_cast<QMessageBox *>(modal);
    if (!box)
        return QString();
    const QString text = box->text();
    box->accept();
    return text;
}
} // namespace

TEST_F(MainWindowTest, TuningAStationWithoutADeviceIsRefusedWithAMessage)
{
    ConnectAll();
    Tables(engine).Stations[1].DeviceName = QStringLiteral("D9");
    window.stationBox()->setCurrentIndex(1);
    QString shown;
    AnswerNextDialog(&window, [&](QWidget *modal) { shown = AnswerMessage(modal); });
    window.tuneAction()->trigger();
    EXPECT_EQ(shown, QStringLiteral("No valid device assigned to this station. \n"
                                    "Assign a device in the Station List."));
    EXPECT_FALSE(Tables(engine).Devices[1].StationActive);
}

TEST_F(MainWindowTest, TuningAStationBringsItsDeviceAndItsLinesForward)
{
    ConnectAll();
    EXPECT_EQ(window.selectedDevice(), 0);
    EXPECT_EQ(Activity().filterIndex(), 0);
    window.stationBox()->setCurrentIndex(1);
    window.tuneAction()->trigger();
    EXPECT_TRUE(Tables(engine).Devices[1].StationActive);
    EXPECT_EQ(window.selectedDevice(), 1);
    EXPECT_EQ(Activity().filterIndex(), 2) << "the filter shows the device's lines at once";
    EXPECT_EQ(window.led()->text(), QStringLiteral("100.00"));
    EXPECT_EQ(Data3().value(QStringLiteral("Actual Station")), QStringLiteral("Radio 2"));
}

TEST_F(MainWindowTest, SaveSettingsWritesThePlacementsAndTheSettings)
{
    QMdiSubWindow *graph = window.frameOf(window.graphWindow());
    graph->setGeometry(31, 42, 420, 330);
    engine.Prefs().SetInteger(QStringLiteral("LoggingPeriod"), 17);
    window.findChild<QAction *>(QStringLiteral("SaveSettings1"))->trigger();
    const IniFile config(Data() + QStringLiteral("/config.ini"));
    const auto number = [&](const char *key) {
        return config.ReadInteger(QStringLiteral("General"), QLatin1String(key), -1);
    };
    EXPECT_EQ(number("Form5Left"), 31);
    EXPECT_EQ(number("Form5Top"), 42);
    EXPECT_EQ(number("Form5Width"), 420);
    EXPECT_EQ(number("Form5Height"), 330);
    EXPECT_EQ(number("LoggingPeriod"), 17);
    EXPECT_TRUE(QFileInfo::exists(Data() + QStringLiteral("/stations.ini")));
}

TEST_F(MainWindowTest, PicturesThatCannotBeWrittenAreLoggedAsErrors)
{
    ConnectAll();
    engine.RunGuarded([&] { engine.Tune(0, 0, false); });
    // A folder where the picture should go: no picture can be written there,
    // whoever runs the test.
    const QString taken = tmp.path() + QStringLiteral("/taken.bmp");
    ASSERT_TRUE(QDir().mkpath(taken));
    for (const char *action : {"SaveGraph2", "SaveGraph1", "SaveScreenshot1"}) {
        AnswerNextDialog(&window, [&](QWidget *modal) {
            auto *dialog = qobject_cast<QFileDialog *>(modal);
            ASSERT_TRUE(dialog) << action;
            dialog->selectFile(taken);
            static_cast<QDialog *>(dialog)->done(QDialog::Accepted);
        });
        Tables(engine).G.AppActivityLines.clear();
        window.findChild<QAction *>(QLatin1String(action))->trigger();
        const QString lines = Tables(engine).G.AppActivityLines.join(QLatin1Char('\n'));
        EXPECT_TRUE(lines.contains(QStringLiteral("Fatal Error: Cannot write ") + taken))
            << action << ": " << qPrintable(lines);
    }
}

TEST_F(MainWindowTest, TheWindowStaysOpenWhenClosingIsRefused)
{
    int asked = 0;
    bool allow = false;
    window.setCloseHandler([&] {
        ++asked;
        return allow;
    });
    QMdiSubWindow *graph = window.frameOf(window.graphWindow());
    graph->setGeometry(12, 13, 400, 300);
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(engine.Prefs().Placement(AppWindow::Graph).left, 12)
        << "the placements are taken before the shut-down is asked";
    allow = true;
    EXPECT_TRUE(window.close());
    EXPECT_FALSE(window.isVisible());
}

TEST_F(MainWindowTest, TheAboutBoxShowsTheIconAndTheLicence)
{
    QStringList texts;
    bool icon = false;
    AnswerNextDialog(&window, [&](QWidget *modal) {
        for (const QLabel *label : modal->findChildren<QLabel *>()) {
            texts << label->text();
            icon = icon || !label->pixmap().isNull();
        }
        qobject_cast<QDialog *>(modal)->accept();
    });
    window.findChild<QAction *>(QStringLiteral("About1"))->trigger();
    EXPECT_TRUE(icon);
    EXPECT_TRUE(texts.join(QLatin1Char('\n')).contains(QStringLiteral("GPL-3.0-or-later")))
        << qPrintable(texts.join(QLatin1Char('\n')));
}
