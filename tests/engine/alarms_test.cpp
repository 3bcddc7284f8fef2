// Alarm evaluation and activation on the fake clock: durations, good and absent
// readings, the quality gate, the repeat delay and the output pins.
#include "clock_time_group.h"
#include "engine_fixture.h"
#include "engine_tables.h"
#include "station_events.h"

using namespace vantor;
using namespace vantor::test;

namespace {

// The kinds judged on the analyzer's readings; those on the decoded RDS have
// their own tests (rds_alarms_test.cpp).
constexpr int SignalKinds = AlarmRdsLevel + 1;

class Alarms : public EngineFixture
{
protected:
    void SetUp() override
    {
        WriteDevices({QStringLiteral("10.0.0.5:7000")});
        WriteStations({{"Radio 1", "98.5", "D0", 60, 0, "Measuring/RDS", "All"}});
        QByteArray set = "[General]\r\nAlarmSetCount=1\r\n[AlarmSet0]\r\nName=All\r\n"
                         "SD_DrivePin2=1\r\nSD_Pin2Polarity=1\r\n";
        for (int kind = 0; kind < SignalKinds; ++kind)
            set += AlarmKindPrefixes[kind].toLatin1() + "_Enabled=1\r\n" +
                   AlarmKindPrefixes[kind].toLatin1() + "_Duration=10\r\n";
        WriteFile(QStringLiteral("alarms.ini"), set);
        WriteFile(QStringLiteral("config.ini"), "[General]\r\nSameAlarmDelay=5\r\n");
        Start();
        ConnectAll();
        TuneAndMeasure();
    }

    void TuneAndMeasure()
    {
        engine.Tune(0, 0, false);
        engine.StartMeasuring(0);
        clock.advanceSeconds(5);
        library.clearCalls();
    }

    TDevice &Dev() { return Tables(engine).Devices[0]; }

    // One receive tick 200 ms later with these responses (plus a good quality,
    // so the quality gate stays open, unless told otherwise).
    void Tick(const QStringList &responses, bool goodQuality = true)
    {
        if (goodQuality)
            library.pushResponse(0, QStringLiteral("Signal Quality=5"));
        for (const QString &r : responses)
            library.pushResponse(0, r);
        ReceiveTick();
    }

    // The responses that make each kind's reading bad or good.
    QStringList Bad(int kind)
    {
        switch (kind) {
        case AlarmSilence:
            return {QStringLiteral("AVE=10.0 kHz")};
        case AlarmPiMismatch:
            return {QStringLiteral("G=FFFF04000000ABCD")};
        case AlarmTimeError:
            return {QStringLiteral("G=") +
                    ClockTimeGroup(QStringLiteral("D3C3"),
                                   clock.currentDateTime().toUTC().addSecs(300))};
        case AlarmOvermodulation:
            return {QStringLiteral("AVE=80.0 kHz"), QStringLiteral("MAX Hold=95.0 kHz")};
        case AlarmSignalQuality:
            return {QStringLiteral("Signal Quality=2")};
        case AlarmPilot:
            return {QStringLiteral("Pilot=5.0 kHz")};
        case AlarmModulationPower:
            return {QStringLiteral("Pm=6.0 dBr")};
        case AlarmRfLevel:
            return {QStringLiteral("Level=30.0 dBuV")};
        case AlarmRdsLevel:
            return {QStringLiteral("RDS=9.00 kHz")};
        }
        return {};
    }
    QStringList Good(int kind)
    {
        switch (kind) {
        case AlarmSilence:
            return {QStringLiteral("AVE=40.0 kHz")};
        case AlarmPiMismatch:
            return {QStringLiteral("G=D3C404000000ABCD")}; // the second code listed
        case AlarmTimeError:
            return {QStringLiteral("G=") +
                    ClockTimeGroup(QStringLiteral("D3C3"), clock.currentDateTime().toUTC())};
        case AlarmOvermodulation:
            return {QStringLiteral("AVE=40.0 kHz"), QStringLiteral("MAX Hold=70.0 kHz")};
        case AlarmSignalQuality:
            return {QStringLiteral("Signal Quality=5")};
        case AlarmPilot:
            return {QStringLiteral("Pilot=6.8 kHz")};
        case AlarmModulationPower:
            return {QStringLiteral("Pm=1.0 dBr")};
        case AlarmRfLevel:
            return {QStringLiteral("Level=60.0 dBuV")};
        case AlarmRdsLevel:
            return {QStringLiteral("RDS=4.00 kHz")};
        }
        return {};
    }

