// Sending with its counters, the no-response alarm and the eleven-tick poll.
#include "engine_fixture.h"
#include "engine_tables.h"

using namespace vantor;
using namespace vantor::test;

namespace {
class CommandPolling : public EngineFixture
{
protected:
    // Runs one poll tick and returns the commands each device received.
    std::vector<QStringList> Poll()
    {
        library.clearCalls();
        engine.TimerSendTimer();
        std::vector<QStringList> sent;
        for (size_t i = 0; i < Tables(engine).Devices.size(); ++i)
            sent.push_back(library.commands(static_cast<int>(i)));
        return sent;
    }

    static QStringList L(std::initializer_list<const char *> items)
    {
        QStringList l;
        for (const char *i : items)
            l << QLatin1String(i);
        return l;
    }
};
} // namespace

TEST_F(CommandPolling, SendCountsBytesAndRaisesTheNoResponseAlarmOncePerRun)
{
    WriteDevices({QStringLiteral("10.0.0.5:7000")});
    WriteFile(QStringLiteral("config.ini"), "[General]\r\nConnectionBytes=100\r\n");
    Start();
    ConnectAll();
    auto alarms = [&] {
        return DeviceLog(0).count(QStringLiteral("Alarm: No response from the device!"));
    };
    // Start counting after the switch-off commands sent on connection.
    Tables(engine).Devices[0].BytesSent = 0;
    Tables(engine).Devices[0].BytesUnanswered = 0;

    for (int k = 0; k < 50; ++k)
        engine.Send(0, QStringLiteral("?Q"));
    EXPECT_EQ(Tables(engine).Devices[0].BytesSent, 100);
    EXPECT_EQ(Tables(engine).Devices[0].BytesUnanswered, 100);
    EXPECT_EQ(alarms(), 0);
    engine.Send(0, QStringLiteral("?U"));
    EXPECT_EQ(alarms(), 1);
    for (int k = 0; k < 100; ++k)
        engine.Send(0, QStringLiteral("?U"));
    EXPECT_EQ(alarms(), 1);

    // An answer starts a new run; an empty one does not.
    library.pushResponse(0, QString());
    ReceiveTick();
    engine.Send(0, QStringLiteral("?U"));
    EXPECT_EQ(alarms(), 1);
    library.pushResponse(0, QStringLiteral("Level=40 dBuV"));
    ReceiveTick();
    EXPECT_EQ(Tables(engine).Devices[0].BytesUnanswered, 0);
    for (int k = 0; k < 51; ++k)
        engine.Send(0, QStringLiteral("?Q"));
    EXPECT_EQ(alarms(), 2);
    EXPECT_EQ(Tables(engine).Devices[0].BytesSent, 100 + 202 + 2 + 102);
}

TEST_F(CommandPolling, MeasuringDevicesGetEightQueriesATick)
{
    QStringList entries;
    for (int i = 0; i < 11; ++i)
        entries << QStringLiteral("10.0.0.%1:7000").arg(i + 1);
    WriteDevices(entries);
    Start();
    ConnectAll();
    for (int i = 0; i < 11; ++i)
        PutOnStation(i, QStringLiteral("98.5"), ModeMeasuringPart);
    Tables(engine).Devices[3].Mode = ModeRdsPart;
    Tables(engine).Devices[4].Mode = ModeMeasuringPart | ModeRdsPart;
    Tables(engine).Devices[5].StationActive = false; // mode without a station: not measuring
    Tables(engine).Devices[6].Paused = true;

    int fhTicks0 = 0, fhTicks10 = 0;
    for (int tick = 1; tick <= 22; ++tick) {
        const auto sent = Poll();
        const int cycle = Tables(engine).G.PollCycle;
        const QStringList middle =
            Tables(engine).G.PollToggle > 0 ? L({"?X", "?E"}) : L({"?R", "?L"});
        for (int i : {0, 1, 2, 6, 7, 8, 9, 10}) {
            const QStringList closing = i % 10 == cycle ? L({"?F", "?H"}) : L({"?I", "1?W"});
            EXPECT_EQ(sent[i], L({"?Q", "?U", "?A", "?N"}) + middle + closing)
                << "device " << i << " tick " << tick;
        }
        fhTicks0 += sent[0].contains(QStringLiteral("?H"));
        fhTicks10 += sent[10].contains(QStringLiteral("?H"));
        EXPECT_EQ(sent[0].contains(QStringLiteral("?H")), sent[10].contains(QStringLiteral("?H")));
        // RDS devices get "?F" alone, all in the same tick, every eleven ticks.
        EXPECT_EQ(sent[3], cycle == 10 ? L({"?F"}) : QStringList());
        EXPECT_EQ(sent[4].endsWith(QStringLiteral("?F")) && sent[4].size() == 9, cycle == 10);
        EXPECT_TRUE(sent[5].isEmpty());
    }
    EXPECT_EQ(fhTicks0, 2);
    EXPECT_EQ(fhTicks10, 2);
}

TEST_F(CommandPolling, InsideTheIgnoreWindowTheClosingPairIsIX)
{
    WriteDevices({QStringLiteral("10.0.0.5:7000")});
    Start();
    ConnectAll();
    PutOnStation(0, QStringLiteral("98.5"), ModeMeasuringPart);
    engine.IgnoreRX(0, 4);
    for (int tick = 0; tick < 4; ++tick) {
        const auto sent = Poll();
        EXPECT_EQ(sent[0].mid(6), (QStringList{QStringLiteral("?I"), QStringLiteral("?X")}))
            << tick;
        clock.advanceMs(1000);
    }
    clock.advanceMs(1);
    bool sawFH = false;
    for (int tick = 0; tick < 11; ++tick)
        sawFH |= Poll()[0].contains(QStringLiteral("?H"));
    EXPECT_TRUE(sawFH);
}

TEST_F(CommandPolling, UnconnectedDevicesAreNotPolled)
{
    WriteDevices({QStringLiteral("10.0.0.5:7000"), QStringLiteral("10.0.0.6:7000")});
    Start();
    ConnectAll();
    PutOnStation(0, QStringLiteral("98.5"), ModeMeasuringPart);
    PutOnStation(1, QStringLiteral("98.5"), ModeMeasuringPart);
    library.setConnected(1, false);
    const auto sent = Poll();
    EXPECT_EQ(sent[0].size(), 8);
    EXPECT_TRUE(sent[1].isEmpty());
}
