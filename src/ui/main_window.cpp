#include "main_window.h"

#include "alarm_sets_dialog.h"
#include "device_list_dialog.h"
#include "preferences_dialog.h"
#include "quick_station_dialog.h"
#include "scheduler_dialog.h"
#include "station_list_dialog.h"

#include "about_box.h"
#include "alarm_details_window.h"
#include "child_arrangement.h"
#include "graph_window.h"
#include "image_file.h"
#include "image_save_dialog.h"
#include "ini_file.h"
#include "led_display.h"
#include "platform_utils.h"
#include "preference_entries.h"
#include "program_icon.h"
#include "rds_panel.h"
#include "recent_activity_window.h"
#include "recent_data_window.h"
#include "shell_open.h"
#include "window_placement.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QToolBar>
#include <QUrl>

#include <algorithm>
#include <cmath>

namespace vantor {

namespace {

// A child window is never closed while the program runs: closing it only
// minimises it in the frame.
class ChildFrame : public QMdiSubWindow
{
public:
    using QMdiSubWindow::QMdiSubWindow;

protected:
    void closeEvent(QCloseEvent *event) override
    {
        event->ignore();
        showMinimized();
    }
};

QAction *NewAction(QObject *parent, const QString &text, const QString &name)
{
    auto *action = new QAction(text, parent);
    action->setObjectName(name);
    return action;
}

// The least size a child window's contents can be used at.
QSize LeastSize(const QMdiSubWindow *frame)
{
    return frame->minimumSizeHint().expandedTo(frame->minimumSize());
}

// Uptime beyond which choosing a device moves the activity filter as well.
constexpr int FilterFollowsAfterSeconds = 20;

} // namespace

MainWindow::MainWindow(Engine &engine, QWidget *parent)
    : QMainWindow(parent), m_engine(engine), m_mdi(new QMdiArea)
{
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("Vantor"));
    setAccessibleName(windowTitle());
    resize(893, 637);

    m_mdi->setObjectName(QStringLiteral("MDIClient"));
    m_mdi->setAccessibleName(QStringLiteral("MDIClient"));
    m_mdi->setBackground(QColor(105, 119, 150));
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdi);
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    statusBar()->setAccessibleName(QStringLiteral("StatusBar1"));

    createActions();
    createEditors();
    createToolBar();
    createMenus();

    // Created in the order of start-up: Recent Activity, Recent Data, Graph
    // Window, Alarm Details.
    const auto selected = [this] { return selectedDevice(); };
    m_activity = new RecentActivityWindow(engine);
    m_data = new RecentDataWindow(engine, selected);
    m_graph = new GraphWindow(engine, selected);
    m_alarms = new AlarmDetailsWindow(engine, selected);
    for (QWidget *child : {static_cast<QWidget *>(m_activity), static_cast<QWidget *>(m_data),
                           static_cast<QWidget *>(m_graph), static_cast<QWidget *>(m_alarms)})
        addChild(child);

    connect(&engine, &Engine::devicesChanged, this, &MainWindow::onDevicesChanged);
    connect(&engine, &Engine::stationsChanged, this, &MainWindow::onStationsChanged);
    connect(&engine, &Engine::statusTicked, this, &MainWindow::onStatusTicked);
    connect(&engine, &Engine::statusTextChanged, this, [this](const QString &text) {
        statusBar()->showMessage(text);
        // Files are saved right after this on the same thread: show it now.
        statusBar()->repaint();
    });
    connect(m_data->pages(), &QTabWidget::currentChanged, this, [this](int page) {
        m_engine.Prefs().SetInteger(QStringLiteral("RecentDataShow"), page);
    });

    setWindowIcon(ProgramIcon());
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        m_tray = new QSystemTrayIcon(ProgramIcon(), this);
        m_tray->setObjectName(QStringLiteral("CiaTray1"));
        m_tray->setToolTip(QStringLiteral("Vantor"));
        connect(m_tray, &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    if (reason == QSystemTrayIcon::DoubleClick)
                        CiaTray1DblClick();
                });
        m_tray->show();
    }
}

