#include "data_array.h"
#include "grid_pattern.h"
#include "line_clip.h"

#include <gtest/gtest.h>

#include <limits>

namespace vantor {
namespace {

std::vector<bool> Dots(int count, int style)
{
    std::vector<bool> set(static_cast<std::size_t>(count), false);
    for (const DotRun &run : GridDotRuns(count, style)) {
        for (int i = run.first; i < run.first + run.count; ++i)
            set[static_cast<std::size_t>(i)] = true;
    }
    return set;
}

TEST(GridPattern, AndRule)
{
    for (const int style : {-1, 0, 1, 4, 5, 7}) {
        const std::vector<bool> set = Dots(40, style);
        for (int i = 0; i < 40; ++i) {
            const bool expected = style == 0 || (style > 0 && (i & style) == 0);
            EXPECT_EQ(set[static_cast<std::size_t>(i)], expected) << style << " " << i;
        }
    }
    EXPECT_EQ(GridDotRuns(16, 4).size(), 2u); // runs of four dots, four gaps
    EXPECT_EQ(GridDotRuns(16, 7).size(), 2u); // one dot in eight
}

TEST(LineClip, Cases)
{
    const QRectF rect(10, 10, 100, 50); // x 10 ... 110, y 10 ... 60
    struct Case {
        QPointF a, b;
        bool visible;
        QPointF ca, cb;
    };
    const Case cases[] = {
        {{20, 20}, {30, 30}, true, {20, 20}, {30, 30}},   // inside
        {{60, 30}, {60, -100}, true, {60, 30}, {60, 10}}, // leaves at the top
        {{0, 30}, {200, 30}, true, {10, 30}, {110, 30}},  // crosses both sides
        {{0, 0}, {5, 100}, false, {}, {}},                // passes left of it
        {{0, 5}, {20, 5}, false, {}, {}},                 // above it, level
        {{0, 20}, {20, 0}, true, {10, 10}, {10, 10}},     // touches a corner
        {{10, 60}, {110, 60}, true, {10, 60}, {110, 60}}, // along the edge
    };
    for (const Case &c : cases) {
        QPointF a = c.a;
        QPointF b = c.b;
        ASSERT_EQ(ClipSegment(a, b, rect), c.visible) << c.a.x() << "," << c.a.y();
        if (c.visible) {
            EXPECT_NEAR(a.x(), c.ca.x(), 1e-9);
            EXPECT_NEAR(a.y(), c.ca.y(), 1e-9);
            EXPECT_NEAR(b.x(), c.cb.x(), 1e-9);
            EXPECT_NEAR(b.y(), c.cb.y(), 1e-9);
        }
    }
    QPointF a(20, 20);
    QPointF b(std::numeric_limits<double>::infinity(), 20);
    EXPECT_FALSE(ClipSegment(a, b, rect));
}

TEST(DataArray, NewDataArrayLayout)
{
    Tdatatype data(2, std::vector<float>(9, 7.0f)); // leftovers of an earlier use
    NewDataArray(data, 3, 2);
    const Tdatatype expected{{0, 1, 2}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}};
    EXPECT_EQ(data, expected);
    EXPECT_EQ(FirstDataRow(data), 1);
    data[0][0] = 1;
    EXPECT_EQ(FirstDataRow(data), 8);
    NewDataArray(data, 0, 1);
    EXPECT_EQ(data, (Tdatatype{{0, 1}}));
}

} // namespace
} // namespace vantor
