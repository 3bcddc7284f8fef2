// The main window (TForm1): the frame with its toolbar, menus and status bar,
// the area the child windows live in, and the displays that follow the device
// chosen in the device box.
#pragma once

#include "engine.h"

#include <QHash>
#include <QMainWindow>
#include <QRect>

#include <array>
#include <functional>
#include <utility>

class QAction;
class QComboBox;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QSystemTrayIcon;

namespace vantor {

class AlarmDetailsWindow;
class GraphWindow;
class LedDisplay;
class RecentActivityWindow;
class RecentDataWindow;

class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(Engine &engine, QWidget *parent = nullptr);
    ~MainWindow() override;

    // Runs the shut-down sequence when the window closes; false keeps it open.
    void setCloseHandler(std::function<bool()> handler) { m_closeHandler = std::move(handler); }

    // The settings-dependent part of start-up: placements and window choices,
    // the Window menu items; then the window is shown.
    void applyPreferences();
    // Window placements and choices into the preferences, before they are saved.
    void storePlacements();
    // Brings the window forward (a second start asked for it).
    void bringToFront();

    int selectedDevice() const;
    void selectDevice(int device);
    // The device box's change handler: the displays follow the device chosen.
    void CBFILChange();

    // Saves under fileName by the image-file rule.
    bool saveGraph(const QString &fileName);
    bool saveHistogram(const QString &fileName);
    bool saveScreenshot(const QString &fileName);

    // Brings the child window whose caption is the item's text (without "&")
    // to the front; nothing when none has it.
    void MDIShow(const QString &itemText);

    QMdiArea *mdiArea() const { return m_mdi; }
    QComboBox *deviceBox() const { return m_deviceBox; }
    QComboBox *stationBox() const { return m_stationBox; }
    LedDisplay *led() const { return m_led; }
    QAction *pauseAction() const { return m_pause; }
    QAction *stopAction() const { return m_stop; }
    QAction *tuneAction() const { return m_tune; }
    QMenu *windowMenu() const { return m_windowMenu; }
    RecentActivityWindow *recentActivity() const { return m_activity; }
    RecentDataWindow *recentData() const { return m_data; }
    GraphWindow *graphWindow() const { return m_graph; }
    AlarmDetailsWindow *alarmDetails() const { return m_alarms; }
    QMdiSubWindow *frameOf(QWidget *child) const;
    // The notification-area icon, null where there is no tray.
    QSystemTrayIcon *trayIcon() const { return m_tray; }
    // The icon's double click: hides a shown window, shows a hidden one.
    void CiaTray1DblClick();

protected:
    void closeEvent(QCloseEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void createActions();
    // The editors, each opened by its menu item or toolbar button.
    void createEditors();
    void createToolBar();
    void createMenus();
    QMdiSubWindow *addChild(QWidget *child);
    // Tiles or cascades the child windows that are not minimised, below
    // which the minimised ones keep their row.
    enum class Arrangement { TileHorizontal, TileVertical, Cascade };
    void arrangeChildren(Arrangement arrangement);
    // The child area: the frame's central part, worked out before it is shown.
    QRect childArea();
    void addWindowMenuItems();
    // The child windows whose placement is kept, with their keys.
    std::array<std::pair<QWidget *, AppWindow>, 4> placedChildren() const;

    // The child area less the row the minimised windows line up in.
    QRect arrangeableArea();
    // The places layOut gives in area; where windows run past it, laid out
    // again in the room its scroll bars leave, so that none lies under one.
    QList<QRect> besideScrollBars(QRect area,
                                  const std::function<QList<QRect>(const QRect &)> &layOut) const;
    // Keeps the row of minimised windows from covering the others: those
    // reaching into it end above it, and get their height back once the row
    // is gone, unless the operator has placed them since.
    void keepIconRowClear();

    // The steps of CBFILChange. The values list starts afresh with the
    // device's station, and the LED and the Pause button follow it (all a
    // tuning needs); false for no device.
    bool showStationOf(int device);
    // After the first seconds of uptime the activity filter follows the
    // device chosen, unless it shows the application's lines.
    void filterFollows(int device);
    // The device's values, graph, histogram, bar meters and RDS page.
    void refreshDisplays(int device);

    void onDevicesChanged(const QList<DeviceNews> &news);
    void onStationsChanged();
    void onStatusTicked(bool secondPassed);
    void showValues(int device);

    void ToolButton12Click();
    void ToolButton15Click();
    void ToolButton11Click();
    void ToolButton17Click();
    void SaveGraph2Click();
    void SaveGraph1Click();
    void SaveScreenshot1Click();
    void SaveSettings1Click();
    void DataFolder1Click();
    void PdfManual1Click();
    void About1Click();
    // Runs the shared save dialog; the chosen name, or empty when cancelled.
    QString runSaveDialog();
    // Saves the picture under the name chosen; one that cannot be written is
    // an error of the handler, logged like any other.
    void savePictureAs(bool (MainWindow::*save)(const QString &));

    Engine &m_engine;
    std::function<bool()> m_closeHandler;
    QMdiArea *m_mdi;
    QComboBox *m_deviceBox = nullptr;
    QComboBox *m_stationBox = nullptr;
    LedDisplay *m_led = nullptr;
    QAction *m_pause = nullptr;
    QAction *m_stop = nullptr;
    QAction *m_runDecoder = nullptr;
    QAction *m_tune = nullptr;
    QAction *m_quickEntry = nullptr;
    QAction *m_preferences = nullptr;
    QAction *m_deviceList = nullptr;
    QAction *m_scheduler = nullptr;
    QAction *m_alarmSets = nullptr;
    QAction *m_stationList = nullptr;
    QAction *m_cascade = nullptr;
    QAction *m_tileHorizontal = nullptr;
    QAction *m_tileVertical = nullptr;
    QMenu *m_windowMenu = nullptr;
    QSystemTrayIcon *m_tray = nullptr;
    bool m_windowItemsAdded = false;
    struct ShortenedFrame {
        QRect before;
        QRect after;
    };
    QHash<QMdiSubWindow *, ShortenedFrame> m_shortened;
    // Where the window was last shown normal, kept while it is maximised or
    // minimised so that it comes back there at the next start.
    WindowPlacement m_normalPlacement;
    void noteNormalPlacement();
    RecentActivityWindow *m_activity;
    RecentDataWindow *m_data;
    GraphWindow *m_graph;
    AlarmDetailsWindow *m_alarms;
};

} // namespace vantor