void MainWindow::CiaTray1DblClick()
{
    setVisible(!isVisible());
}

MainWindow::~MainWindow() = default;

void MainWindow::createActions()
{
    const auto icon = [this](QStyle::StandardPixmap pixmap) {
        return style()->standardIcon(pixmap);
    };
    m_preferences =
        NewAction(this, QStringLiteral("&Preferences..."), QStringLiteral("Preferences1"));
    m_preferences->setIcon(icon(QStyle::SP_FileDialogDetailedView));
    m_deviceList =
        NewAction(this, QStringLiteral("&Device List..."), QStringLiteral("DeviceList1"));
    m_deviceList->setIcon(icon(QStyle::SP_ComputerIcon));
    m_scheduler = NewAction(this, QStringLiteral("&Monitoring Scheduler..."),
                            QStringLiteral("MonitoringScheduler1"));
    m_scheduler->setIcon(icon(QStyle::SP_FileDialogListView));
    m_alarmSets = NewAction(this, QStringLiteral("&Alarm Sets..."), QStringLiteral("Alarms1"));
    m_alarmSets->setIcon(icon(QStyle::SP_MessageBoxWarning));
    m_stationList =
        NewAction(this, QStringLiteral("&Station List..."), QStringLiteral("StationList1"));
    m_stationList->setIcon(icon(QStyle::SP_DirIcon));

    m_cascade = NewAction(this, QStringLiteral("&Cascade"), QStringLiteral("Cascade1"));
    m_cascade->setIcon(icon(QStyle::SP_TitleBarNormalButton));
    connect(m_cascade, &QAction::triggered, this,
            [this] { arrangeChildren(Arrangement::Cascade); });
    m_tileHorizontal =
        NewAction(this, QStringLiteral("&Tile (Horizontal)"), QStringLiteral("iles1"));
    m_tileHorizontal->setIcon(icon(QStyle::SP_ToolBarVerticalExtensionButton));
    connect(m_tileHorizontal, &QAction::triggered, this,
            [this] { arrangeChildren(Arrangement::TileHorizontal); });
    m_tileVertical =
        NewAction(this, QStringLiteral("Tile (&Vertical)"), QStringLiteral("ileVertical1"));
    m_tileVertical->setIcon(icon(QStyle::SP_ToolBarHorizontalExtensionButton));
    connect(m_tileVertical, &QAction::triggered, this,
            [this] { arrangeChildren(Arrangement::TileVertical); });

    const auto toolAction = [this](const QString &text, const QString &name, const QIcon &glyph,
                                   void (MainWindow::*handler)()) {
        QAction *action = NewAction(this, text, name);
        action->setIcon(glyph);
        action->setToolTip(text);
        action->setStatusTip(text);
        connect(action, &QAction::triggered, this,
                [this, handler] { m_engine.RunGuarded([&] { (this->*handler)(); }); });
        return action;
    };
    m_pause = toolAction(QStringLiteral("Pause the device"), QStringLiteral("ToolButton12"),
                         icon(QStyle::SP_MediaPause), &MainWindow::ToolButton12Click);
    m_pause->setCheckable(true);
    m_stop = toolAction(QStringLiteral("Stop the device"), QStringLiteral("ToolButton15"),
                        icon(QStyle::SP_MediaStop), &MainWindow::ToolButton15Click);
    m_runDecoder = toolAction(QStringLiteral("Run RDS Lumex"), QStringLiteral("ToolButton11"),
                              icon(QStyle::SP_MediaPlay), &MainWindow::ToolButton11Click);
    m_tune = toolAction(QStringLiteral("Tune the station"), QStringLiteral("ToolButton17"),
                        icon(QStyle::SP_ArrowRight), &MainWindow::ToolButton17Click);
    m_quickEntry =
        NewAction(this, QStringLiteral("Quick station entry"), QStringLiteral("ToolButton14"));
    m_quickEntry->setIcon(icon(QStyle::SP_FileDialogNewFolder));
    m_quickEntry->setStatusTip(m_quickEntry->text());
}

