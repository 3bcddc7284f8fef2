#include "open_file_limit.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <sys/resource.h>

TEST(OpenFileLimit, TheSoftLimitIsRaisedToTheHardOne)
{
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &before), 0);
    if (before.rlim_max == RLIM_INFINITY)
        GTEST_SKIP() << "no hard limit to raise to";
    rlimit lowered = before;
    lowered.rlim_cur = std::min<rlim_t>(before.rlim_max, 256);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &lowered), 0);

    const long now = vantor::RaiseOpenFileLimit();
    rlimit after{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &after), 0);
    EXPECT_EQ(after.rlim_cur, before.rlim_max);
    EXPECT_EQ(static_cast<rlim_t>(now), after.rlim_cur);
}
