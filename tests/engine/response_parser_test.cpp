// The receive tick: column values, recent data, history, extremes, PI and
// time error, the RDS log, the histogram and the frequency check.
#include "clock_time_group.h"
#include "engine_fixture.h"
#include "engine_tables.h"
#include "rds_groups.h"

#include <QFileInfo>

#include <limits>

using namespace vantor;
using namespace vantor::test;

namespace {

class ResponseParser : public EngineFixture
{
protected:
    void SetUp() override
    {
        WriteDevices({QStringLiteral("10.0.0.5:7000")});
        Start();
        ConnectAll();
        PutOnStation(0, QStringLiteral("98.5"), ModeMeasuringPart);
    }

    TDevice &Dev() { return Tables(engine).Devices[0]; }

    void Push(std::initializer_list<const char *> responses)
    {
        for (const char *r : responses)
            library.pushResponse(0, QString::fromLatin1(r));
    }

    float Column(const char *name)
    {
        return Dev().ColumnValue[GetTableColumn(QLatin1String(name))];
    }

    static QString HistogramText(const std::map<int, int> &counts)
    {
        QString text;
        for (int i = 0; i < HistogramBinCount; ++i) {
            const auto it = counts.find(i);
            const int n = it == counts.end() ? 0 : it->second;
            // 14-character fields; the count sits in characters 8..12 of each.
            text += QStringLiteral("%1:").arg(i, 3).leftJustified(7, QLatin1Char(' ')) +
                    QStringLiteral("%1").arg(n, 5) + QStringLiteral("  ");
        }
        return text;
    }
};

} // namespace

TEST_F(ResponseParser, ValuesFillColumnsRecentDataAndTheValueList)
{
    Push({"MAX=180.0 kHz", "AVE=45.2 kHz", "Level=63.2 dBuV", "Pilot=6.8 kHz", "Stereo=on",
          "W=ignored", "IF=abc", "no equals sign"});
    news.clear();
    ReceiveTick();
    EXPECT_EQ(Column("MAX"), 150.0f);
    EXPECT_FLOAT_EQ(Column("AVE"), 45.2f);
    EXPECT_FLOAT_EQ(Column("Level"), 63.2f);
    EXPECT_EQ(Column("IF"), NoValue);
    EXPECT_EQ(engine.GetLastData(0, QStringLiteral("MAX")), QStringLiteral("180.0 kHz"));
    EXPECT_EQ(engine.GetLastData(0, QStringLiteral("Stereo")), QStringLiteral("on"));
    EXPECT_TRUE(engine.GetLastData(0, QStringLiteral("W")).isEmpty());
    EXPECT_EQ(engine.GetLastData(0, QString()), QStringLiteral("no equals sign"));
    EXPECT_EQ(engine.GetLastDataInt(0, QStringLiteral("Level")), 63);
    EXPECT_EQ(engine.GetLastDataInt(0, QStringLiteral("Missing")), -1);
    ASSERT_EQ(news.batches.size(), 1) << "one announcement per receive tick";
    EXPECT_EQ(news.devicesWith(ResponsesRead), QList<int>{0});

    // A name seen again keeps its place in the list.
    Push({"MAX=75 kHz"});
    ReceiveTick();
    ASSERT_EQ(Dev().LastData[0].Name, QStringLiteral("MAX"));
    EXPECT_EQ(Dev().LastData[0].Value, QStringLiteral("75 kHz"));
    EXPECT_EQ(Dev().BytesReceived,
              QByteArray("MAX=180.0 kHzAVE=45.2 kHzLevel=63.2 dBuVPilot=6.8 kHz"
                         "Stereo=onW=ignoredIF=abcno equals signMAX=75 kHz")
                  .size());
}

TEST_F(ResponseParser, NewValueNamesBeyondTheBoundAreIgnoredWithOneLinePerTuning)
{
    const QString line = QStringLiteral("More than %1 unknown value names received since tuning")
                             .arg(RecentDataList::MaxEntries);
    Push({"MAX=60 kHz"});
    for (int n = 0; n < 8000; ++n)
        library.pushResponse(0, QStringLiteral("Name%1=%1").arg(n));
    Push({"MAX=61 kHz", "Level=63 dBuV"});
    ReceiveTick();
    ASSERT_EQ(Dev().LastData.size(), size_t(RecentDataList::MaxEntries) + 2);
    EXPECT_EQ(Dev().LastData[0].Value, QStringLiteral("61 kHz")) << "known names still update";
    EXPECT_EQ(engine.GetLastData(0, QStringLiteral("Level")), QStringLiteral("63 dBuV"))
        << "a known name arriving after the bound still finds its place";
    EXPECT_EQ(engine.GetLastData(0, QStringLiteral("Name255")), QStringLiteral("255"));
    EXPECT_TRUE(engine.GetLastData(0, QStringLiteral("Name256")).isEmpty());
    EXPECT_EQ(DeviceLog(0).count(line), 1);

    for (int n = 8000; n < 8300; ++n)
        library.pushResponse(0, QStringLiteral("Name%1=%1").arg(n));
    ReceiveTick();
    EXPECT_EQ(DeviceLog(0).count(line), 1) << "one line until the next tuning";

    engine.ClearDevice(0);
    for (int n = 0; n < 300; ++n)
        library.pushResponse(0, QStringLiteral("Name%1=%1").arg(n));
    ReceiveTick();
    EXPECT_EQ(DeviceLog(0).count(line), 2);
}

