#include "rds_groups.h"

#include <gtest/gtest.h>

using namespace vantor;

namespace {

int Mjd(const QDate &date)
{
    return static_cast<int>(date.toJulianDay() - 2400001);
}

// A type 4A group laid out as the RDS standard codes it, built here
// independently of the decoder under test.
QString ClockTimeGroup(int mjd, int hour, int minute, int halfHours, bool negative,
                       const char *pi = "D3C3")
{
    const int b = 0x4000 | ((mjd >> 15) & 0x3);
    const int c = ((mjd & 0x7FFF) << 1) | (hour >> 4);
    const int d = ((hour & 0xF) << 12) | (minute << 6) | (negative ? 0x20 : 0) | (halfHours & 0x1F);
    auto hex = [](int v) { return QStringLiteral("%1").arg(v, 4, 16, QLatin1Char('0')).toUpper(); };
    return QLatin1String(pi) + hex(b) + hex(c) + hex(d);
}

TDateTime At(int y, int mo, int d, int h, int mi, int s = 0)
{
    return ToDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

} // namespace

TEST(GroupConvert, CutsBlocksAndAcceptsOnlyGroupsWithBlockB)
{
    TGlobals g;
    EXPECT_FALSE(GroupConvert(QStringLiteral("D3C3----abcd12G4"), g)); // block B missing
    EXPECT_EQ(g.GroupBlockA, 0xD3C3);
    EXPECT_EQ(g.GroupBlockB, -1);
    EXPECT_EQ(g.GroupBlockC, 0xABCD);
    EXPECT_EQ(g.GroupBlockD, -1); // not hexadecimal

    EXPECT_TRUE(GroupConvert(QStringLiteral("----2400abcd1234"), g));
    EXPECT_EQ(g.GroupBlockA, -1);
    EXPECT_EQ(g.GroupBlockB, 0x2400);
    EXPECT_EQ(g.GroupBlockD, 0x1234);
    for (const char *bad : {"D3C32400abcd123", "D3C32400abcd12345", ""}) {
        EXPECT_FALSE(GroupConvert(QLatin1String(bad), g)) << bad;
        EXPECT_EQ(g.GroupBlockA, -1) << "blocks stay as they were";
        EXPECT_EQ(g.GroupBlockD, 0x1234);
    }
    // Signs and blanks are no hexadecimal digits.
    EXPECT_TRUE(GroupConvert(QStringLiteral("-1230400 12+FFFF"), g));
    EXPECT_EQ(g.GroupBlockA, -1);
    EXPECT_EQ(g.GroupBlockB, 0x0400);
    EXPECT_EQ(g.GroupBlockC, -1);
    EXPECT_EQ(g.GroupBlockD, 0xFFFF);
}

TEST(GetRDSDate, MatchesTheCalendarForEveryDayOfFiftyYears)
{
    for (QDate day(1990, 1, 1); day < QDate(2040, 1, 1); day = day.addDays(1))
        ASSERT_EQ(DatePart(GetRDSDate(Mjd(day))), day) << Mjd(day);
    EXPECT_EQ(DatePart(GetRDSDate(58849)), QDate(2020, 1, 1));
    EXPECT_EQ(GetRDSDate(0), 0);
    EXPECT_EQ(GetRDSDate(-5), 0);
}

TEST(DEC_CT, DecodesLocalTimeFromClockTimeGroups)
{
    const TDateTime now = At(2030, 6, 1, 9, 0);
    struct Case {
        const char *what;
        QString group;
        TDateTime expected;
    };
    const Case cases[] = {
        {"four half hours ahead", ClockTimeGroup(58849, 12, 30, 4, false), At(2020, 1, 1, 14, 30)},
        {"one hour back", ClockTimeGroup(58849, 12, 30, 2, true), At(2020, 1, 1, 11, 30)},
        {"hour needing the fifth bit", ClockTimeGroup(Mjd(QDate(2024, 2, 29)), 23, 59, 0, false),
         At(2024, 2, 29, 23, 59)},
        {"offset past midnight", ClockTimeGroup(Mjd(QDate(2024, 12, 31)), 23, 30, 2, false),
         At(2025, 1, 1, 0, 30)},
        {"a date past 2038 uses the two high MJD bits",
         ClockTimeGroup(Mjd(QDate(2045, 3, 1)), 6, 0, 0, false), At(2045, 3, 1, 6, 0)},
        {"minute 60", ClockTimeGroup(58849, 12, 60, 0, false), now},
        {"hour 24", ClockTimeGroup(58849, 24, 0, 0, false), now},
        {"MJD 0", ClockTimeGroup(0, 12, 0, 0, false), now},
        {"block D missing",
         ClockTimeGroup(58849, 12, 30, 0, false).left(12) + QStringLiteral("----"), now},
    };
    for (const Case &c : cases) {
        TGlobals g;
        GroupConvert(c.group, g);
        EXPECT_TRUE(IsClockTimeGroup(g.GroupBlockB)) << c.what;
        EXPECT_NEAR(DEC_CT(g, now), c.expected, 1e-9) << c.what;
    }
}

// Groups received off air (published with the test data of open RDS
// decoders; the same groups seed the fuzz corpus, see fuzz/corpus/README.md).
TEST(DEC_CT, DecodesClockTimeGroupsReceivedOffAir)
{
    const TDateTime now = At(2030, 6, 1, 9, 0);
    struct Case {
        const char *station; // and day of reception
        const char *group;
        TDateTime local;
    };
    const Case cases[] = {
        {"BR-KLASSIK (DE) 2017-04-04, UTC+2", "D31441C1C3EF5AC4", At(2017, 4, 4, 23, 43)},
        {"104.6 RTL Berlin (DE) 2018-11-01, UTC+1", "D42A4541C86ED482", At(2018, 11, 1, 14, 18)},
        {"98.5 KUFX (US) 2020-08-19, UTC-7", "456940DDCD923BAE", At(2020, 8, 19, 20, 46)},
        {"Vikerraadio (EE) 2016-07-18, offset 0", "22E14581C1E74280", At(2016, 7, 18, 20, 10)},
    };
    for (const Case &c : cases) {
        TGlobals g;
        ASSERT_TRUE(GroupConvert(QLatin1String(c.group), g)) << c.station;
        EXPECT_TRUE(IsClockTimeGroup(g.GroupBlockB)) << c.station;
        EXPECT_NEAR(DEC_CT(g, now), c.local, 1e-9) << c.station;
    }
}

TEST(DEC_CT, GroupTypeIsReadFromBlockB)
{
    EXPECT_TRUE(IsClockTimeGroup(0x4000));
    EXPECT_TRUE(IsClockTimeGroup(0x4403));  // other bits do not matter
    EXPECT_FALSE(IsClockTimeGroup(0x4800)); // 4B
    EXPECT_FALSE(IsClockTimeGroup(0x0400)); // 0A
    EXPECT_FALSE(IsClockTimeGroup(-1));
}

TEST(RdsLogLine, GroupThenTheTickTimeInHundredths)
{
    const TDateTime t = ToDateTime(QDate(2024, 5, 1), QTime(7, 5, 9, 876));
    EXPECT_EQ(RdsLogLine(QStringLiteral("D3C3----0000ABCD"), t),
              QStringLiteral("D3C3----0000ABCD @2024/05/01 07:05:09.87"));
    EXPECT_EQ(
        RdsLogLine(QStringLiteral("D3C324000000ABCD"), ToDateTime(QDate(2024, 5, 1), QTime(23, 0))),
        QStringLiteral("D3C324000000ABCD @2024/05/01 23:00:00.00"));
}
