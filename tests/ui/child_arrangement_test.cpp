// Where the child windows go: the first-start layout keeps them apart and
// inside the area, Tile and Cascade keep each at its minimum size and leave
// minimised windows where they are, the row of minimised windows covers no
// other; stored placements win over the layout.
#include "alarm_details_window.h"
#include "child_arrangement.h"
#include "graph_window.h"
#include "window_fixture.h"

#include <QAction>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QTableWidget>

using namespace vantor;

namespace {
bool NoneOverlaps(const QList<QRect> &places)
{
    for (int a = 0; a < places.size(); ++a)
        for (int b = a + 1; b < places.size(); ++b)
            if (places[a].intersects(places[b]))
                return false;
    return true;
}
} // namespace

TEST(ChildArrangement, TheFirstStartLayoutKeepsTheWindowsApartAndAtTheirMinimums)
{
    const QRect area(0, 0, 970, 560);
    struct Case {
        const char *what;
        QList<ChildSizes> children;
    };
    const Case cases[] = {
        {"all fit",
         {{{500, 300}, {300, 200}},
          {{400, 250}, {200, 100}},
          {{500, 200}, {300, 150}},
          {{400, 200}, {300, 150}}}},
        {"wanted too large",
         {{{700, 400}, {560, 340}},
          {{700, 300}, {300, 150}},
          {{800, 250}, {400, 150}},
          {{500, 400}, {400, 200}}}},
        {"minimums too large",
         {{{900, 600}, {800, 500}},
          {{900, 600}, {800, 500}},
          {{900, 600}, {800, 500}},
          {{900, 600}, {800, 500}}}},
    };
    for (const Case &c : cases) {
        const QList<QRect> places = FirstStartLayout(area, c.children);
        ASSERT_EQ(places.size(), 4) << c.what;
        EXPECT_TRUE(NoneOverlaps(places)) << c.what;
        for (int k = 0; k < 4; ++k) {
            EXPECT_GE(places[k].width(), c.children[k].minimum.width()) << c.what << k;
            EXPECT_GE(places[k].height(), c.children[k].minimum.height()) << c.what << k;
            EXPECT_TRUE(places[k].topLeft() == area.topLeft() || area.contains(places[k].topLeft()))
                << c.what << k;
        }
    }
    // Where the minimums allow, inside the area.
    for (const Case &c : {cases[0], cases[1]})
        for (const QRect &place : FirstStartLayout(area, c.children))
            EXPECT_TRUE(area.contains(place)) << c.what;
    // Room for what each wants: each gets at least that.
    const QList<QRect> roomy = FirstStartLayout(area, cases[0].children);
    for (int k = 0; k < 4; ++k) {
        EXPECT_GE(roomy[k].width(), cases[0].children[k].wanted.width()) << k;
        EXPECT_GE(roomy[k].height(), cases[0].children[k].wanted.height()) << k;
    }
}

TEST(ChildArrangement, TilingAndCascadingKeepEveryMinimumSize)
{
    const QRect area(0, 0, 900, 500);
    const QList<QSize> minimums = {{100, 100}, {420, 300}, {100, 100}};
    const QList<QRect> across = TileLayout(area, minimums, Qt::Horizontal);
    EXPECT_TRUE(NoneOverlaps(across));
    EXPECT_EQ(across[0], QRect(0, 0, 300, 500));
    EXPECT_EQ(across[1], QRect(300, 0, 420, 500)); // its minimum, more than a third
    EXPECT_EQ(across[2].width(), 180);             // what is left over
    const QList<QRect> down = TileLayout(area, minimums, Qt::Vertical);
    EXPECT_TRUE(NoneOverlaps(down));
    EXPECT_EQ(down[1].height(), 300);
    for (int k = 0; k < 3; ++k)
        EXPECT_TRUE(down[k].size().expandedTo(minimums[k]) == down[k].size()) << k;
    const QList<QRect> cascade = CascadeLayout(area, minimums, 24);
    EXPECT_EQ(cascade[2].topLeft(), QPoint(48, 48));
    EXPECT_EQ(cascade[0].size(), QSize(852, 452));
    const QList<QRect> cramped = CascadeLayout(QRect(0, 0, 300, 200), minimums, 24);
    EXPECT_EQ(cramped[1].size(), QSize(420, 300));
}