TEST_F(ResponseParser, NumbersOutOfRangeCountAsNoValue)
{
    const TAlarmReadings absent;
    const int none = static_cast<int>(NoValue);
    struct Case {
        const char *response;
        int quality;
        int level;
    };
    const Case cases[] = {
        {"Level=63.9 dBuV", absent.Quality, 63},
        {"Level=-2147483648", absent.Quality, std::numeric_limits<int>::min()},
        {"Level=abc", absent.Quality, none}, // no number at all, for comparison
        {"Level=1e30", absent.Quality, none},
        {"Level=-1e30 dBuV", absent.Quality, none},
        {"Level=1e300", absent.Quality, none}, // beyond a float
        {"Signal Quality=3e9", none, absent.Level},
        {"Signal Quality=4", 4, absent.Level},
    };
    for (const Case &c : cases) {
        TAlarmReadings readings;
        engine.HandleResponse(0, QString::fromLatin1(c.response), clock.now(), false, readings);
        EXPECT_EQ(readings.Quality, c.quality) << c.response;
        EXPECT_EQ(readings.Level, c.level) << c.response;
    }
    engine.AddToLastData(0, QStringLiteral("AVE"), QStringLiteral("1e30 kHz"));
    EXPECT_EQ(engine.GetLastDataInt(0, QStringLiteral("AVE")), none);
    EXPECT_EQ(engine.StrToSingle(QStringLiteral("-1e39")), NoValue);
}

TEST_F(ResponseParser, HistoryAndExtremesAdvanceOnceASecond)
{
    for (int s = 0; s < 3; ++s) {
        Push({s == 1 ? "AVE=30" : "AVE=40"});
        ReceiveSecond();
    }
    EXPECT_EQ(Dev().HistoryCount, 3);
    EXPECT_FLOAT_EQ(Dev().History[1].Values[2], 30.0f);
    EXPECT_FLOAT_EQ(Dev().ColumnMin[2], 30.0f);
    EXPECT_FLOAT_EQ(Dev().ColumnMax[2], 40.0f);
    // A column never received keeps its no-value mark and never becomes a minimum.
    EXPECT_EQ(Dev().History[0].Values[9], NoValue);
    EXPECT_EQ(Dev().ColumnMin[9], 999.0f);
    EXPECT_GT(Dev().History[2].Time, Dev().History[1].Time);

    // RDS mode alone keeps no history.
    Dev().Mode = ModeRdsPart;
    Push({"AVE=40"});
    ReceiveSecond();
    EXPECT_EQ(Dev().HistoryCount, 3);
}

TEST_F(ResponseParser, HistoryGrowsInBlocksAndKeepsFourToFiveHours)
{
    Dev().History.resize(18000);
    Dev().HistoryCount = 17998;
    Dev().History[3600].Values[0] = 11;
    Push({"MAX=50"});
    ReceiveSecond();
    EXPECT_EQ(Dev().History.size(), 18000u);
    EXPECT_EQ(Dev().HistoryCount, 14399);
    EXPECT_EQ(Dev().History[0].Values[0], 11)
        << "the oldest 3600 dropped, the rest moved to the front";
    EXPECT_FLOAT_EQ(Dev().History[14398].Values[0], 50.0f);

    Dev().History.resize(7200);
    Dev().HistoryCount = 7198;
    ReceiveSecond();
    EXPECT_EQ(Dev().History.size(), 10800u);
    EXPECT_EQ(Dev().HistoryCount, 7199);
}

TEST_F(ResponseParser, QuietDevicesUpdateColumnsOnly)
{
    engine.IgnoreRX(0, 4);
    Push({"MAX=60", "AVE=1"});
    ReceiveSecond();
    EXPECT_EQ(Column("MAX"), 60.0f);
    EXPECT_TRUE(Dev().LastData.empty());
    EXPECT_EQ(Dev().HistoryCount, 0);

    clock.advanceSeconds(4);
    Push({"MAX=61"});
    ReceiveSecond();
    EXPECT_EQ(Dev().LastData.size(), 1u);
    EXPECT_EQ(Dev().HistoryCount, 1);

    // Silent for more than 30 s: quiet until data arrive again; the tick that
    // brings data is not quiet.
    Dev().SilentSeconds = 31;
    ReceiveSecond();
    EXPECT_EQ(Dev().HistoryCount, 1);
    Dev().SilentSeconds = 31;
    Push({"MAX=62"});
    ReceiveSecond();
    EXPECT_EQ(Dev().HistoryCount, 2);
    EXPECT_EQ(engine.GetLastData(0, QStringLiteral("MAX")), QStringLiteral("62"));
}

