// The connection manager: registration, attempts, link up and down, the
// connection alarm, on a fake library.
#include "connection_entry.h"
#include "engine_fixture.h"
#include "engine_tables.h"

using namespace vantor;
using namespace vantor::test;

TEST(ConnectionEntry, Grammar)
{
    using K = ConnectionEntry;
    struct Case {
        const char *entry;
        K::Kind kind;
        int comPort, speed;
        const char *host;
        int port;
    };
    const Case cases[] = {
        {"", K::None, 0, 0, "", 0},
        {"COM3", K::Serial, 3, 0, "", 0},
        {"com3:19200", K::Serial, 3, 19200, "", 0},
        {"COM255:x", K::Serial, 255, 0, "", 0},
        {"COM0", K::Invalid, 0, 0, "", 0},
        {"COM256", K::Invalid, 0, 0, "", 0},
        {"COMX", K::Invalid, 0, 0, "", 0},
        {"compact:7000", K::Invalid, 0, 0, "", 0}, // taken for a serial entry
        {"Analyzer.local:7000", K::Tcp, 0, 0, "Analyzer.local", 7000},
        {"10.0.0.5:1", K::Tcp, 0, 0, "10.0.0.5", 1},
        {"10.0.0.5:65535", K::Tcp, 0, 0, "10.0.0.5", 65535},
        {":7000", K::Invalid, 0, 0, "", 0},
        {"host:0", K::Invalid, 0, 0, "", 0},
        {"host:65536", K::Invalid, 0, 0, "", 0},
        {"host:abc", K::Invalid, 0, 0, "", 0},
        {"host:80:90", K::Invalid, 0, 0, "", 0},
        {"just-a-name", K::Invalid, 0, 0, "", 0},
    };
    for (const Case &c : cases) {
        const ConnectionEntry e = ParseConnectionEntry(QLatin1String(c.entry));
        EXPECT_EQ(e.kind, c.kind) << c.entry;
        EXPECT_EQ(e.comPort, c.comPort) << c.entry;
        EXPECT_EQ(e.speed, c.speed) << c.entry;
        EXPECT_EQ(e.host, QLatin1String(c.host)) << c.entry;
        EXPECT_EQ(e.port, c.port) << c.entry;
    }
}

namespace {
class ConnectionManager : public EngineFixture
{};
} // namespace

TEST_F(ConnectionManager, FirstVisitRegistersTheDeviceAndMakesTheFirstAttempt)
{
    WriteDevices({QStringLiteral("127.0.0.1:7000"), QStringLiteral("COM3:19200")});
    Start();
    engine.TimerConnectTimer();

    const TDevice &d = Tables(engine).Devices[0];
    EXPECT_EQ(d.Handle, 0);
    EXPECT_EQ(news.devicesWith(Registered), QList<int>{0}) << "announced once the tick ends";
    EXPECT_TRUE(d.ActivityLogOpen);
    EXPECT_TRUE(AppLines().endsWith(
        QStringLiteral("[application] Initializing device D0 (0), getting handle 0")));
    const QByteArray file =
        readAll(Tables(engine).Folders.AppLogsFolder + QStringLiteral("D0 - 2024-05-01.log"));
    EXPECT_EQ(
        file,
        QByteArray("2024.05.01 12:00:00 [D0] Initializing device D0 (0), getting handle 0\r\n"
                   "2024.05.01 12:00:00 [D0] Connecting to 127.0.0.1:7000... (attempt 1)\r\n"));
    EXPECT_FALSE(AppLines().contains(QStringLiteral("Connecting")));
    ASSERT_EQ(library.calls(QStringLiteral("ConnectionSetup")).size(), 1u);
    EXPECT_EQ(library.calls(QStringLiteral("ConnectionSetup"))[0].args,
              (QStringList{QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("127.0.0.1"),
                           QStringLiteral("7000")}));
    EXPECT_EQ(library.calls(QStringLiteral("Connect")).size(), 1u);
    EXPECT_EQ(d.ConnectCountdown, 30);

    engine.TimerConnectTimer();
    EXPECT_EQ(Tables(engine).Devices[1].Handle, 1);
    EXPECT_EQ(library.calls(QStringLiteral("ConnectionSetup"))[1].args,
              (QStringList{QStringLiteral("0"), QStringLiteral("3"), QString(),
                           QStringLiteral("19200")}));
}

