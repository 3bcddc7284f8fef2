// The engine with the real device library against the analyzer simulator over
// loopback TCP and a pseudo-terminal: registration, connection, loss and
// reconnection, polling and the values that come back; and a device that
// floods its link.
#include "analyzer-sim/simulator.h"
#include "clock_time_group.h"
#include "engine.h"
#include "engine_tables.h"
#include "fake_clock.h"
#include "link_library.h"
#include "response_buffer.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTime>
#include <gtest/gtest.h>

using namespace vantor;
using namespace vantor::test;

namespace {

class EngineWithSimulator : public ::testing::Test
{
protected:
    QString Data() const { return tmp.path() + QStringLiteral("/data"); }

    void WriteDevices(const QString &connection, const QByteArray &config = {})
    {
        QDir().mkpath(Data());
        ASSERT_TRUE(
            writeAll(Data() + QStringLiteral("/devices.ini"),
                     "[General]\r\nDeviceCount=1\r\n[Device0]\r\nName=Tx Site\r\nConnection=" +
                         connection.toLatin1() + "\r\n"));
        ASSERT_TRUE(writeAll(Data() + QStringLiteral("/config.ini"), "[General]\r\n" + config));
    }

    void Start()
    {
        library = std::make_unique<AnalyzerLinkLibrary>(Data());
        engine = std::make_unique<Engine>(clock, *library, view);
        engine->Start(tmp.path(), Data());
    }

    // One connection tick, then the event loop runs until cond holds.
    bool ConnectTickUntil(const std::function<bool()> &cond, int ticks = 5)
    {
        for (int k = 0; k < ticks; ++k) {
            engine->TimerConnectTimer();
            if (waitFor(cond, 1000))
                return true;
        }
        return false;
    }

    QString DeviceLines() const
    {
        const TDevice &d = Tables(*engine).Devices[0];
        return d.ActivityLines ? d.ActivityLines->join(QLatin1Char('\n')) : QString();
    }

    QStringList SimCommands()
    {
        QStringList lines = sim.control(QStringLiteral("commands"));
        lines.removeLast(); // "OK"
        return lines;
    }

    // Runs a second of engine time: one poll, five receive ticks with the
    // event loop turning between them. (No scheduler: the station is set by
    // hand and has no countdowns.)
    void RunSecond()
    {
        engine->TimerSendTimer();
        for (int k = 0; k < 5; ++k) {
            waitFor([] { return false; }, 40);
            clock.advanceMs(200);
            engine->TimerReceiveTimer();
        }
    }

    QTemporaryDir tmp;
    sim::Simulator sim{sim::Scenario::builtIn(), 7};
    FakeClock clock{QDateTime::currentDateTime()};
    HeadlessView view;
    std::unique_ptr<AnalyzerLinkLibrary> library;
    std::unique_ptr<Engine> engine;
};

} // namespace

TEST_F(EngineWithSimulator, ConnectsLosesTheLinkAndReconnectsOverTcp)
{
    const int port = sim.listenTcp(QHostAddress::LocalHost, 0);
    ASSERT_GT(port, 0) << qPrintable(sim.errorString());
    const QString entry = QStringLiteral("127.0.0.1:%1").arg(port);
    WriteDevices(entry, "ConnectionTimeout=20\r\n");
    Start();

    ASSERT_TRUE(
        ConnectTickUntil([&] { return Tables(*engine).Devices[0].ConnectCountdown == -1; }));
    EXPECT_TRUE(DeviceLines().contains(QStringLiteral("Connecting to ") + entry +
                                       QStringLiteral("... (attempt 1)")));
    EXPECT_TRUE(DeviceLines().contains(QStringLiteral("Connected to ") + entry));
    EXPECT_TRUE(Tables(*engine)
                    .G.AppActivityLines.join(QLatin1Char('\n'))
                    .contains(QStringLiteral("Connected to ") + entry));
    ASSERT_TRUE(waitFor([&] { return SimCommands().size() >= 3; }));
    EXPECT_EQ(SimCommands(),
              (QStringList{QStringLiteral("*r"), QStringLiteral("*m"), QStringLiteral("*p")}));

    // The simulator drops the link: the loss is logged on the next visit and
    // the next attempt follows ConnectionTimeout seconds later.
    ASSERT_EQ(sim.control(QStringLiteral("drop")).last().left(2), QStringLiteral("OK"));
    ASSERT_TRUE(waitFor([&] {
        library->SetDevice(Tables(*engine).Devices[0].Handle);
        return !library->Connected();
    }));
    engine->TimerConnectTimer();
    EXPECT_TRUE(DeviceLines().endsWith(QStringLiteral("Disconnected from ") + entry));
    for (int k = 0; k < 19; ++k)
        engine->TimerConnectTimer();
    EXPECT_FALSE(DeviceLines().contains(QStringLiteral("(attempt 2)")));
    EXPECT_FALSE(DeviceLines().endsWith(QStringLiteral("(attempt 1)")));
    ASSERT_TRUE(
        ConnectTickUntil([&] { return Tables(*engine).Devices[0].ConnectCountdown == -1; }));
    EXPECT_EQ(DeviceLines().count(QStringLiteral("Connected to ") + entry), 2);
    EXPECT_EQ(Tables(*engine).Devices[0].ConnectAttempts, 0);
}