void MainWindow::createEditors()
{
    // One of each, created once and kept: the Alarm Sets editor and the
    // station editors show again what they showed last.
    const auto opens = [this](QAction *action, QDialog *dialog) {
        connect(action, &QAction::triggered, this,
                [this, dialog] { m_engine.RunGuarded([dialog] { dialog->exec(); }); });
    };
    opens(m_preferences, new PreferencesDialog(m_engine, this));
    opens(m_deviceList, new DeviceListDialog(m_engine, this));
    opens(m_scheduler, new SchedulerDialog(m_engine, this));
    opens(m_alarmSets, new AlarmSetsDialog(m_engine, this));
    opens(m_stationList, new StationListDialog(m_engine, this));
    opens(m_quickEntry, new QuickStationDialog(m_engine, this));
}

void MainWindow::createToolBar()
{
    QToolBar *bar = addToolBar(QStringLiteral("ToolBar1"));
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setAccessibleName(QStringLiteral("ToolBar1"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(16, 16));
    bar->addActions({m_preferences, m_deviceList, m_scheduler, m_alarmSets, m_stationList});
    bar->addSeparator();
    bar->addActions({m_cascade, m_tileHorizontal, m_tileVertical});
    bar->addSeparator();

    m_deviceBox = new QComboBox;
    m_deviceBox->setObjectName(QStringLiteral("CBFIL"));
    m_deviceBox->setAccessibleName(QStringLiteral("Select device"));
    m_deviceBox->setToolTip(QStringLiteral("Select device"));
    m_deviceBox->setStatusTip(QStringLiteral("Select device"));
    m_deviceBox->setFixedWidth(137);
    QFont bold = m_deviceBox->font();
    bold.setBold(true);
    m_deviceBox->setFont(bold);
    connect(m_deviceBox, &QComboBox::activated, this,
            [this] { m_engine.RunGuarded([this] { CBFILChange(); }); });
    bar->addWidget(m_deviceBox);
    bar->addActions({m_pause, m_stop, m_runDecoder});
    bar->addSeparator();

    m_led = new LedDisplay;
    m_led->setObjectName(QStringLiteral("LL"));
    bar->addWidget(m_led);
    m_stationBox = new QComboBox;
    m_stationBox->setObjectName(QStringLiteral("CBST"));
    m_stationBox->setAccessibleName(QStringLiteral("CBST"));
    m_stationBox->setFixedWidth(193);
    bar->addWidget(m_stationBox);
    bar->addActions({m_tune, m_quickEntry});
    // Every toolbar button carries the name of its action for screen readers.
    for (QAction *action : bar->actions()) {
        QWidget *button = bar->widgetForAction(action);
        if (button != nullptr && !action->text().isEmpty())
            button->setAccessibleName(action->text().remove(QLatin1Char('&')));
    }
}

void MainWindow::createMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    const auto item = [this](QMenu *menu, const QString &text, const QString &name,
                             void (MainWindow::*handler)()) {
        QAction *action = menu->addAction(text);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this,
                [this, handler] { m_engine.RunGuarded([&] { (this->*handler)(); }); });
        return action;
    };
    item(file, QStringLiteral("Save &Graph..."), QStringLiteral("SaveGraph2"),
         &MainWindow::SaveGraph2Click);
    item(file, QStringLiteral("Save &Histogram..."), QStringLiteral("SaveGraph1"),
         &MainWindow::SaveGraph1Click);
    item(file, QStringLiteral("Save S&creenshot..."), QStringLiteral("SaveScreenshot1"),
         &MainWindow::SaveScreenshot1Click);
    file->addSeparator();
    item(file, QStringLiteral("&Save Settings"), QStringLiteral("SaveSettings1"),
         &MainWindow::SaveSettings1Click);
    file->addSeparator();
    QAction *exit = file->addAction(QStringLiteral("E&xit"));
    exit->setObjectName(QStringLiteral("Exit1"));
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QMenu *view = menuBar()->addMenu(QStringLiteral("&View"));
    item(view, QStringLiteral("&Data Folder..."), QStringLiteral("DataFolder1"),
         &MainWindow::DataFolder1Click);

    QMenu *setup = menuBar()->addMenu(QStringLiteral("&Setup"));
    setup->addAction(m_preferences);
    setup->addSeparator();
    setup->addActions({m_deviceList, m_scheduler, m_alarmSets});
    setup->addSeparator();
    setup->addAction(m_stationList);

    // The toolbar's device actions, so that each is reached from the keyboard.
    QMenu *device = menuBar()->addMenu(QStringLiteral("&Device"));
    device->addActions({m_tune, m_pause, m_stop});
    device->addSeparator();
    device->addActions({m_runDecoder, m_quickEntry});

    m_windowMenu = menuBar()->addMenu(QStringLiteral("&Window"));
    m_windowMenu->addActions({m_cascade, m_tileHorizontal, m_tileVertical});
    m_windowMenu->addSeparator();

    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    item(help, QStringLiteral("&Pdf Manual"), QStringLiteral("PdfManual1"),
         &MainWindow::PdfManual1Click);
    help->addSeparator();
    item(help, QStringLiteral("&About..."), QStringLiteral("About1"), &MainWindow::About1Click);

    for (QMenu *menu : menuBar()->findChildren<QMenu *>())
        menu->setAccessibleName(menu->title().remove(QLatin1Char('&')));
}

