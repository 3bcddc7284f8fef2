// The alarm kinds on the decoded RDS, fed with groups received off air
// (tests/rds/data, see its README): what raises each, what clears it, and
// that nothing is judged outside RDS mode.
#include "engine_fixture.h"
#include "engine_tables.h"
#include "rds_alarm_texts.h"
#include "rds_capture.h"
#include "station_events.h"

using namespace vantor;
using namespace vantor::test;

namespace {

// YLE X3M: PS "YLE X3M ", TA on, no RadioText. Radio Krka: PS "  KRKA  " in
// 0B groups and RadioText in 2B groups, TA off.
const QStringList &X3m()
{
    static const QStringList groups = RdsCaptureGroups(QStringLiteral("yle-x3m-2016-09-15.groups"));
    return groups;
}
const QStringList &KrkaPs()
{
    static const QStringList groups = RdsCaptureGroups(QStringLiteral("radio-krka-0b.groups"));
    return groups;
}
const QStringList &KrkaText()
{
    static const QStringList groups = RdsCaptureGroups(QStringLiteral("radio-krka-2b-rt.groups"));
    return groups;
}

// The groups played five times over, blocks C and D lost in every
// `every`-th of them.
QStringList WithLostBlocks(const QStringList &groups, int every)
{
    QStringList lossy;
    for (int t = 0; t < 5; ++t)
        lossy += groups;
    for (qsizetype i = 0; i < lossy.size(); i += every)
        lossy[i] = lossy[i].left(8) + QStringLiteral("--------");
    return lossy;
}

class RdsAlarms : public EngineFixture
{
protected:
    // One device on one station in RDS mode whose alarm set holds `keys`.
    void StartWith(const QByteArray &keys, const QByteArray &stationPs = "YLE X3M",
                   bool rdsMode = true)
    {
        WriteDevices({QStringLiteral("10.0.0.5:7000")});
        WriteFile(QStringLiteral("stations.ini"),
                  "[General]\r\nStationCount=1\r\n[Station0]\r\nName=Radio 1\r\nFrequency=93.2\r\n"
                  "DeviceName=Dev0\r\nPS=" +
                      stationPs + "\r\nMeasuring=" + (rdsMode ? "0" : "60") +
                      "\r\nRDS=" + (rdsMode ? "60" : "0") +
                      "\r\nModeOrder=RDS\r\nAlarmSetName=Rds\r\nEmail=ops@example.com\r\n");
        WriteFile(QStringLiteral("alarms.ini"),
                  "[General]\r\nAlarmSetCount=1\r\n[AlarmSet0]\r\nName=Rds\r\n" + keys);
        Start();
        ConnectAll();
        m_rdsMode = rdsMode;
        TuneAndListen();
    }

    void TuneAndListen()
    {
        engine.Tune(0, 0, false);
        if (m_rdsMode)
            engine.StartRDS(0);
        else
            engine.StartMeasuring(0);
        clock.advanceSeconds(5); // past the ignore window
        m_next = 0;
    }

    // Receive ticks for `seconds`, two groups a tick (the RDS rate is about
    // 11.4 groups a second), taken in turn from the captures given.
    void Play(const QList<const QStringList *> &captures, int seconds)
    {
        QStringList cycle;
        for (const QStringList *c : captures)
            cycle += *c;
        for (int t = 0; t < seconds * 5; ++t) {
            for (int g = 0; g < 2; ++g)
                library.pushResponse(0, QStringLiteral("G=") + cycle[m_next++ % cycle.size()]);
            ReceiveTick();
        }
    }

    TDevice &Dev() { return Tables(engine).Devices[0]; }
    bool Active(int kind) { return Dev().AlarmActive[kind]; }
    bool Pending(int kind) { return !Active(kind) && Dev().AlarmStart[kind] > 0; }

    bool m_rdsMode = true;
    qsizetype m_next = 0;
};

} // namespace