    int AlarmLines(int kind)
    {
        return DeviceLog(0).count(QStringLiteral("Alarm: ") + AlarmKindNames[kind] +
                                  QStringLiteral(" (Radio 1)"));
    }
};

} // namespace

TEST_F(Alarms, EveryKindActivatesAfterItsDurationAndClearsOnAGoodReading)
{
    Dev().Station.PI = QStringLiteral("d3c3 D3C4"); // letter case does not matter
    for (int kind = 0; kind < SignalKinds; ++kind) {
        TuneAndMeasure();
        Dev().Station.PI = QStringLiteral("d3c3 D3C4");
        const bool gate = kind != AlarmSignalQuality;
        // 55 ticks of 200 ms: the run starts at the first and lasts 10.8 s.
        for (int t = 0; t < 55; ++t)
            Tick(Bad(kind), gate);
        EXPECT_FALSE(Dev().AlarmActive[kind]) << AlarmKindNames[kind].toStdString();
        EXPECT_NE(Dev().AlarmStart[kind], 0) << "pending";
        Tick(Bad(kind), gate); // 11.0 s after the first bad reading
        EXPECT_TRUE(Dev().AlarmActive[kind]) << AlarmKindNames[kind].toStdString();
        EXPECT_EQ(AlarmLines(kind), 1) << AlarmKindNames[kind].toStdString();
        Tick(Good(kind));
        EXPECT_FALSE(Dev().AlarmActive[kind]) << AlarmKindNames[kind].toStdString();
        EXPECT_EQ(Dev().AlarmStart[kind], 0);
    }
}

TEST_F(Alarms, AGoodReadingRestartsTheRunAndAbsentReadingsLeaveItPending)
{
    for (int t = 0; t < 50; ++t)
        Tick(Bad(AlarmSilence));
    Tick(Good(AlarmSilence));
    for (int t = 0; t < 30; ++t)
        Tick(Bad(AlarmSilence));
    EXPECT_FALSE(Dev().AlarmActive[AlarmSilence]) << "the run restarted 6 s ago";

    // No readings for 20 s: still pending; the next bad reading activates.
    for (int t = 0; t < 100; ++t)
        Tick({});
    EXPECT_FALSE(Dev().AlarmActive[AlarmSilence]);
    EXPECT_NE(Dev().AlarmStart[AlarmSilence], 0);
    Tick(Bad(AlarmSilence));
    EXPECT_TRUE(Dev().AlarmActive[AlarmSilence]);
}

TEST_F(Alarms, PoorQualityFreezesAllButSilenceAndQuality)
{
    // Quality "3" is below "Good (4)": the gate closes.
    for (int t = 0; t < 60; ++t)
        Tick({QStringLiteral("Signal Quality=3"), QStringLiteral("AVE=10"),
              QStringLiteral("Level=30")},
             false);
    EXPECT_TRUE(Dev().AlarmActive[AlarmSilence]);
    EXPECT_FALSE(Dev().AlarmActive[AlarmSignalQuality]) << "3 is not below 1 + 2";
    EXPECT_FALSE(Dev().AlarmActive[AlarmRfLevel]);
    EXPECT_EQ(Dev().AlarmStart[AlarmRfLevel], 0) << "frozen, not even pending";

    // With the gate off in the preferences the level alarm counts again.
    engine.Prefs().SetFlag(QStringLiteral("IgnoreValues"), false);
    for (int t = 0; t < 60; ++t)
        Tick({QStringLiteral("Signal Quality=3"), QStringLiteral("Level=30")}, false);
    EXPECT_TRUE(Dev().AlarmActive[AlarmRfLevel]);
}