QMdiSubWindow *MainWindow::addChild(QWidget *child)
{
    auto *frame = new ChildFrame;
    frame->setWidget(child);
    frame->setAttribute(Qt::WA_DeleteOnClose, false);
    frame->setWindowTitle(child->windowTitle());
    frame->setAccessibleName(child->windowTitle());
    m_mdi->addSubWindow(frame);
    // Queued: the area lines up its minimised windows after the change.
    connect(
        frame, &QMdiSubWindow::windowStateChanged, this,
        [this](Qt::WindowStates before, Qt::WindowStates now) {
            if ((before ^ now) & Qt::WindowMinimized)
                keepIconRowClear();
        },
        Qt::QueuedConnection);
    return frame;
}

QMdiSubWindow *MainWindow::frameOf(QWidget *child) const
{
    for (QMdiSubWindow *frame : m_mdi->subWindowList()) {
        if (frame->widget() == child)
            return frame;
    }
    return nullptr;
}

void MainWindow::addWindowMenuItems()
{
    if (m_windowItemsAdded)
        return;
    m_windowItemsAdded = true;
    for (QMdiSubWindow *frame : m_mdi->subWindowList()) {
        QAction *action = m_windowMenu->addAction(frame->windowTitle());
        connect(action, &QAction::triggered, this, [this, action] { MDIShow(action->text()); });
    }
}

void MainWindow::MDIShow(const QString &itemText)
{
    QString caption = itemText;
    caption.remove(QLatin1Char('&'));
    for (QMdiSubWindow *frame : m_mdi->subWindowList()) {
        if (frame->windowTitle() != caption)
            continue;
        if (frame->isMinimized())
            frame->showNormal();
        frame->show();
        m_mdi->setActiveSubWindow(frame);
        frame->raise();
        return;
    }
}

namespace {
QList<QRect> ScreenAreas()
{
    QList<QRect> areas;
    for (const QScreen *screen : QGuiApplication::screens())
        areas << screen->availableGeometry();
    return areas;
}
} // namespace

std::array<std::pair<QWidget *, AppWindow>, 4> MainWindow::placedChildren() const
{
    return {{{m_activity, AppWindow::RecentActivity},
             {m_data, AppWindow::RecentData},
             {m_graph, AppWindow::Graph},
             {m_alarms, AppWindow::AlarmDetails}}};
}

