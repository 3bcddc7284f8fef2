// The comparisons behind the RDS alarms: expected PS names with their
// wildcard, and the list of group types that must keep arriving.
#include "rds_alarm_rules.h"

#include <gtest/gtest.h>

using namespace vantor;

TEST(RdsAlarmRules, PsMatchesComparesTheEightCharactersOnAirWithWildcards)
{
    struct Case {
        const char *received;
        const char *expected;
        bool match;
    };
    const Case cases[] = {
        {"YLE X3M ", "YLE X3M ", true},
        {"YLE X3M ", "YLE X3M", true},  // trailing blanks need not be typed
        {"YLE X3M", "YLE X3M ", true},  // nor be received
        {"  KRKA  ", "**KRKA**", true}, // "*" is any one character, blank included
        {"  KRKA  ", "  KRKA", true},   // leading blanks belong to the name
        {"  KRKA  ", "KRKA", false},    // so they cannot be left out
        {"RADIO 1 ", "radio 1", false}, // letter case counts
        {"RADIO 1 ", "RADIO *", true},  // one character, then blanks to the end
        {"RADIO 12", "RADIO *", false}, // the blank after "*" must be a blank
        {"RADIO 12", "RADIO **", true},
        {"RADIO 12", "RADIO ***", false}, // nine characters: no PS is that long
        {"", "********", true},           // an empty PS reads as eight blanks
        {"ABCDEFGHI", "ABCDEFGH", false}, // nor is a received text longer than 8
    };
    for (const Case &c : cases)
        EXPECT_EQ(PsMatches(QString::fromLatin1(c.received), QString::fromLatin1(c.expected)),
                  c.match)
            << '"' << c.received << "\" against \"" << c.expected << '"';
}

TEST(RdsAlarmRules, ExpectedNamesAreSplitAtBarsAndKeepTheirBlanks)
{
    EXPECT_EQ(ExpectedPsNames(QStringLiteral("  KRKA  |RADIO 1||NEWS*")),
              (QStringList{QStringLiteral("  KRKA  "), QStringLiteral("RADIO 1"),
                           QStringLiteral("NEWS*")}));
    EXPECT_TRUE(ExpectedPsNames(QString()).isEmpty());
    EXPECT_TRUE(ExpectedPsNames(QStringLiteral("|")).isEmpty());
}

TEST(RdsAlarmRules, GroupTypeListsAcceptTypeNamesAndRefuseAnythingElse)
{
    struct Case {
        const char *list;
        std::optional<QList<int>> types;
    };
    const Case cases[] = {
        {"0A 2A 4A", QList<int>{0, 4, 8}}, {" 0a,15B  2a ", QList<int>{0, 31, 4}},
        {"0A 0A", QList<int>{0}},          {"", QList<int>{}},
        {"0A 2C", std::nullopt},           {"16A", std::nullopt},
        {"0A;2A", std::nullopt},           {"A0", std::nullopt},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ParseGroupTypes(QString::fromLatin1(c.list)), c.types) << c.list;
}