TEST_F(Alarms, ThresholdsAndPresenceRules)
{
    // A Pm limit of -5 dBr never fires on -3 dBr: readings of -1 or below are absent.
    Dev().AlarmSet.PM_Maximum = -5;
    // "----" as PI, or a station PI shorter than 4 characters, leaves kind 1 alone.
    for (int t = 0; t < 60; ++t)
        Tick({QStringLiteral("Pm=-3.0 dBr"), QStringLiteral("G=----04000000ABCD")});
    EXPECT_FALSE(Dev().AlarmActive[AlarmModulationPower]);
    EXPECT_EQ(Dev().AlarmStart[AlarmPiMismatch], 0);
    Dev().Station.PI = QStringLiteral("D3C");
    for (int t = 0; t < 60; ++t)
        Tick({QStringLiteral("G=FFFF04000000ABCD")});
    EXPECT_EQ(Dev().AlarmStart[AlarmPiMismatch], 0);

    // Signal quality: SQ 0 needs below 2, SQ 3 below 5.
    Dev().AlarmSet.SQ_SignalQuality = 3;
    for (int t = 0; t < 60; ++t)
        Tick({QStringLiteral("Signal Quality=4")}, false);
    EXPECT_TRUE(Dev().AlarmActive[AlarmSignalQuality]);
    Dev().AlarmSet.SQ_SignalQuality = 0;
    Tick({QStringLiteral("Signal Quality=2")}, false);
    EXPECT_FALSE(Dev().AlarmActive[AlarmSignalQuality]);

    // A disabled kind is cleared at every evaluated tick, without pin commands.
    Dev().AlarmActive[AlarmPilot] = true;
    Dev().AlarmSet.Basic[AlarmPilot].Enabled = false;
    Tick({});
    EXPECT_FALSE(Dev().AlarmActive[AlarmPilot]);
}

TEST_F(Alarms, TheRepeatDelaySuppressesTheNoticeButNotThePins)
{
    for (int t = 0; t < 56; ++t)
        Tick(Bad(AlarmSilence));
    ASSERT_TRUE(Dev().AlarmActive[AlarmSilence]);
    EXPECT_EQ(library.commands(0).filter(QStringLiteral("ARJ:")),
              QStringList{QStringLiteral("ARJ:GH*X")});
    Tick(Good(AlarmSilence));
    EXPECT_EQ(library.commands(0).filter(QStringLiteral("ARJ:")),
              (QStringList{QStringLiteral("ARJ:GH*X"), QStringLiteral("ARJ:GD*X")}));

    // A second activation within five minutes: pins again, no log line.
    for (int t = 0; t < 56; ++t)
        Tick(Bad(AlarmSilence));
    EXPECT_TRUE(Dev().AlarmActive[AlarmSilence]);
    EXPECT_EQ(AlarmLines(AlarmSilence), 1);
    EXPECT_EQ(library.commands(0).filter(QStringLiteral("ARJ:GH*X")).size(), 2);

    // After the delay the notice comes again.
    Tick(Good(AlarmSilence));
    clock.advanceSeconds(6 * 60);
    for (int t = 0; t < 56; ++t)
        Tick(Bad(AlarmSilence));
    EXPECT_EQ(AlarmLines(AlarmSilence), 2);
}

TEST_F(Alarms, AQuickEntryStationMarksTheKindActiveAndDoesNothingElse)
{
    Dev().StationIndex = -1;
    for (int t = 0; t < 56; ++t)
        Tick(Bad(AlarmSilence));
    EXPECT_TRUE(Dev().AlarmActive[AlarmSilence]);
    EXPECT_EQ(AlarmLines(AlarmSilence), 0);
    EXPECT_TRUE(library.commands(0).filter(QStringLiteral("ARJ:")).isEmpty());
}

TEST_F(Alarms, NoEvaluationForQuietDevicesOrWithoutAnAlarmSet)
{
    engine.IgnoreRX(0, 60);
    for (int t = 0; t < 60; ++t)
        Tick(Bad(AlarmSilence));
    EXPECT_EQ(Dev().AlarmStart[AlarmSilence], 0);
    Dev().IgnoreUntil = 0;
    Dev().AlarmSetActive = false;
    for (int t = 0; t < 60; ++t)
        Tick(Bad(AlarmSilence));
    EXPECT_EQ(Dev().AlarmStart[AlarmSilence], 0);
}

TEST_F(Alarms, OvermodulationIsJudgedWhenAnAveEntryExistsEvenWithoutValue)
{
    for (int t = 0; t < 5; ++t)
        Tick(Bad(AlarmOvermodulation));
    ASSERT_NE(Dev().AlarmStart[AlarmOvermodulation], 0) << "pending";
    // An entry named "AVE" whose value is empty makes the kind present: its
    // condition is false (no AVE above the limit), so the pending start clears.
    engine.AddToLastData(0, QStringLiteral("AVE"), QString());
    Tick({QStringLiteral("MAX Hold=95.0 kHz")});
    EXPECT_EQ(Dev().AlarmStart[AlarmOvermodulation], 0);
}