TEST_F(RdsAlarms, PsMismatchComparesTheReceivedNameWithEveryExpectedOne)
{
    struct Case {
        const char *expected;
        const QStringList *capture;
        bool raised;
    };
    const Case cases[] = {
        {"YLE X3M", &X3m(), false},
        {"RADIO 1|YLE X3M", &X3m(), false}, // any of the names listed
        {"YLE ***", &X3m(), false},
        {"RADIO 1", &X3m(), true},
        {"YLE X3M|RADIO 1|NEWS|POP|X", &X3m(), false},
        {"**KRKA**", &KrkaPs(), false},
        {"KRKA", &KrkaPs(), true}, // the leading blanks are part of the name
        {"", &X3m(), false},       // no name expected: nothing to judge
    };
    StartWith("PS_Enabled=1\r\nPS_Duration=10\r\n");
    for (const Case &c : cases) {
        TuneAndListen();
        Dev().Station.PS = QString::fromLatin1(c.expected);
        Play({c.capture}, 12);
        EXPECT_EQ(Active(AlarmPsMismatch), c.raised) << c.expected;
    }
}

TEST_F(RdsAlarms, PsMismatchRaisesWithItsLogLineAndClearsWhenTheNameReturns)
{
    StartWith("PS_Enabled=1\r\nPS_Duration=10\r\nPS_SendEmail=1\r\n", "**KRKA**");
    StationEventWatcher watcher(engine);
    std::vector<StationEvent> events;
    QObject::connect(&watcher, &StationEventWatcher::happened,
                     [&](const StationEvent &e) { events.push_back(e); });
    Play({&X3m()}, 10);
    EXPECT_TRUE(Pending(AlarmPsMismatch));
    Play({&X3m()}, 2);
    ASSERT_TRUE(Active(AlarmPsMismatch));
    EXPECT_TRUE(DeviceLog(0).contains(QStringLiteral("Alarm: RDS PS mismatch (Radio 1)")));
    EXPECT_EQ(RdsAlarmReading(Dev(), AlarmPsMismatch, clock.now()), QStringLiteral("YLE X3M "));
    Play({&KrkaPs()}, 1);
    EXPECT_FALSE(Active(AlarmPsMismatch));
    EXPECT_EQ(Dev().AlarmStart[AlarmPsMismatch], 0);
    // Webhooks and SNMP notifications are told what was heard and expected.
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].type, StationEventType::AlarmRaised);
    EXPECT_EQ(events[0].kind, AlarmPsMismatch);
    EXPECT_EQ(events[0].value, QStringLiteral("YLE X3M "));
    EXPECT_EQ(events[0].limit, QStringLiteral("**KRKA**"));
    EXPECT_EQ(events[1].type, StationEventType::AlarmCleared);
}

TEST_F(RdsAlarms, TaStuckRaisesAfterItsMinutesAndClearsWhenTaGoesOff)
{
    StartWith("TA_Enabled=1\r\nTA_Duration=120\r\n");
    // The run starts with the first tick, 0.2 s in.
    Play({&X3m()}, 121);
    EXPECT_TRUE(Pending(AlarmTaStuck));
    Play({&X3m()}, 1);
    EXPECT_TRUE(Active(AlarmTaStuck));
    // Groups that carry no TA flag (2B) neither clear nor restart it.
    Play({&KrkaText()}, 5);
    EXPECT_TRUE(Active(AlarmTaStuck));
    Play({&KrkaPs()}, 1);
    EXPECT_FALSE(Active(AlarmTaStuck));
    EXPECT_EQ(Dev().AlarmStart[AlarmTaStuck], 0);
}

TEST_F(RdsAlarms, RadioTextMissingCountsFromItsLastArrival)
{
    StartWith("RT_Enabled=1\r\nRT_Duration=60\r\n");
    // RadioText among the names: never raised.
    Play({&KrkaPs(), &KrkaText()}, 120);
    EXPECT_FALSE(Active(AlarmRadioTextMissing));
    EXPECT_EQ(Dev().AlarmStart[AlarmRadioTextMissing], 0);
    // Then only names: raised once 60 s have passed since the last text.
    Play({&KrkaPs()}, 59);
    EXPECT_FALSE(Active(AlarmRadioTextMissing));
    Play({&KrkaPs()}, 2);
    EXPECT_TRUE(Active(AlarmRadioTextMissing));
    Play({&KrkaText()}, 1);
    EXPECT_FALSE(Active(AlarmRadioTextMissing));

    // A station that never sends any counts from the end of the ignore window.
    TuneAndListen();
    Play({&X3m()}, 61);
    EXPECT_FALSE(Active(AlarmRadioTextMissing));
    Play({&X3m()}, 1);
    EXPECT_TRUE(Active(AlarmRadioTextMissing));
}