void MainWindow::applyPreferences()
{
    const Preferences &prefs = m_engine.Prefs();
    const QScreen *primary = QGuiApplication::primaryScreen();
    const QRect primaryArea = primary ? primary->availableGeometry() : QRect(0, 0, 1024, 768);
    m_normalPlacement = prefs.Placement(AppWindow::Main);
    ApplyPlacement(this, m_normalPlacement, ScreenAreas(), primaryArea);
    const QRect client = childArea();
    // A window without a stored placement takes its place in the first-start
    // layout; stored placements always win.
    const IniFile stored(m_engine.FolderPaths().DataFolder + QStringLiteral("config.ini"));
    QList<ChildSizes> needs;
    for (const auto &[child, window] : placedChildren()) {
        // Polished, the windows have the fonts and style they are shown with,
        // and with them their sizes.
        frameOf(child)->ensurePolished();
        needs << ChildSizes{frameOf(child)->sizeHint(), LeastSize(frameOf(child))};
    }
    // The layout's order: Recent Data and Alarm Details above, Recent Activity
    // and the Graph Window below; the Graph Window's options and the Alarm
    // Details' columns come first, the lists beside them scroll.
    const QList<QRect> firstStart = besideScrollBars(client, [&](const QRect &room) {
        return FirstStartLayout(room, {needs[1], needs[3], needs[0], needs[2]});
    });
    const QRect startPlaces[] = {firstStart[2], firstStart[0], firstStart[3], firstStart[1]};
    int k = 0;
    for (const auto &[child, window] : placedChildren()) {
        WindowPlacement placement = prefs.Placement(window);
        const char *topKey = nullptr;
        for (const WindowKeys &keys : WindowKeyTable())
            if (keys.window == window)
                topKey = keys.top;
        if (stored.ReadString(QStringLiteral("General"), QLatin1String(topKey), QString())
                .isEmpty()) {
            const QRect place = startPlaces[k];
            placement.left = place.x();
            placement.top = place.y();
            placement.width = place.width();
            placement.height = place.height();
        }
        QMdiSubWindow *frame = frameOf(child);
        ApplyPlacement(frame, placement, {client}, client);
        // Stored at another font or scale, or in a smaller frame, a placement
        // may be smaller than the window's contents can be used at.
        if (!frame->isMinimized() && !frame->isMaximized())
            frame->resize(frame->size().expandedTo(LeastSize(frame)));
        ++k;
    }
    m_data->accumulated()->setChecked(prefs.Flag(QStringLiteral("Accumulated")));
    m_data->pages()->setCurrentIndex(prefs.Integer(QStringLiteral("RecentDataShow")));
    m_graph->applySettings();
    addWindowMenuItems();
    if (m_engine.DeviceTable().empty()) {
        // With nothing to monitor, the device list is the place to start.
        QFont bold = m_deviceList->font();
        bold.setBold(true);
        m_deviceList->setFont(bold);
    }
    show();
    // Windows stored minimised line up once the area is shown.
    QMetaObject::invokeMethod(this, &MainWindow::keepIconRowClear, Qt::QueuedConnection);
}

QRect MainWindow::childArea()
{
    // Laid out now, the frame gives its central part the size it will have
    // when shown.
    ensurePolished();
    layout()->activate();
    const int frame = m_mdi->frameWidth();
    return QRect(QPoint(0, 0), m_mdi->size() - QSize(2 * frame, 2 * frame));
}

QRect MainWindow::arrangeableArea()
{
    // The whole area, whether or not scroll bars show now.
    QRect area(QPoint(0, 0), m_mdi->contentsRect().size());
    for (QMdiSubWindow *frame : m_mdi->subWindowList()) {
        if (frame->isVisible() && frame->isMinimized()) {
            area.setBottom(std::min(area.bottom(), frame->geometry().top() - 1));
        }
    }
    return area;
}

void MainWindow::keepIconRowClear()
{
    const QRect viewport = m_mdi->viewport()->rect();
    const int rowTop = arrangeableArea().bottom() + 1;
    const QList<QMdiSubWindow *> frames = m_mdi->subWindowList();
    if (rowTop > viewport.bottom()) {
        for (auto it = m_shortened.cbegin(); it != m_shortened.cend(); ++it) {
            QMdiSubWindow *frame = it.key();
            if (frames.contains(frame) && frame->geometry() == it->after)
                frame->setGeometry(it->before);
        }
        m_shortened.clear();
        return;
    }
    for (QMdiSubWindow *frame : frames) {
        if (!frame->isVisible() || frame->isMinimized() || frame->isMaximized())
            continue;
        const QRect before = frame->geometry();
        const QRect after = ClearOfIconRow(before, LeastSize(frame), rowTop, viewport.top());
        if (after == before)
            continue;
        frame->setGeometry(after);
        const auto known = m_shortened.constFind(frame);
        m_shortened.insert(
            frame, {known != m_shortened.cend() && known->after == before ? known->before : before,
                    after});
    }
}

