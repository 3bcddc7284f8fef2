// The recent data list: order of first arrival, values replaced in place, the
// bound on unknown names and its refusal count, the place every known name
// keeps, and a clear that starts afresh.
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

TEST(RecentDataList, WritesInPlaceWithoutChangingACopyAReaderHolds)
{
    RecentDataList list;
    constexpr int Slot = 3;
    const QString *stored = list.Write(QStringLiteral("MAX"), QLatin1StringView("75.0"), Slot);
    ASSERT_NE(stored, nullptr);
    const QString held = *stored;
    const QString *again = list.Write(QStringLiteral("MAX"), QLatin1StringView("101.25"), Slot);
    EXPECT_EQ(again, stored) << "the same entry";
    EXPECT_EQ(*again, QStringLiteral("101.25"));
    EXPECT_EQ(held, QStringLiteral("75.0")) << "a reader's copy keeps its text";
    list.Write(QStringLiteral("MAX"), QLatin1StringView("7"), Slot);
    EXPECT_EQ(*list.Find(QStringLiteral("MAX")), QStringLiteral("7")) << "a shorter value";

    // A name set through its slot and by name alone is one entry.
    EXPECT_TRUE(list.Set(QStringLiteral("MAX"), QStringLiteral("80.0")));
    EXPECT_TRUE(list.Set(QStringLiteral("PI"), QStringLiteral("D3C3"), Slot + 1));
    list.Write(QStringLiteral("PI"), QLatin1StringView("D3C4"), Slot + 1);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(*list.Find(QStringLiteral("MAX")), QStringLiteral("80.0"));
    EXPECT_EQ(*list.Find(QStringLiteral("PI")), QStringLiteral("D3C4"));

    // After a clear the slots point nowhere: the first name to arrive is
    // the first entry, whatever slot its name had before.
    list.Clear();
    list.Write(QStringLiteral("PI"), QLatin1StringView("1234"), Slot + 1);
    list.Write(QStringLiteral("MAX"), QLatin1StringView("60.0"), Slot);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].Name, QStringLiteral("PI"));
    EXPECT_EQ(list[1].Value, QStringLiteral("60.0"));
}

TEST(RecentDataList, NamesWithASlotAlwaysHaveTheirPlace)
{
    RecentDataList list;
    for (int n = 0; n < RecentDataList::MaxEntries; ++n)
        ASSERT_TRUE(list.Set(QStringLiteral("Junk%1").arg(n), QStringLiteral("v")));
    EXPECT_FALSE(list.Set(QStringLiteral("Junk"), QStringLiteral("v")));
    EXPECT_EQ(list.Write(QStringLiteral("Junk"), QLatin1StringView("v")), nullptr);
    // Every slot's name still finds its place, by Set and by Write.
    for (int slot = 0; slot < RecentDataList::KnownSlots; ++slot) {
        const QString name = QStringLiteral("Known%1").arg(slot);
        if (slot % 2)
            EXPECT_TRUE(list.Set(name, QStringLiteral("k"), slot)) << slot;
        else
            EXPECT_NE(list.Write(name, QLatin1StringView("k"), slot), nullptr) << slot;
    }
    EXPECT_EQ(list.size(), std::size_t(RecentDataList::MaxEntries + RecentDataList::KnownSlots));
    EXPECT_EQ(*list.Find(QStringLiteral("Known31")), QStringLiteral("k"));
    EXPECT_EQ(list.Refused(), 2) << "only unknown names are refused";

    // Names with a slot do not use up the room of unknown ones.
    list.Clear();
    for (int slot = 0; slot < RecentDataList::KnownSlots; ++slot)
        list.Set(QStringLiteral("Known%1").arg(slot), QStringLiteral("k"), slot);
    for (int n = 0; n < RecentDataList::MaxEntries; ++n)
        ASSERT_TRUE(list.Set(QStringLiteral("Junk%1").arg(n), QStringLiteral("v"))) << n;
    EXPECT_FALSE(list.Set(QStringLiteral("Junk"), QStringLiteral("v")));
}