TEST_F(ConnectionManager, EntriesThatBreakTheGrammarCountButCallNothing)
{
    WriteDevices({QStringLiteral("COM0"), QStringLiteral(""), QStringLiteral("host:0")});
    Start();
    for (int k = 0; k < 3; ++k)
        engine.TimerConnectTimer();
    EXPECT_TRUE(library.calls(QStringLiteral("ConnectionSetup")).empty());
    EXPECT_TRUE(library.calls(QStringLiteral("Connect")).empty());
    EXPECT_EQ(Tables(engine).Devices[0].ConnectAttempts, 1);
    EXPECT_TRUE(DeviceLog(0).endsWith(QStringLiteral("Connecting to COM0... (attempt 1)")));
    // An empty entry is never connected and never counted.
    EXPECT_EQ(Tables(engine).Devices[1].ConnectAttempts, 0);
    EXPECT_EQ(Tables(engine).Devices[2].ConnectAttempts, 1);
}

TEST_F(ConnectionManager, ConnectsLosesAndRetriesAfterTheTimeout)
{
    WriteDevices({QStringLiteral("10.0.0.5:7000")});
    Start();
    library.setConnectSucceeds(true);
    engine.TimerConnectTimer(); // registers and connects
    engine.TimerConnectTimer(); // sees the link up
    const TDevice &d = Tables(engine).Devices[0];
    EXPECT_EQ(d.ConnectCountdown, -1);
    EXPECT_EQ(news.devicesWith(ConnectionChanged), QList<int>{0});
    EXPECT_TRUE(AppLines().endsWith(QStringLiteral("[application] Connected to 10.0.0.5:7000")));
    EXPECT_TRUE(DeviceLog(0).endsWith(QStringLiteral("[D0] Connected to 10.0.0.5:7000")));
    // An idle device gets every output switched off.
    EXPECT_EQ(library.commands(0),
              (QStringList{QStringLiteral("*r"), QStringLiteral("*m"), QStringLiteral("*p")}));

    library.clearCalls();
    engine.TimerConnectTimer();
    EXPECT_TRUE(library.commands(0).isEmpty()) << "connected state is acknowledged once";

    library.setConnected(0, false);
    engine.TimerConnectTimer();
    EXPECT_TRUE(DeviceLog(0).endsWith(QStringLiteral("Disconnected from 10.0.0.5:7000")));
    EXPECT_EQ(news.devicesWith(ConnectionChanged), (QList<int>{0, 0}));
    EXPECT_TRUE(library.calls(QStringLiteral("Connect")).empty())
        << "no attempt on the visit that sees the loss";
    EXPECT_EQ(d.ConnectCountdown, 30);

    library.setConnectSucceeds(false);
    for (int k = 0; k < 29; ++k)
        engine.TimerConnectTimer();
    EXPECT_TRUE(library.calls(QStringLiteral("Connect")).empty());
    engine.TimerConnectTimer();
    EXPECT_EQ(library.calls(QStringLiteral("Connect")).size(), 1u);
    EXPECT_TRUE(DeviceLog(0).endsWith(QStringLiteral("(attempt 1)")));
}

TEST_F(ConnectionManager, RetryPauseIsTheTimeoutRoundedUpToTheDeviceCount)
{
    for (int devices : {3, 4}) {
        QStringList entries;
        for (int i = 0; i < devices; ++i)
            entries << QStringLiteral("10.0.0.%1:7000").arg(i + 1);
        FakeDeviceLibrary lib;
        RecordingView v;
        Engine e(clock, lib, v);
        WriteDevices(entries);
        e.Start(tmp.path(), Data());
        std::vector<int> attemptTicks;
        for (int tick = 1; tick <= 80; ++tick) {
            const size_t before = lib.calls(QStringLiteral("Connect")).size();
            e.TimerConnectTimer();
            for (size_t k = before; k < lib.calls(QStringLiteral("Connect")).size(); ++k) {
                if (lib.calls(QStringLiteral("Connect"))[k].handle == 0)
                    attemptTicks.push_back(tick);
            }
        }
        ASSERT_GE(attemptTicks.size(), 2u);
        EXPECT_EQ(attemptTicks[1] - attemptTicks[0], devices == 3 ? 30 : 32)
            << devices << " devices";
    }
}