QList<QRect>
MainWindow::besideScrollBars(QRect area,
                             const std::function<QList<QRect>(const QRect &)> &layOut) const
{
    QList<QRect> places = layOut(area);
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_mdi);
    const auto runPast = [&](auto edge) {
        return std::any_of(places.cbegin(), places.cend(),
                           [&](const QRect &place) { return edge(place) > edge(area); });
    };
    if (runPast([](const QRect &r) { return r.bottom(); })) {
        area.setRight(area.right() - scrollBar);
        places = layOut(area);
    }
    if (runPast([](const QRect &r) { return r.right(); })) {
        area.setBottom(area.bottom() - scrollBar);
        places = layOut(area);
    }
    return places;
}

void MainWindow::arrangeChildren(Arrangement arrangement)
{
    QList<QMdiSubWindow *> frames;
    QList<QSize> minimums;
    for (QMdiSubWindow *frame : m_mdi->subWindowList()) {
        if (frame->isVisible() && !frame->isMinimized()) {
            frames << frame;
            minimums << LeastSize(frame);
        }
    }
    const QRect area = arrangeableArea();
    const int titleHeight = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    const auto layOut = [&](const QRect &room) {
        return arrangement == Arrangement::Cascade
                   ? CascadeLayout(room, minimums, titleHeight)
                   : TileLayout(room, minimums,
                                arrangement == Arrangement::TileVertical ? Qt::Horizontal
                                                                         : Qt::Vertical);
    };
    const QList<QRect> places = besideScrollBars(area, layOut);
    for (int k = 0; k < frames.size(); ++k) {
        if (frames[k]->isMaximized())
            frames[k]->showNormal();
        frames[k]->setGeometry(places[k]);
    }
    // Arranged anew, none has a height of its own to get back.
    m_shortened.clear();
    if (arrangement == Arrangement::Cascade && !frames.isEmpty())
        m_mdi->setActiveSubWindow(frames.last());
}

void MainWindow::storePlacements()
{
    Preferences &prefs = m_engine.Prefs();
    prefs.SetPlacement(AppWindow::Main, CurrentPlacement(this, m_normalPlacement));
    for (const auto &[child, window] : placedChildren())
        prefs.SetPlacement(window, CurrentPlacement(frameOf(child), prefs.Placement(window)));
}

void MainWindow::bringToFront()
{
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}

int MainWindow::selectedDevice() const
{
    return m_deviceBox->currentIndex();
}

void MainWindow::selectDevice(int device)
{
    m_deviceBox->setCurrentIndex(device);
}

void MainWindow::CBFILChange()
{
    const int device = selectedDevice();
    if (!showStationOf(device))
        return;
    filterFollows(device);
    refreshDisplays(device);
}

bool MainWindow::showStationOf(int device)
{
    m_data->clearValues();
    if (m_engine.InvalidDevice(device))
        return false;
    const TDevice &d = m_engine.DeviceTable()[device];
    m_pause->setChecked(d.Paused);
    if (d.StationActive) {
        m_data->AddToVLEA(QStringLiteral("Actual Station"), d.Station.Name);
        m_data->AddToVLEA(QStringLiteral("Measuring Mode countdown"),
                          QString::number(d.MeasuringCountdown));
        m_data->AddToVLEA(QStringLiteral("RDS Mode countdown"), QString::number(d.RDSCountdown));
        m_led->setText(LedFrequencyText(d.Station.Frequency));
    } else {
        m_data->AddToVLEA(QStringLiteral("Actual Station"), QString());
        m_led->setText(QStringLiteral("0.00"));
    }
    return true;
}

