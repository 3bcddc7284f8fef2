// The control port, over a real socket, acting on receivers that a program
// is connected to.
#include "sim_fixture.h"

using namespace vantor;
using vantor::test::LineClient;
using vantor::test::waitFor;

namespace {

class ControlPort : public test::SimulatorFixture
{
protected:
    void SetUp() override
    {
        SimulatorFixture::SetUp();
        const int controlPort = simulator->listenControl(QHostAddress::LocalHost, 0);
        ASSERT_GT(controlPort, 0) << simulator->errorString().toStdString();
        ASSERT_TRUE(control.connectTo(static_cast<quint16>(controlPort)));
    }

    QByteArray ask(const QByteArray &command) { return control.control(command).value(0); }

    LineClient control;
};

TEST_F(ControlPort, SilentStopsAnswersWithoutDroppingTheLink)
{
    exchange({"098500*F"});
    EXPECT_EQ(ask("silent on"), "OK");
    client.sendCommand("?Q");
    client.sendCommand("?F");
    EXPECT_TRUE(client.waitForLine("", client.lines().size(), 400).isEmpty());
    EXPECT_EQ(client.socket().state(), QAbstractSocket::ConnectedState);

    EXPECT_EQ(ask("silent off"), "OK");
    // Commands given while silent still took effect, but were not answered late.
    EXPECT_EQ(exchange({"?U", "097000*F"}), QList<QByteArray>{"Level=61.0 dBuV"});
    EXPECT_TRUE(client.linesStartingWith("Signal Quality").isEmpty());
    EXPECT_EQ(ask("silent maybe").left(4), "ERR ");
}

TEST_F(ControlPort, DropClosesTheLinkAndTheNextConnectionIsServed)
{
    exchange({"098500*F"});
    EXPECT_EQ(ask("drop"), "OK");
    ASSERT_TRUE(
        waitFor([&] { return client.socket().state() == QAbstractSocket::UnconnectedState; }));

    LineClient again;
    ASSERT_TRUE(again.connectTo(static_cast<quint16>(port)));
    again.sendCommand("?F");
    EXPECT_EQ(again.waitForLine("Frequency="), "Frequency=98.500 MHz") << "tuning survives";

    // A further connection takes the place of the previous one.
    LineClient third;
    ASSERT_TRUE(third.connectTo(static_cast<quint16>(port)));
    ASSERT_TRUE(
        waitFor([&] { return again.socket().state() == QAbstractSocket::UnconnectedState; }));
    third.sendCommand("?Q");
    EXPECT_EQ(third.waitForLine("Signal"), "Signal Quality=4");
}

TEST_F(ControlPort, GroupAndRawSendTheirLineOnce)
{
    exchange({});
    EXPECT_EQ(ask("group A2024000B8B2c3d4"), "OK");
    EXPECT_EQ(ask("group A202----E0CD----"), "OK");
    EXPECT_EQ(ask("raw garbage \xff line  "), "OK");
    EXPECT_EQ(ask("raw"), "OK");
    EXPECT_EQ(ask("raw =x"), "OK");
    ASSERT_TRUE(waitFor([&] { return client.lines().size() >= 6; }));
    EXPECT_TRUE(client.raw().endsWith("G=A2024000B8B2c3d4\r\nG=A202----E0CD----\r\n"
                                      "garbage \xff line  \r\n\r\n=x\r\n"));

    for (const char *bad : {"group A202", "group A2024000B8B2C3D4FF", "group A202-0--E0CD4349",
                            "group A2024000B8B2C3DG"})
        EXPECT_EQ(ask(bad).left(4), "ERR ") << bad;
}

TEST_F(ControlPort, DriftIsReportedUntilTheNextTuning)
{
    exchange({"098500*F"});
    EXPECT_EQ(ask("drift 98.4"), "OK");
    EXPECT_EQ(exchange({"?F"}), QList<QByteArray>{"Frequency=98.400 MHz"});
    EXPECT_TRUE(ask("status").contains("frequency=98.500 reported=98.400"));
    EXPECT_EQ(exchange({"098500*F", "?F"}), QList<QByteArray>{"Frequency=98.500 MHz"});
    EXPECT_EQ(ask("drift ninety").left(4), "ERR ");
}

TEST_F(ControlPort, CommandsListsTheLast200OldestFirst)
{
    for (int i = 0; i < 205; ++i)
        client.sendCommand("C" + QByteArray::number(i));
    exchange({});
    const QList<QByteArray> answer = control.control("commands");
    ASSERT_EQ(answer.size(), 201);
    // 205 commands and the end mark: the oldest six have gone.
    EXPECT_EQ(answer.first(), "C6");
    EXPECT_EQ(answer.at(198), "C204");
    EXPECT_EQ(answer.at(199), "?F");
    EXPECT_EQ(answer.last(), "OK");
}

TEST_F(ControlPort, SetChangesAStationAtOnce)
{
    exchange({"098500*F"});
    EXPECT_EQ(ask("set 98.5 Level 40"), "OK");
    EXPECT_EQ(exchange({"?U"}), QList<QByteArray>{"Level=40.0 dBuV"});
    EXPECT_EQ(ask("set 98.5 ps \"A  B\""), "OK") << "keys ignore case, quotes keep blanks";

    // A frequency without a station gets one, with the default values.
    EXPECT_EQ(ask("set 99.9 PI BEEF"), "OK");
    EXPECT_EQ(exchange({"099900*F", "?Q"}), QList<QByteArray>{"Signal Quality=5"});
    client.sendCommand("*R");
    EXPECT_TRUE(client.waitForLine("G=").startsWith("G=BEEF"));

    for (const char *bad :
         {"set 98.5 Bogus 1", "set x Level 1", "set 98.5 Level", "set 98.5 PI 12345",
          "set 98.5 Quality 6", "set 98.5 BlockErrorRate 1.5", "set 98.5 AVE many"})
        EXPECT_EQ(ask(bad).left(4), "ERR ") << bad;
}

TEST_F(ControlPort, StatusShowsTuningSwitchesPinsAndLink)
{
    exchange({"098500*F", "*M", "*P", "*r", "*6", "ARJ:GD*X", "ARL:GH*X"});
    const QByteArray status = ask("status");
    EXPECT_EQ(status, "OK frequency=98.500 reported=98.500 switches=6+,M+,P+,R- pins=-D-H "
                      "silent=off link=up");
    EXPECT_EQ(ask("bogus"), "ERR unknown command: bogus");
    EXPECT_EQ(ask("").left(4), "ERR ");
}

TEST_F(ControlPort, APrefixAddressesAnotherReceiver)
{
    const int secondPort = simulator->listenTcp(QHostAddress::LocalHost, 0);
    ASSERT_GT(secondPort, 0);
    LineClient second;
    ASSERT_TRUE(second.connectTo(static_cast<quint16>(secondPort)));

    EXPECT_EQ(ask("@1 set 98.5 Level 30"), "OK");
    EXPECT_EQ(ask("@1 silent on"), "OK");
    EXPECT_EQ(ask("@0 set 98.5 Level 50"), "OK");
    EXPECT_EQ(ask("@2 status"), "ERR no receiver 2");

    EXPECT_EQ(exchange({"098500*F", "?U"}), QList<QByteArray>{"Level=50.0 dBuV"});
    EXPECT_EQ(ask("@1 silent off"), "OK");
    second.sendCommand("098500*F");
    second.sendCommand("?U");
    EXPECT_EQ(second.waitForLine("Level="), "Level=30.0 dBuV");
    EXPECT_TRUE(ask("@1 status").startsWith("OK frequency=98.500"));
}

} // namespace
