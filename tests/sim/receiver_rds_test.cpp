// RDS groups streamed by a simulated receiver: rate, content as a decoder
// reads it, the clock-time group against an injected clock, lost blocks.
#include "rds_decode.h"
#include "sim_fixture.h"

#include <QElapsedTimer>

#include <algorithm>

using namespace vantor;
using vantor::test::parseGroup;
using vantor::test::SimulatorFixture;
using vantor::test::waitFor;

namespace {

QList<std::array<int, 4>> groupsOf(const QList<QByteArray> &lines)
{
    QList<std::array<int, 4>> groups;
    for (const QByteArray &line : lines) {
        const auto g = parseGroup(line.mid(2));
        EXPECT_TRUE(g.has_value()) << line.constData();
        if (g)
            groups.append(*g);
    }
    return groups;
}

TEST_F(SimulatorFixture, GroupsStreamAtTheRdsRateWhileTheOutputIsOn)
{
    exchange({"098500*F"});
    QElapsedTimer clock;
    clock.start();
    client.sendCommand("*R");
    ASSERT_TRUE(waitFor([&] { return client.linesStartingWith("G=").size() >= 12; }));
    // 12 groups at about 11.4 a second take about 1.05 s.
    EXPECT_GT(clock.elapsed(), 700);
    EXPECT_LT(clock.elapsed(), 2000);

    // A decoder gets the PI from every group, the PS from the 0A groups and
    // the radiotext from the 2A groups.
    QByteArray ps(8, '?');
    QByteArray text(8, '?');
    int segmentsSeen = 0;
    for (const auto &g : groupsOf(client.linesStartingWith("G="))) {
        EXPECT_EQ(g[0], 0xA202);
        const int type = test::groupTypeCode(g[1]);
        if (type == 0) {
            const int segment = g[1] & 3;
            ps[2 * segment] = static_cast<char>(g[3] >> 8);
            ps[2 * segment + 1] = static_cast<char>(g[3] & 0xFF);
            segmentsSeen |= 1 << segment;
        } else if (type == 4 && (g[1] & 0xF) < 2) {
            const int at = 4 * (g[1] & 0xF);
            for (int i : {0, 1}) {
                text[at + 2 * i] = static_cast<char>(g[2 + i] >> 8);
                text[at + 2 * i + 1] = static_cast<char>(g[2 + i] & 0xFF);
            }
        } else {
            ADD_FAILURE() << "unexpected group " << g[1];
        }
    }
    EXPECT_EQ(segmentsSeen, 0xF);
    EXPECT_EQ(ps, "TEST FM ");
    EXPECT_EQ(text, "Hello\r  ") << "radiotext in two segments, ended by a carriage return";

    // Off: the stream stops (the end mark's answer comes after the last group).
    exchange({"*r"});
    const qsizetype count = client.linesStartingWith("G=").size();
    EXPECT_TRUE(client.waitForLine("G=", client.lines().size(), 400).isEmpty());
    EXPECT_EQ(client.linesStartingWith("G=").size(), count);
}

struct ClockCase {
    const char *name;
    QDateTime machineTime; // 100 ms before the station's minute changes
    int expectedUtcHour;
    int expectedHalfHours;
};

class ClockTimeGroup : public SimulatorFixture, public ::testing::WithParamInterface<ClockCase>
{};

TEST_P(ClockTimeGroup, CarriesTheStationsLocalTimeAtTheMinuteChange)
{
    // The station's clock runs 90 s ahead (ClockOffset=90 in the scenario).
    QDateTime now = GetParam().machineTime;
    simulator->setClock([&now] { return now; });
    exchange({"098500*F", "*R"});
    ASSERT_TRUE(waitFor([&] { return client.linesStartingWith("G=").size() >= 3; }));
    for (const auto &g : groupsOf(client.linesStartingWith("G=")))
        EXPECT_NE(test::groupTypeCode(g[1]), 8) << "no clock time before the minute changes";

    // The clock-time group follows the clock's move at once (a group made
    // before the move may still be on its way).
    const qsizetype from = client.lines().size();
    now = now.addMSecs(200);
    qsizetype at = -1;
    ASSERT_TRUE(waitFor([&] {
        const QList<QByteArray> &lines = client.lines();
        for (qsizetype i = from; i < lines.size() && at < 0; ++i) {
            const auto group = parseGroup(lines.at(i).mid(2));
            if (group && test::groupTypeCode((*group)[1]) == 8)
                at = i;
        }
        return at >= 0;
    }));
    EXPECT_LE(at - from, 1);
    const auto g = parseGroup(client.lines().at(at).mid(2));
    EXPECT_EQ((*g)[0], 0xA202);

    const QDateTime station = now.addSecs(90);
    const test::ClockTime ct = test::decodeClockTime((*g)[1], (*g)[2], (*g)[3]);
    EXPECT_EQ(ct.utcHour, GetParam().expectedUtcHour);
    EXPECT_EQ(ct.minute, station.toUTC().time().minute());
    EXPECT_EQ(ct.offsetHalfHours, GetParam().expectedHalfHours);
    EXPECT_EQ(ct.date, station.date());
    EXPECT_EQ(ct.localTime, QTime(station.time().hour(), station.time().minute()));

    // One clock-time group per minute.
    const qsizetype after = at + 1;
    ASSERT_TRUE(waitFor([&] { return client.lines().size() >= after + 4; }));
    for (const auto &other : groupsOf(client.lines().mid(after)))
        EXPECT_NE(test::groupTypeCode(other[1]), 8);
}

INSTANTIATE_TEST_SUITE_P(
    Offsets, ClockTimeGroup,
    ::testing::Values(
        // 12:28:29.9 + 90 s: the station's clock turns 12:30 at UTC 10:30.
        ClockCase{"TwoHoursAhead",
                  QDateTime(QDate(2024, 5, 1), QTime(12, 28, 29, 900), Qt::OffsetFromUTC, 7200), 10,
                  4},
        // West of UTC by 3:30, where the UTC date is already the next day.
        ClockCase{"ThreeAndAHalfHoursBehindAcrossMidnight",
                  QDateTime(QDate(2023, 12, 31), QTime(21, 58, 29, 900), Qt::OffsetFromUTC, -12600),
                  1, -7}),
    [](const ::testing::TestParamInfo<ClockCase> &param) { return std::string(param.param.name); });

TEST_F(SimulatorFixture, BlockErrorRateSetsTheShareOfLostBlocks)
{
    // (The other tests play a rate of 0 and find every block readable.)
    const auto lostOf = [&](const char *rate, int groups) {
        EXPECT_EQ(
            simulator->control(QStringLiteral("set 98.5 BlockErrorRate ") + QLatin1String(rate)),
            QStringList{QStringLiteral("OK")});
        // Everything after the end mark's answer was made at the new rate.
        exchange({});
        const qsizetype from = client.lines().size();
        EXPECT_TRUE(waitFor([&] { return client.lines().size() >= from + groups; }));
        int lost = 0;
        for (const auto &g : groupsOf(client.lines().mid(from, groups)))
            lost += static_cast<int>(std::count(g.begin(), g.end(), -1));
        return lost;
    };
    exchange({"098500*F", "*R"});
    EXPECT_EQ(lostOf("1", 5), 20);
    const int half = lostOf("0.5", 12);
    EXPECT_GT(half, 10);
    EXPECT_LT(half, 38);
}

} // namespace
