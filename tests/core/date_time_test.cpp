#include "date_time.h"

#include <gtest/gtest.h>

using namespace vantor;

TEST(DateTime, DayCountsFrom1899AndTimeIsTheFraction)
{
    EXPECT_DOUBLE_EQ(ToDateTime(QDate(1899, 12, 30), QTime(0, 0)), 0.0);
    EXPECT_DOUBLE_EQ(ToDateTime(QDate(1900, 1, 1), QTime(12, 0)), 2.5);
    const TDateTime t = ToDateTime(QDate(2024, 5, 1), QTime(13, 5, 9));
    EXPECT_EQ(DatePart(t), QDate(2024, 5, 1));
    EXPECT_EQ(TimePart(t), QTime(13, 5, 9));
    // A time a hair below midnight rounds to the next day, not to 24:00:00.
    const TDateTime almost = ToDateTime(QDate(2024, 5, 1), QTime(0, 0)) + 1.0 - 1e-10;
    EXPECT_EQ(DatePart(almost), QDate(2024, 5, 2));
    EXPECT_EQ(TimePart(almost), QTime(0, 0));
}

TEST(DateTime, PascalPatterns)
{
    const TDateTime t = ToDateTime(QDate(2009, 5, 3), QTime(6, 5, 9, 42));
    struct Case {
        const char *pattern;
        const char *expected;
    };
    const Case cases[] = {
        {"hh:nn:ss", "06:05:09"},
        {"yyyy.mm.dd", "2009.05.03"},
        {"d.mm.yyyy", "3.05.2009"},
        {"h:nn", "6:05"},
        {"yyyy-mm-dd hh-nn-ss", "2009-05-03 06-05-09"},
        {"hh:mm", "06:05"}, // "mm" after an hour means minutes
        {"yy/m/d zzz", "09/5/3 042"},
        {"\"at\" hh", "at 06"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(FormatDateTime(QLatin1String(c.pattern), t), QLatin1String(c.expected))
            << c.pattern;
}

TEST(DateTime, WholeUnitsBetweenAreTruncated)
{
    const TDateTime a = ToDateTime(QDate(2024, 5, 1), QTime(12, 0, 0));
    EXPECT_EQ(SecondsBetween(a, a + 5 * OneSecond), 5);
    EXPECT_EQ(SecondsBetween(a + 5.9 * OneSecond, a), 5);
    EXPECT_EQ(DaysBetween(a, a + 30 + 23.0 / 24), 30);
    EXPECT_EQ(DaysBetween(a + 31, a), 31);
}

TEST(DateTime, WeekdayAndClassicText)
{
    EXPECT_EQ(DayOfTheWeek(ToDateTime(QDate(2024, 5, 6), QTime(1, 0))), 1); // a Monday
    EXPECT_EQ(DayOfTheWeek(ToDateTime(QDate(2024, 5, 12), QTime(1, 0))), 7);
    EXPECT_EQ(DateTimeToStr(ToDateTime(QDate(2024, 5, 6), QTime(0, 0))),
              QStringLiteral("6.05.2024"));
    EXPECT_EQ(DateTimeToStr(ToDateTime(QDate(2024, 5, 6), QTime(7, 8, 9))),
              QStringLiteral("6.05.2024 7:08:09"));
}