void MainWindow::filterFollows(int device)
{
    const double uptimeSeconds = (m_engine.clock().now() - m_engine.Globals().StartTime) * 86400.0;
    if (std::floor(uptimeSeconds + 1e-6) > FilterFollowsAfterSeconds &&
        m_activity->filterIndex() > 0)
        m_activity->setFilterIndex(device + 1);
}

void MainWindow::refreshDisplays(int device)
{
    showValues(device);
    m_graph->repaintPlot();
    if (m_data->pages()->currentIndex() == RecentDataWindow::HistogramPage)
        m_data->repaintHistogram();
    m_data->ResetBars();
    m_data->rdsPanel()->Invalidate();
}

void MainWindow::showValues(int device)
{
    for (const TLastData &entry : m_engine.DeviceTable()[device].LastData)
        m_data->AddToVLEA(entry.Name, entry.Value);
}

void MainWindow::onDevicesChanged(const QList<DeviceNews> &news)
{
    const int selected = selectedDevice();
    for (const DeviceNews &n : news) {
        if (m_engine.InvalidDevice(n.device))
            continue;
        if (n.has(Registered)) {
            m_deviceBox->addItem(m_engine.DeviceTable()[n.device].Name);
            m_activity->addDevice(m_engine.DeviceTable()[n.device].Name);
            if (m_deviceBox->count() == 1) {
                m_deviceBox->setCurrentIndex(0);
                CBFILChange();
            }
        }
        if (n.device != selected)
            continue;
        if (n.has(Stopped)) {
            CBFILChange();
        } else if (n.has(Tuned)) {
            // The tuning cleared the device's data; what arrives is shown as
            // it comes, so only the station and the meters start afresh.
            m_data->ResetBars();
            showStationOf(n.device);
        }
        if (n.has(ResponsesRead))
            showValues(n.device);
        if (n.has(HistogramStored) &&
            m_data->pages()->currentIndex() == RecentDataWindow::HistogramPage)
            m_data->repaintHistogram();
        if (n.has(PauseChanged))
            m_pause->setChecked(m_engine.DeviceTable()[n.device].Paused);
        if (n.has(RdsChanged))
            m_data->rdsPanel()->Invalidate();
    }
}

void MainWindow::onStationsChanged()
{
    m_stationBox->clear();
    for (const TStation &station : m_engine.StationTable())
        m_stationBox->addItem(StationBoxText(station));
    m_stationBox->setCurrentIndex(m_stationBox->count() > 0 ? 0 : -1);
}

void MainWindow::onStatusTicked(bool secondPassed)
{
    const TrafficTotals totals = m_engine.Traffic(m_activity->filterIndex());
    m_activity->setStatistic(0, QString::number(totals.sent));
    m_activity->setStatistic(1, QString::number(totals.received));
    if (!secondPassed)
        return;
    m_activity->setStatistic(2, m_engine.UptimeText());
    m_data->rdsPanel()->SecondPassed();
    const int device = selectedDevice();
    if (m_engine.InvalidDevice(device))
        return;
    const TDevice &d = m_engine.DeviceTable()[device];
    m_data->AddToVLEA(QStringLiteral("Measuring Mode countdown"),
                      CountdownText(d.MeasuringCountdown, d.Paused));
    m_data->AddToVLEA(QStringLiteral("RDS Mode countdown"),
                      CountdownText(d.RDSCountdown, d.Paused));
}

void MainWindow::ToolButton12Click()
{
    const int device = selectedDevice();
    if (m_engine.InvalidDevice(device)) {
        m_pause->setChecked(false);
        return;
    }
    m_engine.TogglePause(device);
    m_pause->setChecked(m_engine.DeviceTable()[device].Paused);
}

void MainWindow::ToolButton15Click()
{
    const int device = selectedDevice();
    if (!m_engine.InvalidDevice(device))
        m_engine.StopByUser(device);
}

void MainWindow::ToolButton11Click()
{
    m_engine.LaunchDecoder(false);
}