TEST_F(Alarms, RaisesAndClearsReachTheAlarmHistoryFile)
{
    for (int t = 0; t < 56; ++t)
        Tick(Bad(AlarmPilot));
    ASSERT_TRUE(Dev().AlarmActive[AlarmPilot]);
    clock.advanceSeconds(30);
    Tick(Good(AlarmPilot));
    ASSERT_FALSE(Dev().AlarmActive[AlarmPilot]);
    for (int t = 0; t < 56; ++t)
        Tick(Bad(AlarmRfLevel));

    const auto entries = engine.AlarmHistoryRecords().Entries({});
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].kind, QStringLiteral("rf_level"));
    EXPECT_TRUE(entries[0].active);
    EXPECT_EQ(entries[1].kind, QStringLiteral("pilot"));
    EXPECT_EQ(entries[1].device, QStringLiteral("D0"));
    EXPECT_EQ(entries[1].station, QStringLiteral("Radio 1"));
    EXPECT_EQ(entries[1].frequency, QStringLiteral("98.5"));
    EXPECT_EQ(entries[1].value, QStringLiteral("5.0 kHz"));
    EXPECT_EQ(entries[1].limit, QStringLiteral("Pilot < 5800 or > 7700"));
    EXPECT_EQ(entries[1].clearedValue, QStringLiteral("6.8 kHz"));
    EXPECT_EQ(entries[1].raised.secsTo(entries[1].cleared), 30);
    EXPECT_FALSE(entries[1].active);

    // What the next run reads: the same two, the open one no longer active.
    AlarmHistory again;
    QString error;
    ASSERT_TRUE(again.Open(Data(), &error)) << error.toStdString();
    const auto read = again.Entries({});
    ASSERT_EQ(read.size(), 2);
    EXPECT_EQ(read[1].limit, entries[1].limit);
    EXPECT_EQ(read[1].cleared, entries[1].cleared);
    EXPECT_FALSE(read[0].active);
    EXPECT_FALSE(read[0].cleared.isValid());
}

TEST_F(Alarms, EveryKindIsToldOnceAsRaisedAndOnceAsClearedWithItsValueAndLimit)
{
    StationEventWatcher watcher(engine);
    std::vector<StationEvent> events;
    QObject::connect(&watcher, &StationEventWatcher::happened,
                     [&](const StationEvent &e) { events.push_back(e); });
    for (int kind = 0; kind < SignalKinds; ++kind) {
        TuneAndMeasure();
        Dev().Station.PI = QStringLiteral("D3C3 D3C4");
        const bool gate = kind != AlarmSignalQuality;
        events.clear();
        for (int t = 0; t < 60; ++t)
            Tick(Bad(kind), gate);
        ASSERT_TRUE(Dev().AlarmActive[kind]);
        Tick(Good(kind));
        Tick(Good(kind));
        ASSERT_EQ(events.size(), 2u) << AlarmKindNames[kind].toStdString();
        EXPECT_EQ(events[0].type, StationEventType::AlarmRaised);
        EXPECT_EQ(events[1].type, StationEventType::AlarmCleared);
        for (const StationEvent &e : events) {
            EXPECT_EQ(e.kind, kind);
            EXPECT_EQ(e.device, 0);
            EXPECT_EQ(e.deviceName, QStringLiteral("D0"));
            EXPECT_EQ(e.station, QStringLiteral("Radio 1"));
            EXPECT_EQ(e.limit, kind == AlarmPiMismatch ? QStringLiteral("D3C3 D3C4")
                                                       : AlarmLimitText(Dev().AlarmSet, kind));
            EXPECT_EQ(e.limit, AlarmLimitOf(Dev(), kind));
            EXPECT_FALSE(e.limit.isEmpty());
        }
        // The reading at the raise is the one the status shows then.
        EXPECT_FALSE(events[0].value.isEmpty()) << AlarmKindNames[kind].toStdString();
    }
}

TEST_F(Alarms, ALostAndRegainedLinkIsToldButNotTheFirstConnection)
{
    StationEventWatcher watcher(engine);
    std::vector<StationEventType> events;
    QObject::connect(&watcher, &StationEventWatcher::happened,
                     [&](const StationEvent &e) { events.push_back(e.type); });
    library.setConnectSucceeds(false);
    library.setConnected(Dev().Handle, false);
    engine.TimerConnectTimer();
    ASSERT_EQ(events, std::vector<StationEventType>{StationEventType::LinkLost});
    Dev().ConnectCountdown = 0; // the time before the next attempt has passed
    ConnectAll();
    EXPECT_EQ(events, (std::vector<StationEventType>{StationEventType::LinkLost,
                                                     StationEventType::LinkRegained}));
}
