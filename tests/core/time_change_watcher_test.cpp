#include "system_clock_setting.h"
#include "test_support.h"
#include "time_change_watcher.h"

#include <gtest/gtest.h>

#include <cerrno>

using namespace vantor;
using namespace vantor::test;

TEST(TimeChangeWatcher, StaysQuietWhileTheClockRunsOnByItself)
{
    TimeChangeWatcher watcher;
    ASSERT_TRUE(watcher.isActive());
    int changes = 0;
    QObject::connect(&watcher, &TimeChangeWatcher::timeChanged, [&] { ++changes; });
    EXPECT_FALSE(waitFor([&] { return changes > 0; }, 300));
}

TEST(TimeChangeWatcher, SignalsWhenTheClockIsSetAndKeepsWatching)
{
    if (const QString reason = ClockSettingSkipReason(); !reason.isEmpty())
        GTEST_SKIP() << qPrintable(reason);
    TimeChangeWatcher watcher;
    ASSERT_TRUE(watcher.isActive());
    int changes = 0;
    QObject::connect(&watcher, &TimeChangeWatcher::timeChanged, [&] { ++changes; });

    if (!SetClockToNow())
        GTEST_SKIP() << "setting the clock is not permitted here (errno " << errno << ")";
    EXPECT_TRUE(waitFor([&] { return changes == 1; }));
    ASSERT_TRUE(SetClockToNow());
    EXPECT_TRUE(waitFor([&] { return changes == 2; }));
}