void MainWindow::ToolButton17Click()
{
    const int station = m_stationBox->currentIndex();
    if (m_engine.InvalidStation(station))
        return;
    const QString message = m_engine.TuneStation(station);
    if (!message.isEmpty()) {
        QMessageBox::information(this, windowTitle(),
                                 QString(message).replace(QLatin1Char('\r'), QLatin1Char('\n')));
        return;
    }
    // The tuning is told first, so the displays see the new station.
    m_engine.Announce();
    const int device = m_engine.FindDeviceID(m_engine.StationTable()[station].DeviceName);
    selectDevice(device);
    CBFILChange();
    m_activity->setFilterIndex(device + 1);
}

QString MainWindow::runSaveDialog()
{
    return AskPictureFileName(this, m_engine.FolderPaths().DataFolder);
}

bool MainWindow::saveGraph(const QString &fileName)
{
    return m_graph->saveGraph(fileName);
}

bool MainWindow::saveHistogram(const QString &fileName)
{
    return m_data->saveHistogram(fileName);
}

bool MainWindow::saveScreenshot(const QString &fileName)
{
    repaint();
    // The screen holds the frame and title the window manager draws; where
    // there is no screen to read (offscreen, some Wayland sessions) the
    // window's own contents are what can be saved.
    QPixmap picture;
    if (QScreen *shown = screen(); shown && isVisible())
        picture = shown->grabWindow(0, frameGeometry().x() - shown->geometry().x(),
                                    frameGeometry().y() - shown->geometry().y(),
                                    frameGeometry().width(), frameGeometry().height());
    if (picture.isNull())
        picture = grab();
    return SaveImageFile(picture.toImage(), fileName);
}

void MainWindow::savePictureAs(bool (MainWindow::*save)(const QString &))
{
    const QString file = runSaveDialog();
    if (!file.isEmpty() && !(this->*save)(file))
        throw EngineError(QString(QStringLiteral("Cannot write ") + file).toStdString());
}

void MainWindow::SaveGraph2Click()
{
    savePictureAs(&MainWindow::saveGraph);
}

void MainWindow::SaveGraph1Click()
{
    savePictureAs(&MainWindow::saveHistogram);
}

void MainWindow::SaveScreenshot1Click()
{
    savePictureAs(&MainWindow::saveScreenshot);
}

void MainWindow::SaveSettings1Click()
{
    storePlacements();
    m_engine.SaveSettings();
}

void MainWindow::DataFolder1Click()
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(m_engine.FolderPaths().DataFolder));
}

void MainWindow::PdfManual1Click()
{
    // Beside the program when run from its build, with the documentation
    // when installed from the package.
    const QStringList places = {m_engine.FolderPaths().ExeFolder,
                                QStringLiteral("/usr/share/doc/vantor/")};
    for (const QString &folder : places) {
        if (const QString manual = folder + QStringLiteral("vantor.pdf");
            QFileInfo::exists(manual)) {
            if (!ShellOpen(manual, QString(), folder))
                QMessageBox::warning(this, windowTitle(),
                                     QStringLiteral("The manual %1 could not be opened.")
                                         .arg(QDir::toNativeSeparators(manual)));
            return;
        }
    }
    QMessageBox::information(
        this, windowTitle(),
        QStringLiteral("The manual vantor.pdf is neither in the program "
                       "folder %1 nor in %2.")
            .arg(QDir::toNativeSeparators(places[0]), QDir::toNativeSeparators(places[1])));
}

void MainWindow::About1Click()
{
    AboutBox(this).exec();
}

void MainWindow::noteNormalPlacement()
{
    if (isVisible() && windowState() == Qt::WindowNoState)
        m_normalPlacement = CurrentPlacement(this, m_normalPlacement);
}

void MainWindow::moveEvent(QMoveEvent *event)
{
    QMainWindow::moveEvent(event);
    noteNormalPlacement();
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    noteNormalPlacement();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    storePlacements();
    if (m_closeHandler && !m_closeHandler()) {
        event->ignore();
        return;
    }
    event->accept();
}

} // namespace vantor
