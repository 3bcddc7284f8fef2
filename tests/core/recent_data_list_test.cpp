// The recent data list: order of first arrival, values replaced in place, the
// bound on names and its refusal count, and a clear that starts afresh.
#include "recent_data_list.h"

#include <gtest/gtest.h>

using namespace vantor;

TEST(RecentDataList, KeepsOrderOfFirstArrivalAndReplacesInPlace)
{
    RecentDataList list;
    EXPECT_TRUE(list.Set(QStringLiteral("MAX"), QStringLiteral("75 kHz")));
    EXPECT_TRUE(list.Set(QStringLiteral("PI"), QStringLiteral("D3C3")));
    EXPECT_TRUE(list.Set(QStringLiteral("MAX"), QStringLiteral("76 kHz")));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].Name, QStringLiteral("MAX"));
    EXPECT_EQ(list[0].Value, QStringLiteral("76 kHz"));
    EXPECT_EQ(list[1].Name, QStringLiteral("PI"));
    ASSERT_NE(list.Find(QStringLiteral("PI")), nullptr);
    EXPECT_EQ(*list.Find(QStringLiteral("PI")), QStringLiteral("D3C3"));
    EXPECT_EQ(list.Find(QStringLiteral("pi")), nullptr) << "names compare exactly";
}

TEST(RecentDataList, RefusesNewNamesWhenFullUntilCleared)
{
    RecentDataList list;
    for (int n = 0; n < RecentDataList::MaxEntries; ++n)
        ASSERT_TRUE(list.Set(QString::number(n), QStringLiteral("v")));
    EXPECT_FALSE(list.Set(QStringLiteral("new"), QStringLiteral("v")));
    EXPECT_FALSE(list.Set(QStringLiteral("newer"), QStringLiteral("v")));
    EXPECT_TRUE(list.Set(QStringLiteral("0"), QStringLiteral("w"))) << "known names still update";
    EXPECT_EQ(list.Refused(), 2);
    EXPECT_EQ(list.Find(QStringLiteral("new")), nullptr);

    list.Clear();
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(list.Refused(), 0);
    EXPECT_EQ(list.Find(QStringLiteral("0")), nullptr);
    EXPECT_TRUE(list.Set(QStringLiteral("new"), QStringLiteral("v")));
    EXPECT_EQ(list[0].Name, QStringLiteral("new"));
}
