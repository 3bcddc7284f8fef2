// Reading scenario files and setting station values.
#include "analyzer-sim/scenario.h"

#include <gtest/gtest.h>

using vantor::sim::Scenario;
using vantor::sim::StationParams;

namespace {

TEST(Scenario, ReadsSectionsKeysCommentsAndQuotes)
{
    QString error;
    const auto s = Scenario::parse("; comment\r\n"
                                   "# another\r\n"
                                   "[ 98.5 ]\r\n"
                                   "PI = a202\r\n"
                                   "PS = \" RADIO \"\r\n"
                                   "maxhold=80.5\r\n"
                                   "ClockOffset=-2.5\r\n"
                                   "RadioText=caf\xe9 au lait\r\n"
                                   "[107.9]\r\n",
                                   &error);
    ASSERT_TRUE(s.has_value()) << error.toStdString();
    EXPECT_EQ(s->frequencies(), (QList<int>{98500, 107900}));
    const StationParams *p = s->station(98500);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->pi, 0xA202);
    EXPECT_EQ(p->ps, " RADIO  ");
    EXPECT_DOUBLE_EQ(p->maxHold, 80.5);
    EXPECT_DOUBLE_EQ(p->clockOffset, -2.5);
    EXPECT_EQ(p->radioText, "caf\xe9 au lait") << "8-bit text kept byte for byte";
    EXPECT_DOUBLE_EQ(p->ave, StationParams().ave) << "keys not given keep their defaults";

    const StationParams *empty = s->station(107900);
    ASSERT_NE(empty, nullptr) << "a section without keys is a station with default values";
    EXPECT_EQ(empty->ps, "FM 107.9");
    EXPECT_EQ(s->station(99000), nullptr);
}

TEST(Scenario, NamesTheLineOfAnError)
{
    const QList<std::pair<QByteArray, QString>> table = {
        {"[98.5]\nPI=12\n", QStringLiteral("line 2: PI must be 4 hexadecimal digits")},
        {"[98.5]\nPS=TOO LONG PS\n", QStringLiteral("line 2: PS holds at most 8")},
        {"Level=3\n", QStringLiteral("line 1: key outside a [frequency] section")},
        {"[abc]\n", QStringLiteral("line 1: section is not a frequency")},
        {"[98.5\n", QStringLiteral("line 1: section without closing bracket")},
        {"[98.5]\n\nLevel\n", QStringLiteral("line 3: expected Key=Value")},
        {"[98.5]\nColour=blue\n", QStringLiteral("line 2: unknown key: Colour")},
        {"[98.5]\nQuality=2.5\n", QStringLiteral("line 2: Quality must be a whole number")},
        {"[98.5]\nBlockErrorRate=-0.1\n", QStringLiteral("line 2: out of range")},
        {"[98.5]\nAVE=nan\n", QStringLiteral("line 2: not a number")},
        {"[98.5]\nRadioText=" + QByteArray(65, 'x') + "\n",
         QStringLiteral("line 2: RadioText holds")},
    };
    for (const auto &[text, message] : table) {
        QString error;
        EXPECT_FALSE(Scenario::parse(text, &error).has_value()) << text.constData();
        EXPECT_TRUE(error.startsWith(message)) << error.toStdString();
    }
}

TEST(Scenario, LoadReportsAMissingFile)
{
    QString error;
    EXPECT_FALSE(Scenario::load(QStringLiteral("/nonexistent/scenario.ini"), &error).has_value());
    EXPECT_TRUE(error.startsWith(QStringLiteral("/nonexistent/scenario.ini: ")));
}

TEST(Scenario, BuiltInStationsAreOnAir)
{
    const Scenario s = Scenario::builtIn();
    ASSERT_GE(s.frequencies().size(), 3);
    for (int kHz : s.frequencies()) {
        const StationParams *p = s.station(kHz);
        EXPECT_GT(p->quality, 0) << kHz;
        EXPECT_GT(p->rds, 0.0) << kHz;
        EXPECT_LE(p->min, p->ave) << kHz;
        EXPECT_LE(p->ave, p->max) << kHz;
        EXPECT_LE(p->max, p->maxHold) << kHz;
    }
}

TEST(Scenario, FrequencyTexts)
{
    EXPECT_EQ(Scenario::parseFrequency(QStringLiteral("98.5")), 98500);
    EXPECT_EQ(Scenario::parseFrequency(QStringLiteral(" 87.60 ")), 87600);
    EXPECT_EQ(Scenario::parseFrequency(QStringLiteral("100")), 100000);
    EXPECT_EQ(Scenario::parseFrequency(QStringLiteral("98.75")), 98750);
    EXPECT_EQ(Scenario::parseFrequency(QStringLiteral("-1")), -1);
    EXPECT_EQ(Scenario::parseFrequency(QStringLiteral("98500")), -1);
    EXPECT_EQ(Scenario::parseFrequency(QStringLiteral("FM")), -1);
}

} // namespace