TEST_F(RdsAlarms, BlockErrorsAboveTheShareForTheDurationRaiseAndCleanMinutesClear)
{
    StartWith("RE_Enabled=1\r\nRE_Duration=60\r\nRE_MaxShare=10\r\n");
    // Two of four blocks lost in every tenth group: 5 %, below the limit.
    const QStringList fivePercent = WithLostBlocks(X3m(), 10);
    Play({&fivePercent}, 240);
    EXPECT_FALSE(Active(AlarmRdsErrors));
    EXPECT_EQ(Dev().AlarmStart[AlarmRdsErrors], 0);
    // In every second group: 25 %.
    const QStringList quarter = WithLostBlocks(X3m(), 2);
    Play({&quarter}, 240);
    EXPECT_TRUE(Active(AlarmRdsErrors));
    EXPECT_EQ(RdsAlarmReading(Dev(), AlarmRdsErrors, clock.now()), QStringLiteral("25.0 %"));
    Play({&X3m()}, 150);
    EXPECT_FALSE(Active(AlarmRdsErrors));
}

TEST_F(RdsAlarms, GroupTypesMissingWatchesEveryListedType)
{
    struct Case {
        const char *list;
        bool raised;
    };
    // Radio Krka's names come in 0B, its text in 2B; only the names play.
    const Case cases[] = {
        {"0B", false}, {"0b 2B", true},
        {"2B", true},  {"0B 2X", false}, // a list the editor refuses judges nothing
        {"", false},
    };
    StartWith("GT_Enabled=1\r\nGT_Duration=60\r\n");
    for (const Case &c : cases) {
        Dev().AlarmSet.GT_GroupTypes = QString::fromLatin1(c.list);
        TuneAndListen();
        Dev().AlarmSet.GT_GroupTypes = QString::fromLatin1(c.list); // tuning copies the set in
        Play({&KrkaPs()}, 62); // judged from the first tick, 0.2 s in
        EXPECT_EQ(Active(AlarmGroupTypesMissing), c.raised) << c.list;
        if (c.raised) {
            EXPECT_EQ(RdsAlarmReading(Dev(), AlarmGroupTypesMissing, clock.now()),
                      QStringLiteral("2B"));
            Play({&KrkaText()}, 1);
            EXPECT_FALSE(Active(AlarmGroupTypesMissing)) << c.list;
        }
    }
}

TEST_F(RdsAlarms, NothingIsJudgedOutsideRdsModeAndATuneStartsAfresh)
{
    const QByteArray all = "PS_Enabled=1\r\nPS_Duration=1\r\nTA_Enabled=1\r\nTA_Duration=60\r\n"
                           "RT_Enabled=1\r\nRT_Duration=60\r\nGT_Enabled=1\r\nGT_Duration=60\r\n"
                           "GT_GroupTypes=2A\r\n";
    StartWith(all, "RADIO 1", false);
    Play({&X3m()}, 70);
    for (int kind = AlarmPsMismatch; kind < AlarmKindCount; ++kind)
        EXPECT_EQ(Dev().AlarmStart[kind], 0) << AlarmKindNames[kind].toStdString();

    engine.StartRDS(0);
    clock.advanceSeconds(5);
    Play({&X3m()}, 70);
    for (int kind : {AlarmPsMismatch, AlarmTaStuck, AlarmRadioTextMissing, AlarmGroupTypesMissing})
        EXPECT_TRUE(Active(kind)) << AlarmKindNames[kind].toStdString();
    engine.Tune(0, 0, false);
    for (int kind = AlarmPsMismatch; kind < AlarmKindCount; ++kind)
        EXPECT_FALSE(Active(kind)) << AlarmKindNames[kind].toStdString();
}
