// A simulator on a loopback port with a client connected to it, playing a
// small scenario whose 98.5 MHz station has no noise, so answers are exact.
#pragma once

#include "analyzer-sim/simulator.h"
#include "line_client.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <memory>

namespace vantor::test {

inline const char exactScenario[] = R"ini(
; exact values for checking answers
[98.5]
PI=A202
PS="TEST FM"
RadioText=Hello
AVE=42
MAX=70
MAXHold=75
MIN=5
Pilot=6.8
RDS=4
Pm=1.5
Level=61
Quality=4
ClockOffset=90
BlockErrorRate=0
Noise=0

[101.1]
PI=C0DE
AVE=50
)ini";

inline sim::Scenario exactTestScenario()
{
    QString error;
    auto scenario = sim::Scenario::parse(QByteArray(exactScenario), &error);
    EXPECT_TRUE(scenario.has_value()) << error.toStdString();
    return scenario.value_or(sim::Scenario());
}

class SimulatorFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        simulator = std::make_unique<sim::Simulator>(exactTestScenario(), 7);
        port = simulator->listenTcp(QHostAddress::LocalHost, 0);
        ASSERT_GT(port, 0) << simulator->errorString().toStdString();
        ASSERT_TRUE(client.connectTo(static_cast<quint16>(port)));
        ASSERT_TRUE(waitFor([&] { return simulator->receiver(0)->link()->isConnected(); }));
    }

    // Sends the commands, then "?F" as an end mark, and returns the lines
    // received before the end mark's answer.
    QList<QByteArray> exchange(const QList<QByteArray> &commands)
    {
        const qsizetype from = client.lines().size();
        for (const QByteArray &c : commands)
            client.sendCommand(c);
        client.sendCommand("?F");
        const QByteArray mark = client.waitForLine("Frequency=", from);
        EXPECT_FALSE(mark.isEmpty()) << "no answer to the end mark";
        QList<QByteArray> out = client.lines().mid(from);
        while (!out.isEmpty() && !out.last().startsWith("Frequency="))
            out.removeLast();
        if (!out.isEmpty())
            out.removeLast();
        return out;
    }

    std::unique_ptr<sim::Simulator> simulator;
    int port = -1;
    LineClient client;
};

} // namespace vantor::test