TEST_F(ResponseParser, GroupsGivePIAndTimeErrorAndReachTheRdsLog)
{
    Dev().Mode = ModeRdsPart;
    Dev().RDSLogName = Tables(engine).Folders.RecentFolder + QStringLiteral("Radio 1.lumex");
    Dev().RDSLog = std::make_shared<LogFile>(Dev().RDSLogName);
    // 12:00:00 UTC+0 local; a clock-time group announcing 12:00 local, received 2.5 s later.
    clock.set(QDateTime(QDate(2024, 5, 1), QTime(12, 0, 2, 300), Qt::UTC));
    const QString ct =
        ClockTimeGroup(QStringLiteral("D3C3"), QDateTime(QDate(2024, 5, 1), QTime(12, 0), Qt::UTC));
    library.pushResponse(0, QStringLiteral("G=") + ct);
    Push({"G=----24000000ABCD", "G=D3C4----0000ABCD", "G=D3C42400"});
    ReceiveSecond();

    EXPECT_EQ(engine.GetLastData(0, QStringLiteral("Time Error")), QStringLiteral("1 s"));
    // The last accepted group gives the PI: block A missing reads "----";
    // block B missing or a short group gives none.
    EXPECT_EQ(engine.GetLastData(0, QStringLiteral("PI")), QStringLiteral("----"));
    EXPECT_EQ(engine.GetLastData(0, QStringLiteral("G")), QStringLiteral("D3C42400"));

    const QList<QByteArray> lines = readAll(Dev().RDSLogName).split('\n');
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], ct.toLatin1() + " @2024/05/01 12:00:02.50\r");
    EXPECT_EQ(lines[1], "----24000000ABCD @2024/05/01 12:00:02.50\r");
    EXPECT_EQ(lines[3], "D3C42400 @2024/05/01 12:00:02.50\r");
}

TEST_F(ResponseParser, TheRdsLogIsWrittenOnceASecondAndWhatIsLeftWhenTheModeEnds)
{
    const QString log = Tables(engine).Folders.RecentFolder + QStringLiteral("Radio 1.lumex");
    const auto startLog = [&] {
        Dev().Mode = ModeRdsPart;
        Dev().RDSLogName = log;
        Dev().RDSLog = std::make_shared<LogFile>(log, LogFile::Open::Replace);
    };
    startLog();
    int writes = 0;
    qint64 size = 0;
    for (int k = 0; k < 10; ++k) {
        Push({"G=D3C304000000ABCD"});
        ReceiveTick();
        const qint64 grown = QFileInfo(log).size();
        writes += grown != size;
        size = grown;
    }
    EXPECT_EQ(writes, 2) << "one write a second";
    Push({"G=D3C304000000ABCD"});
    ReceiveTick();
    engine.FinishMode(0);
    EXPECT_EQ(readAll(log).count('\n'), 11) << "nothing pending is lost";

    // The same when the program closes, which ends the mode.
    startLog();
    Push({"G=D3C304000000ABCD"});
    ReceiveTick();
    ASSERT_TRUE(engine.FormClose());
    EXPECT_EQ(readAll(log).count('\n'), 1);
}

// A clock-time group BR-KLASSIK sent on 2017-04-04 (23:43 local time, UTC+2),
// received off air; the station's clock in that zone reads 23:43:03.
TEST_F(ResponseParser, AGroupReceivedOffAirGivesItsPIAndTimeError)
{
    clock.set(QDateTime(QDate(2017, 4, 4), QTime(23, 43, 2, 800), Qt::OffsetFromUTC, 2 * 3600));
    Push({"G=D31441C1C3EF5AC4"});
    ReceiveTick();
    EXPECT_EQ(engine.GetLastData(0, QStringLiteral("PI")), QStringLiteral("D314"));
    EXPECT_EQ(engine.GetLastData(0, QStringLiteral("Time Error")), QStringLiteral("2 s"));
}