TEST(ChildArrangement, AWindowReachingIntoTheIconRowEndsAboveIt)
{
    const int rowTop = 500;
    struct Case {
        const char *what;
        QRect place;
        QSize minimum;
        QRect expected;
    };
    const Case cases[] = {
        {"above the row", {0, 100, 300, 400}, {100, 100}, {0, 100, 300, 400}},
        {"shortened", {0, 300, 300, 260}, {100, 100}, {0, 300, 300, 200}},
        {"moved up at its minimum", {0, 450, 300, 260}, {100, 150}, {0, 350, 300, 150}},
        {"all below the row", {0, 520, 300, 100}, {100, 50}, {0, 400, 300, 100}},
        {"taller than the room", {0, 0, 300, 700}, {100, 600}, {0, 0, 300, 600}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ClearOfIconRow(c.place, c.minimum, rowTop, 0), c.expected) << c.what;
}

class ArrangementTest : public test::WindowFixture
{};

TEST_F(ArrangementTest, AtTheFirstStartNoChildCoversAnother)
{
    window.resize(980, 700);
    window.show();
    QList<QRect> places;
    const QRect area = window.mdiArea()->viewport()->rect();
    for (QMdiSubWindow *frame : window.mdiArea()->subWindowList()) {
        places << frame->geometry();
        // Inside the frame's area, and nothing squashed below its least size.
        EXPECT_TRUE(area.contains(frame->geometry())) << frame->windowTitle().toStdString();
        EXPECT_GE(frame->width(), frame->minimumSizeHint().width());
        EXPECT_GE(frame->height(), frame->minimumSizeHint().height());
    }
    ASSERT_EQ(places.size(), 4);
    EXPECT_TRUE(NoneOverlaps(places));
    // The Graph Window's options and every column of Alarm Details in view.
    const QMdiSubWindow *graph = window.frameOf(window.graphWindow());
    EXPECT_GE(graph->height(), graph->sizeHint().height());
    const QTableWidget *grid = window.alarmDetails()->grid();
    EXPECT_LE(grid->horizontalHeader()->length(), grid->viewport()->width());
}

TEST_F(ArrangementTest, TilingLeavesMinimisedWindowsMinimisedAndKeepsMinimumSizes)
{
    // Room for every minimum in either direction.
    window.resize(1500, 1000);
    window.show();
    QList<QMdiSubWindow *> frames = window.mdiArea()->subWindowList();
    frames[0]->showMinimized();
    for (const char *name : {"iles1", "ileVertical1", "Cascade1"}) {
        window.findChild<QAction *>(QLatin1String(name))->trigger();
        EXPECT_TRUE(frames[0]->isMinimized()) << name;
        QList<QRect> tiled;
        for (QMdiSubWindow *frame : frames.mid(1)) {
            EXPECT_FALSE(frame->isMinimized()) << name;
            EXPECT_GE(frame->width(), frame->minimumSizeHint().width()) << name;
            EXPECT_GE(frame->height(), frame->minimumSizeHint().height()) << name;
            tiled << frame->geometry();
            // The minimised window's row stays uncovered.
            EXPECT_FALSE(frame->geometry().intersects(frames[0]->geometry())) << name;
        }
        if (QLatin1String(name) != QLatin1String("Cascade1")) {
            EXPECT_TRUE(NoneOverlaps(tiled)) << name;
        }
    }
}

TEST_F(ArrangementTest, AStoredPlacementWinsOverTheFirstStartLayout)
{
    ASSERT_TRUE(test::writeAll(Data() + QStringLiteral("/config.ini"),
                               "[General]\r\nForm5Top=33\r\nForm5Left=44\r\nForm5Width=500\r\n"
                               "Form5Height=400\r\n"));
    engine.LoadPreferences();
    window.applyPreferences();
    const QRect graph = window.frameOf(window.graphWindow())->geometry();
    EXPECT_EQ(graph, QRect(44, 33, 500, 400));
}

TEST_F(ArrangementTest, AMainWindowClosedMaximisedKeepsItsLastNormalPlacement)
{
    window.move(40, 50);
    window.resize(900, 650);
    window.showMaximized();
    window.storePlacements();
    const WindowPlacement stored = engine.Prefs().Placement(AppWindow::Main);
    EXPECT_EQ(stored.state, WindowMaximised);
    EXPECT_EQ(QRect(stored.left, stored.top, stored.width, stored.height), QRect(40, 50, 900, 650));
}

TEST_F(ArrangementTest, MinimisedWindowsLineUpAlongTheBottomCoveringNoOther)
{
    window.resize(1500, 1000);
    window.show();
    // Side by side, every window reaches down to the bottom.
    window.findChild<QAction *>(QStringLiteral("ileVertical1"))->trigger();
    const QList<QMdiSubWindow *> frames = window.mdiArea()->subWindowList();
    QList<QRect> tiled;
    for (QMdiSubWindow *frame : frames)
        tiled << frame->geometry();
    frames[0]->showMinimized();
    frames[2]->showMinimized();
    QCoreApplication::processEvents();
    const QRect area = window.mdiArea()->viewport()->rect();
    const QList<QMdiSubWindow *> icons = {frames[0], frames[2]};
    const QList<QMdiSubWindow *> shown = {frames[1], frames[3]};
    EXPECT_EQ(icons[0]->geometry().top(), icons[1]->geometry().top());
    EXPECT_FALSE(icons[0]->geometry().intersects(icons[1]->geometry()));
    for (QMdiSubWindow *icon : icons) {
        EXPECT_EQ(icon->geometry().bottom(), area.bottom()) << icon->windowTitle().toStdString();
        for (QMdiSubWindow *frame : shown) {
            EXPECT_FALSE(frame->geometry().intersects(icon->geometry()))
                << frame->windowTitle().toStdString();
            EXPECT_GE(frame->height(), frame->minimumSizeHint().height());
        }
    }
    // Shortened for the row, the windows get their height back when the row
    // goes.
    for (const int k : {1, 3}) {
        EXPECT_LT(frames[k]->height(), tiled[k].height()) << k;
        EXPECT_EQ(frames[k]->geometry().top(), tiled[k].top()) << k;
    }
    frames[0]->showNormal();
    frames[2]->showNormal();
    QCoreApplication::processEvents();
    for (int k = 0; k < frames.size(); ++k)
        EXPECT_EQ(frames[k]->geometry(), tiled[k]) << k;
}

TEST_F(ArrangementTest, SmallStoredPlacementsStillShowWhatTheWindowsNeed)
{
    // Saved in a small frame, or at a smaller font than now.
    ASSERT_TRUE(test::writeAll(
        Data() + QStringLiteral("/config.ini"),
        "[General]\r\nMainTop=10\r\nMainLeft=10\r\nMainWidth=850\r\nMainHeight=630\r\n"
        "Form2Top=300\r\nForm2Left=0\r\nForm2Width=300\r\nForm2Height=150\r\n"
        "Form3Top=0\r\nForm3Left=0\r\nForm3Width=300\r\nForm3Height=150\r\n"
        "Form4Top=0\r\nForm4Left=300\r\nForm4Width=250\r\nForm4Height=200\r\n"
        "Form5Top=300\r\nForm5Left=300\r\nForm5Width=300\r\nForm5Height=200\r\n"));
    engine.LoadPreferences();
    window.applyPreferences();
    QCoreApplication::sendPostedEvents();
    for (QMdiSubWindow *frame : window.mdiArea()->subWindowList()) {
        const QSize least = frame->minimumSizeHint();
        EXPECT_GE(frame->width(), least.width()) << frame->windowTitle().toStdString();
        EXPECT_GE(frame->height(), least.height()) << frame->windowTitle().toStdString();
    }
    QGroupBox *yAxis = nullptr;
    for (QGroupBox *box : window.graphWindow()->findChildren<QGroupBox *>())
        if (box->title() == QLatin1String("Y axis"))
            yAxis = box;
    ASSERT_NE(yAxis, nullptr);
    EXPECT_GE(yAxis->height(), yAxis->minimumSizeHint().height());
    // The kinds, their status and their limits in view.
    QTableWidget *grid = window.alarmDetails()->grid();
    EXPECT_LE(grid->columnViewportPosition(2) + grid->columnWidth(2), grid->viewport()->width());
}

TEST_F(ArrangementTest, WindowsTiledPastTheAreaLeaveRoomForItsScrollBar)
{
    // Four windows one above the other need more than this height.
    window.resize(980, 700);
    window.show();
    window.findChild<QAction *>(QStringLiteral("iles1"))->trigger();
    QCoreApplication::sendPostedEvents();
    QMdiArea *area = window.mdiArea();
    ASSERT_TRUE(area->verticalScrollBar()->isVisible());
    for (QMdiSubWindow *frame : area->subWindowList())
        EXPECT_LE(frame->geometry().right(), area->viewport()->rect().right())
            << frame->windowTitle().toStdString();
    EXPECT_FALSE(area->horizontalScrollBar()->isVisible());
}
