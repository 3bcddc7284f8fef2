// The memory a device's history holds: none until it measures, then room for
// the records in use, grown a step of 3,600 records at a time (never by
// doubling) up to the five steps that hold four to five hours.
#include "engine_fixture.h"
#include "engine_tables.h"

#include <vector>

using namespace vantor;
using namespace vantor::test;

TEST_F(EngineFixture, HistoryMemoryFollowsTheGrowthSteps)
{
    WriteDevices({QStringLiteral("10.0.0.5:7000"), QStringLiteral("10.0.0.6:7000")});
    Start();
    ConnectAll();
    PutOnStation(0, QStringLiteral("98.5"), ModeMeasuringPart);
    PutOnStation(1, QStringLiteral("99.1"), ModeRdsPart);
    TDevice &measuring = Tables(engine).Devices[0];
    const TDevice &rdsOnly = Tables(engine).Devices[1];
    EXPECT_EQ(measuring.History.capacity(), 0u) << "no history before the first record";

    // Rooms seen, once each, over two steps more than a full history.
    constexpr int Records = 5 * HistoryBlockSize + 2 * HistoryBlockSize;
    std::vector<std::size_t> rooms;
    for (int ticks = 0; ticks < 5 * Records; ++ticks) {
        if (ticks % 5 == 0) {
            library.pushResponse(0, QStringLiteral("MAX=50"));
            library.pushResponse(1, QStringLiteral("Level=40"));
        }
        engine.TimerReceiveTimer();
        if (ticks % 1000 == 0)
            library.clearCalls();
        const std::size_t room = measuring.History.capacity();
        ASSERT_EQ(room, measuring.History.size()) << "after " << measuring.HistoryCount;
        if (rooms.empty() || rooms.back() != room)
            rooms.push_back(room);
    }
    EXPECT_EQ(rooms, (std::vector<std::size_t>{0, 3600, 7200, 10800, 14400, 18000}));
    EXPECT_GE(measuring.HistoryCount, 4 * HistoryBlockSize);
    EXPECT_EQ(rdsOnly.History.capacity(), 0u) << "a device that never measures holds none";

    engine.ClearDevice(0);
    engine.ClearDevice(1);
    EXPECT_EQ(measuring.History.capacity(), std::size_t(HistoryBlockSize));
    EXPECT_EQ(rdsOnly.History.capacity(), 0u);
}
