// Answers of a simulated receiver to the polling queries, over a real socket.
#include "sim_fixture.h"

#include <QSet>

using namespace vantor;
using vantor::test::SimulatorFixture;
using vantor::test::waitFor;

namespace {

TEST_F(SimulatorFixture, EachQueryAnswersItsNamesWithTheStationsValues)
{
    ASSERT_EQ(exchange({"098500*F", "*E", "*1", "*M", "*P"}), QList<QByteArray>{});

    const QList<std::pair<QByteArray, QList<QByteArray>>> table = {
        {"?Q", {"Signal Quality=4"}},
        {"?U", {"Level=61.0 dBuV"}},
        {"?A", {"AVE=42.0 kHz", "MAX=70.0 kHz"}},
        {"?N", {"MIN=5.0 kHz"}},
        {"?X", {"MAX Hold=75.0 kHz"}},
        {"?E", {"Pm=1.5 dBr"}},
        {"?R", {"RDS=4.00 kHz", "RDS Phase Difference=90.0 deg"}},
        {"?L", {"Pilot=6.80 kHz", "LeftPeak=63.0 kHz", "RightPeak=61.6 kHz"}},
        {"?I", {"IF=325.0 kHz"}},
        {"?F", {"Frequency=98.500 MHz"}},
        {"1?W", {"W=1"}},
        {"?Z", {}},
        {"hello", {}},
    };
    for (const auto &[query, expected] : table)
        EXPECT_EQ(exchange({query}), expected) << query.constData();
}

TEST_F(SimulatorFixture, MeasuredValuesNeedTheirOutputSwitchedOn)
{
    exchange({"098500*F", "*m", "*p"});
    EXPECT_EQ(exchange({"?A", "?X", "?R", "?L", "?H", "?Q", "?I"}),
              (QList<QByteArray>{"Signal Quality=4", "IF=325.0 kHz"}));

    exchange({"*M"});
    EXPECT_EQ(exchange({"?A", "?R"}), (QList<QByteArray>{"AVE=42.0 kHz", "MAX=70.0 kHz"}));
    exchange({"*m", "*P"});
    EXPECT_EQ(exchange({"?A", "?R"}),
              (QList<QByteArray>{"RDS=4.00 kHz", "RDS Phase Difference=90.0 deg"}));
}

TEST_F(SimulatorFixture, TuningSetsTheReportedFrequency)
{
    const QList<std::pair<QByteArray, QByteArray>> table = {
        {"098500*F", "Frequency=98.500 MHz"},
        {"107900*F", "Frequency=107.900 MHz"},
        {"087600*F", "Frequency=87.600 MHz"},
        {"100000*F", "Frequency=100.000 MHz"},
        {"098750*F", "Frequency=98.750 MHz"},
        // Not a frequency command: the receiver stays where it was.
        {"09x500*F", "Frequency=98.750 MHz"},
        {"*F", "Frequency=98.750 MHz"},
    };
    for (const auto &[command, expected] : table)
        EXPECT_EQ(exchange({command, "?F"}), QList<QByteArray>{expected}) << command.constData();
}

TEST_F(SimulatorFixture, AFrequencyWithoutAStationPlaysSilence)
{
    const QList<QByteArray> answers = exchange({"090000*F", "*M", "*P", "?Q", "?U", "?A", "?L"});
    ASSERT_EQ(answers.size(), 7);
    EXPECT_EQ(answers.at(0), "Signal Quality=0");
    ASSERT_TRUE(answers.at(1).startsWith("Level="));
    EXPECT_LT(answers.at(1).mid(6).split(' ').first().toDouble(), 20.0);
    ASSERT_TRUE(answers.at(2).startsWith("AVE="));
    EXPECT_LT(answers.at(2).mid(4).split(' ').first().toDouble(), 3.0);
    EXPECT_TRUE(answers.at(4).startsWith("Pilot=0.0"));

    // RDS output on, but nothing to decode: no groups while silent ...
    client.sendCommand("*R");
    const qsizetype from = client.lines().size();
    EXPECT_TRUE(client.waitForLine("G=", from, 500).isEmpty());
    // ... and groups as soon as a station is tuned.
    client.sendCommand("098500*F");
    EXPECT_FALSE(client.waitForLine("G=", from).isEmpty());
}

TEST_F(SimulatorFixture, HistogramFollowsTheDeviationInItsFixedLayout)
{
    exchange({"098500*F", "*M"});
    const QList<QByteArray> answers = exchange({"?H"});
    ASSERT_EQ(answers.size(), 1);
    ASSERT_TRUE(answers.first().startsWith("Histogram Data="));
    const QByteArray value = answers.first().mid(15);
    ASSERT_EQ(value.size(), 122 * 14);

    qint64 total = 0;
    int fullest = 0;
    int peak = 1;
    for (int i = 0; i < 122; ++i) {
        // Label, then the count in the 5 characters from 14 * i + 8 (1-based).
        EXPECT_EQ(value.mid(14 * i, 7), QByteArray::number(i).rightJustified(3, ' ') + "kHz:");
        bool ok = false;
        const int count = value.mid(14 * i + 7, 5).trimmed().toInt(&ok);
        ASSERT_TRUE(ok) << "bin " << i;
        total += count;
        if (count > peak) {
            peak = count;
            fullest = i;
        }
        if (i < 5 || i > 75) {
            EXPECT_EQ(count, 0) << "bin " << i << " lies outside MIN..MAX Hold";
        }
    }
    EXPECT_GE(total, 500);
    EXPECT_EQ(fullest, 42) << "the fullest bin is at AVE";

    // Samples keep adding up while measuring goes on; "*E" starts afresh.
    const auto totalOf = [&](const QByteArray &line) {
        qint64 sum = 0;
        for (int i = 0; i < 122; ++i)
            sum += line.mid(15 + 14 * i + 7, 5).trimmed().toInt();
        return sum;
    };
    qint64 grown = 0;
    EXPECT_TRUE(waitFor([&] {
        grown = totalOf(exchange({"?H"}).value(0));
        return grown > total + 20;
    }));
    EXPECT_LT(totalOf(exchange({"*E", "?H"}).value(0)), grown);
}

TEST_F(SimulatorFixture, NoiseStaysSmallAndFollowsTheSeed)
{
    const auto aveSeries = [](test::LineClient &c) {
        c.sendCommand("101100*F");
        c.sendCommand("*M");
        for (int i = 0; i < 20; ++i)
            c.sendCommand("?A");
        EXPECT_TRUE(waitFor([&] { return c.linesStartingWith("AVE=").size() == 20; }));
        return c.linesStartingWith("AVE=");
    };
    const QList<QByteArray> first = aveSeries(client);

    sim::Simulator twin(test::exactTestScenario(), 7);
    test::LineClient twinClient;
    ASSERT_TRUE(
        twinClient.connectTo(static_cast<quint16>(twin.listenTcp(QHostAddress::LocalHost, 0))));
    EXPECT_EQ(aveSeries(twinClient), first) << "same seed, same noise";

    sim::Simulator other(test::exactTestScenario(), 8);
    test::LineClient otherClient;
    ASSERT_TRUE(
        otherClient.connectTo(static_cast<quint16>(other.listenTcp(QHostAddress::LocalHost, 0))));
    EXPECT_NE(aveSeries(otherClient), first) << "another seed, other noise";

    QSet<QByteArray> distinct;
    for (const QByteArray &line : first) {
        distinct.insert(line);
        const double ave = line.mid(4).split(' ').first().toDouble();
        EXPECT_NEAR(ave, 50.0, 0.61) << line.constData();
    }
    EXPECT_GT(distinct.size(), 3);
}

} // namespace
