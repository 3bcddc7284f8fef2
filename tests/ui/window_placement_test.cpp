// Stored placements: off-screen layouts come back onto the primary screen; a
// maximised or minimised window keeps its last normal placement.
#include "window_placement.h"

#include <QWidget>
#include <gtest/gtest.h>

using namespace vantor;

TEST(WindowPlacement, APlacementOffEveryScreenComesBackToThePrimary)
{
    const QRect primary(0, 0, 1280, 800);
    const QRect second(1280, 0, 1920, 1080);
    struct Case {
        QRect wanted;
        QRect shown;
    };
    const Case cases[] = {
        {{10, 10, 980, 700}, {10, 10, 980, 700}},       // on the primary
        {{2000, 100, 800, 600}, {2000, 100, 800, 600}}, // on the second
        {{1250, 100, 800, 600}, {1250, 100, 800, 600}}, // across both
        {{3500, 100, 800, 600}, {0, 0, 800, 600}},      // right of everything
        {{-900, 10, 800, 600}, {0, 0, 800, 600}},       // left of everything
    };
    for (const Case &c : cases)
        EXPECT_EQ(PlacementOnScreens(c.wanted, {primary, second}, primary), c.shown)
            << c.wanted.x();
    // A sliver at the edge of the only screen is not enough to take hold of.
    EXPECT_EQ(PlacementOnScreens({1275, 795, 800, 600}, {primary}, primary), QRect(0, 0, 800, 600));
    // Larger than the screen it is on (a larger scale than when stored):
    // shrunk to the screen and kept on it.
    EXPECT_EQ(PlacementOnScreens({10, 10, 1960, 1400}, {primary}, primary), primary);
    EXPECT_EQ(PlacementOnScreens({1400, 50, 1960, 700}, {primary, second}, primary),
              QRect(1280, 50, 1920, 700));
    // Larger than the primary: shrunk to it.
    EXPECT_EQ(PlacementOnScreens({5000, 0, 2560, 1440}, {primary}, primary), primary);
}

TEST(WindowPlacement, AMaximisedWindowKeepsItsLastNormalPlacement)
{
    QWidget window;
    window.move(40, 50);
    window.resize(300, 200);
    window.show();
    WindowPlacement previous{7, 8, 9, 10, WindowNormal};
    WindowPlacement normal = CurrentPlacement(&window, previous);
    EXPECT_EQ(normal.state, WindowNormal);
    EXPECT_EQ(normal.width, 300);
    EXPECT_EQ(normal.height, 200);

    window.showMaximized();
    const WindowPlacement maximised = CurrentPlacement(&window, normal);
    EXPECT_EQ(maximised.state, WindowMaximised);
    EXPECT_EQ(maximised.width, 300);
    EXPECT_EQ(maximised.left, normal.left);

    window.showMinimized();
    EXPECT_EQ(CurrentPlacement(&window, normal).state, WindowMinimised);
}