TEST_F(EngineWithSimulator, ACopiedStationIsPolledAndItsValuesArrive)
{
    const int port = sim.listenTcp(QHostAddress::LocalHost, 0);
    ASSERT_GT(port, 0);
    WriteDevices(QStringLiteral("127.0.0.1:%1").arg(port));
    Start();
    ASSERT_TRUE(
        ConnectTickUntil([&] { return Tables(*engine).Devices[0].ConnectCountdown == -1; }));

    // A station copied in by hand, as tuning will do, in the combined mode.
    TDevice &d = Tables(*engine).Devices[0];
    d.Station.Name = QStringLiteral("City FM");
    d.Station.Frequency = QStringLiteral("98.5");
    d.Station.RDS = -1;
    d.StationActive = true;
    engine->Retune(0, d.Station.Frequency, false);
    engine->StartMeasuring(0);
    clock.advanceSeconds(5); // past the ignore window

    for (int s = 0; s < 4; ++s)
        RunSecond();
    const QStringList commands = SimCommands();
    EXPECT_TRUE(commands.contains(QStringLiteral("098500*F")));
    for (const char *query : {"?Q", "?U", "?A", "?N", "?I"})
        EXPECT_TRUE(commands.contains(QLatin1String(query))) << query;

    auto column = [&](const char *name) {
        return d.ColumnValue[GetTableColumn(QLatin1String(name))];
    };
    EXPECT_NEAR(column("AVE"), 38.0, 3.0);
    EXPECT_NEAR(column("Level"), 58.5, 3.0);
    EXPECT_NEAR(column("Pilot"), 7.0, 1.0);
    EXPECT_EQ(engine->GetLastData(0, QStringLiteral("PI")), QStringLiteral("A202"));
    EXPECT_GE(d.HistoryCount, 3);
    EXPECT_LE(d.HistoryCount, 5);
    EXPECT_LT(d.ColumnMin[2], d.ColumnMax[2] + 0.001f);
    EXPECT_GT(d.ColumnMin[2], 30.0f);

    // A clock-time group 3 minutes ahead of the engine's clock. The simulator
    // sends its own at each turn of its minute, which would be read after
    // ours: the group goes in clear of that turn.
    while (QTime::currentTime().second() >= 57)
        RunSecond();
    const QDateTime ahead = clock.currentDateTime().addSecs(180);
    const QString ct = ClockTimeGroup(QStringLiteral("A202"), ahead, ahead.offsetFromUtc() / 1800);
    ASSERT_EQ(sim.control(QStringLiteral("group ") + ct).last().left(2), QStringLiteral("OK"));
    RunSecond();
    const int error = engine->GetLastDataInt(0, QStringLiteral("Time Error"));
    // The group carries whole minutes; up to a second of engine time passes
    // before it is read.
    EXPECT_GE(error, 176 - ahead.time().second());
    EXPECT_LE(error, 180);

    // A drifted receiver is tuned back.
    sim.control(QStringLiteral("drift 98.4"));
    for (int s = 0; s < 12 && !DeviceLines().contains(QStringLiteral("Tuning frequency refresh"));
         ++s)
        RunSecond();
    EXPECT_TRUE(DeviceLines().contains(QStringLiteral("Tuning frequency refresh: 98.5")));
    EXPECT_EQ(SimCommands().filter(QStringLiteral("098500*F")).size(), 2);
}