TEST_F(ResponseParser, TimeErrorRounding)
{
    const QString ct =
        ClockTimeGroup(QStringLiteral("D3C3"), QDateTime(QDate(2024, 5, 1), QTime(12, 5), Qt::UTC));
    struct Case {
        int msAfter;
        const char *expected;
    };
    for (const Case c : {Case{800, "0 s"}, Case{1999, "0 s"}, Case{2000, "1 s"}, Case{2990, "1 s"},
                         Case{-2500, "1 s"}, Case{125000, "124 s"}}) {
        clock.set(QDateTime(QDate(2024, 5, 1), QTime(12, 5), Qt::UTC).addMSecs(c.msAfter - 200));
        library.pushResponse(0, QStringLiteral("G=") + ct);
        ReceiveTick();
        EXPECT_EQ(engine.GetLastData(0, QStringLiteral("Time Error")), QLatin1String(c.expected))
            << c.msAfter;
    }
}

TEST_F(ResponseParser, ADriftedReceiverIsTunedBackOncePerReport)
{
    for (const char *report : {"Frequency=98.4 MHz", "Frequency=98.4 MHz", "Frequency=98.5 MHz",
                               "Frequency=50.0", "Frequency=abc"}) {
        library.clearCalls();
        library.pushResponse(0, QLatin1String(report));
        ReceiveTick();
        const bool drifted = QByteArray(report).contains("98.4");
        EXPECT_EQ(library.commands(0),
                  drifted ? (QStringList{QStringLiteral("098500*F"), QStringLiteral("*E"),
                                         QStringLiteral("*M"), QStringLiteral("*P")})
                          : QStringList())
            << report;
    }
    EXPECT_EQ(DeviceLog(0).count(QStringLiteral("Tuning frequency refresh: 98.5")), 2);
}

TEST_F(ResponseParser, RetuneDigits)
{
    struct Case {
        const char *frequency;
        const char *command;
    };
    for (const Case c :
         {Case{"98.5", "098500*F"}, Case{"107.9", "107900*F"}, Case{"87.60", "087600*F"},
          Case{"100", "100000*F"}, Case{"98.5 MHz", "098500*F"}, Case{"98.75", "098750*F"},
          Case{"", "000000*F"}}) {
        library.clearCalls();
        engine.Retune(0, QLatin1String(c.frequency), false);
        EXPECT_EQ(library.commands(0), QStringList{QLatin1String(c.command)}) << c.frequency;
    }
    EXPECT_FLOAT_EQ(Dev().TunedFrequency, NoValue);
    Dev().Mode = ModeMeasuringPart | ModeRdsPart;
    library.clearCalls();
    engine.Retune(0, QStringLiteral("98.5"), true);
    EXPECT_EQ(library.commands(0).join(QLatin1Char(' ')),
              QStringLiteral("098500*F *D *R *E *M *P"));
    EXPECT_FLOAT_EQ(Dev().TunedFrequency, 98.5f);
}

TEST_F(ResponseParser, HistogramDataFillsBinsAndMaxAt)
{
    const QString text =
        HistogramText({{0, 1}, {10, 1}, {40, 120}, {41, 120}, {76, 3}, {77, 5}, {121, 2}});
    ASSERT_EQ(text.size(), 122 * 14);
    library.pushResponse(0, QStringLiteral("Histogram Data=") + text);
    ReceiveTick();
    EXPECT_EQ(Dev().HistogramBins[40], 120);
    EXPECT_EQ(Dev().HistogramBins[121], 2);
    EXPECT_EQ(Dev().HistogramMaxAt, 40) << "the lowest of equal bins wins";
    EXPECT_EQ(Dev().HistogramMin, 0);
    EXPECT_EQ(Dev().HistogramTotal, 252);
    EXPECT_EQ(Dev().HistogramAbove, 7) << "bins above 75 + 1";
    EXPECT_FLOAT_EQ(Dev().HistogramPercentAbove, 7.0f / 252 * 100);
    EXPECT_EQ(Dev().HistogramPeak, 120.0f);
    EXPECT_EQ(Dev().HistogramTime, QStringLiteral("1.05.2024 12:00:00"));
    EXPECT_EQ(Column("Histogram Max at"), 40.0f);
    EXPECT_EQ(engine.GetLastData(0, QStringLiteral("Histogram Max at")),
              QStringLiteral("40.0 kHz"));
    EXPECT_EQ(engine.GetLastData(0, QStringLiteral("Histogram Data")), text);
    EXPECT_EQ(news.devicesWith(HistogramStored), QList<int>{0});

    // Counts of 1 only never move the peak; a short text leaves missing bins 0.
    library.pushResponse(0, QStringLiteral("Histogram Data=") +
                                HistogramText({{5, 1}, {9, 1}}).left(14 * 8));
    ReceiveTick();
    EXPECT_EQ(Dev().HistogramMaxAt, 0);
    EXPECT_EQ(Dev().HistogramMin, 5);
    EXPECT_EQ(Dev().HistogramTotal, 1);
    EXPECT_EQ(Dev().HistogramPeak, 1.0f);
}
