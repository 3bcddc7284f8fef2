#include "test_support.h"
#include "time_change_watcher.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <ctime>

using namespace vantor;

namespace {
// Sets the system clock to the time it already shows: a real "clock was set"
// event that moves the time by no more than the call takes.
bool SetClockToNow()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return clock_settime(CLOCK_REALTIME, &now) == 0;
}
} // namespace

TEST(TimeChangeWatcher, SignalsWhenTheClockIsSetAndKeepsWatching)
{
    TimeChangeWatcher watcher;
    ASSERT_TRUE(watcher.isActive());
    int changes = 0;
    QObject::connect(&watcher, &TimeChangeWatcher::timeChanged, [&] { ++changes; });

    // The clock running on by itself is no change.
    EXPECT_FALSE(vantor::test::waitFor([&] { return changes > 0; }, 300));

    if (!SetClockToNow())
        GTEST_SKIP() << "setting the clock is not permitted here (errno " << errno << ")";
    EXPECT_TRUE(vantor::test::waitFor([&] { return changes == 1; }));
    ASSERT_TRUE(SetClockToNow());
    EXPECT_TRUE(vantor::test::waitFor([&] { return changes == 2; }));
}