TEST_F(EngineWithSimulator, ASerialDeviceOnAPseudoTerminal)
{
    const QString link = tmp.path() + QStringLiteral("/sim-pty");
    ASSERT_TRUE(sim.openPty(link)) << qPrintable(sim.errorString());
    QDir().mkpath(Data() + QStringLiteral("/ports"));
    ASSERT_TRUE(QFile::link(link, Data() + QStringLiteral("/ports/COM7")));
    WriteDevices(QStringLiteral("COM7:115200"));
    Start();
    ASSERT_TRUE(
        ConnectTickUntil([&] { return Tables(*engine).Devices[0].ConnectCountdown == -1; }));
    EXPECT_TRUE(DeviceLines().contains(QStringLiteral("Connected to COM7:115200")));
    ASSERT_TRUE(waitFor([&] { return SimCommands().size() >= 3; }));
    EXPECT_EQ(SimCommands().first(), QStringLiteral("*r"));

    Tables(*engine).Devices[0].Station.Frequency = QStringLiteral("94.2");
    Tables(*engine).Devices[0].StationActive = true;
    engine->Retune(0, QStringLiteral("94.2"), false);
    engine->StartMeasuring(0);
    clock.advanceSeconds(5);
    for (int s = 0; s < 3; ++s)
        RunSecond();
    EXPECT_NEAR(Tables(*engine).Devices[0].ColumnValue[GetTableColumn(QStringLiteral("Level"))],
                62.0, 3.0);
}

// An analyzer that floods its link: a line far too long, then more responses
// than the library keeps between two reads. The device's activity log tells
// of the lost data, once a minute.
TEST_F(EngineWithSimulator, AFloodingDeviceIsToldInItsActivityLogOnceAMinute)
{
    QTcpServer analyzer;
    ASSERT_TRUE(analyzer.listen(QHostAddress::LocalHost));
    WriteDevices(QStringLiteral("127.0.0.1:%1").arg(analyzer.serverPort()));
    Start();
    ASSERT_TRUE(
        ConnectTickUntil([&] { return Tables(*engine).Devices[0].ConnectCountdown == -1; }));
    ASSERT_TRUE(waitFor([&] { return analyzer.hasPendingConnections(); }));
    std::unique_ptr<QTcpSocket> link(analyzer.nextPendingConnection());

    const QString cut = QStringLiteral("The device sent a line longer than 4096 bytes");
    const QString fast = QStringLiteral("The device sends faster than it is read");
    auto flood = [&](const QByteArray &bytes) {
        link->write(bytes);
        ASSERT_TRUE(waitFor([&] { return link->bytesToWrite() == 0; }));
    };
    auto manyResponses = [] {
        QByteArray burst;
        for (int i = 0; i < ResponseBuffer::MaxQueuedResponses + 10; ++i)
            burst += "G=" + QByteArray::number(i) + "\r\n";
        return burst;
    };

    flood(QByteArray(3 * ResponseBuffer::MaxResponseLength, 'x') + "\r\n");
    ASSERT_TRUE(waitFor([&] { return DeviceLines().contains(cut); })) << qPrintable(DeviceLines());
    flood(manyResponses());
    // Everything has arrived, and nothing more is told within the minute.
    ASSERT_TRUE(waitFor([&] {
        library->SetDevice(Tables(*engine).Devices[0].Handle);
        return library->ReadBufferLength() == ResponseBuffer::MaxQueuedResponses;
    }));
    EXPECT_FALSE(DeviceLines().contains(fast));
    EXPECT_EQ(DeviceLines().count(cut), 1);

    clock.advanceSeconds(61);
    flood(manyResponses());
    ASSERT_TRUE(waitFor([&] { return DeviceLines().contains(fast); })) << qPrintable(DeviceLines());
    EXPECT_EQ(DeviceLines().count(fast), 1);
}