TEST_F(ConnectionManager, TheConnectionAlarmComesOncePerOutage)
{
    WriteDevices({QStringLiteral("10.0.0.5:7000")});
    WriteFile(QStringLiteral("config.ini"),
              "[General]\r\nConnectionTimeout=20\r\nConnectionAttempts=3\r\n");
    Start();
    auto alarms = [&] {
        return DeviceLog(0).count(QStringLiteral("Alarm: Unable to connect to the device!"));
    };
    int attempts = 0;
    while (attempts < 10) {
        engine.TimerConnectTimer();
        attempts = Tables(engine).Devices[0].ConnectAttempts;
        if (attempts == 3) {
            EXPECT_EQ(alarms(), 0);
        }
        if (attempts == 4) {
            EXPECT_EQ(alarms(), 1);
        }
    }
    EXPECT_EQ(alarms(), 1);

    // A successful connection resets the count; the next outage alarms again.
    library.setConnectSucceeds(true);
    while (Tables(engine).Devices[0].ConnectCountdown != -1)
        engine.TimerConnectTimer();
    EXPECT_EQ(Tables(engine).Devices[0].ConnectAttempts, 0);
    library.setConnected(0, false);
    library.setConnectSucceeds(false);
    while (Tables(engine).Devices[0].ConnectAttempts < 4)
        engine.TimerConnectTimer();
    EXPECT_EQ(alarms(), 2);
}

TEST_F(ConnectionManager, ALinkBackBeforeTheNextVisitIsNeitherLostNorFound)
{
    WriteDevices({QStringLiteral("10.0.0.5:7000"), QStringLiteral("10.0.0.6:7000")});
    Start();
    ConnectAll();
    const QString before = DeviceLog(0);
    engine.TimerConnectTimer(); // visits device 0
    library.setConnected(0, false);
    engine.TimerConnectTimer(); // visits device 1
    library.setConnected(0, true);
    engine.TimerConnectTimer(); // visits device 0 again
    EXPECT_EQ(DeviceLog(0), before);
}

TEST_F(ConnectionManager, LostDataOfALinkReachesTheDeviceLogOnceAMinute)
{
    WriteDevices({QStringLiteral("10.0.0.5:7000"), QStringLiteral("10.0.0.6:7000")});
    Start();
    ConnectAll();
    const QString cut = QStringLiteral("The device sent a line longer than 4096 bytes");
    const QString fast = QStringLiteral("The device sends faster than it is read");

    library.warn(0, cut);
    library.warn(0, fast); // the same minute: not told
    library.warn(1, fast); // another device has its own minute
    library.warn(7, cut);  // no device holds that handle
    EXPECT_TRUE(DeviceLog(0).endsWith(QStringLiteral("[D0] ") + cut)) << qPrintable(DeviceLog(0));
    EXPECT_FALSE(DeviceLog(0).contains(fast));
    EXPECT_TRUE(DeviceLog(1).endsWith(QStringLiteral("[D1] ") + fast)) << qPrintable(DeviceLog(1));

    clock.advanceSeconds(59);
    library.warn(0, fast);
    EXPECT_FALSE(DeviceLog(0).contains(fast));
    clock.advanceSeconds(1);
    library.warn(0, fast);
    EXPECT_TRUE(DeviceLog(0).endsWith(QStringLiteral("[D0] ") + fast));
    // A clock set back does not silence the device for the time it went back.
    clock.advanceSeconds(-3600);
    library.warn(0, cut);
    EXPECT_TRUE(DeviceLog(0).endsWith(QStringLiteral("[D0] ") + cut));
}
