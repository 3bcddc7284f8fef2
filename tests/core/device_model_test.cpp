#include "model.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include <gtest/gtest.h>

using namespace vantor;

TEST(DeviceModel, StartValuesOfANewDevice)
{
    const TDevice d;
    EXPECT_EQ(d.Handle, -1);
    EXPECT_EQ(d.StationIndex, -1);
    EXPECT_EQ(d.SilentSeconds, 999);
    EXPECT_EQ(d.History.capacity(), 0u) << "no history before it measures";
    for (int c = 0; c < ColumnCount; ++c) {
        EXPECT_EQ(d.ColumnValue[c], NoValue);
        EXPECT_EQ(d.ColumnMin[c], 999.0f);
        EXPECT_EQ(d.ColumnMax[c], -999.0f);
    }
    EXPECT_FALSE(d.ActivityLines.has_value());
}

TEST(DeviceModel, AlarmSetDefaultsFollowTheKindTable)
{
    const TAlarmSet a;
    // The nine first kinds keep their durations; the RDS kinds wait long
    // enough for what they watch to come round (a TA announcement, a text).
    const int expected[AlarmKindCount] = {60, 60, 600, 60,  60,  60,  60,
                                          60, 60, 60,  900, 600, 300, 300};
    for (int kind = 0; kind < AlarmKindCount; ++kind)
        EXPECT_EQ(a.Basic[kind].Duration, expected[kind]) << kind;
    EXPECT_EQ(a.DefaultEmail, QStringLiteral("@"));
    EXPECT_EQ(AlarmKindPrefixes[AlarmRdsLevel], QStringLiteral("RL"));
    EXPECT_EQ(AlarmKindNames[AlarmSilence], QStringLiteral("Silence detector"));
    EXPECT_EQ(MeasurementColumns[13], QStringLiteral("Histogram Max at"));
    EXPECT_TRUE(MeasurementColumns[14].isEmpty());
}

TEST(DeviceModel, PinAccessorsAddressTheNamedFields)
{
    TBasic b;
    b.SetDrivePin(3, true);
    b.SetPinPolarity(4, 1);
    EXPECT_TRUE(b.DrivePin3);
    EXPECT_EQ(b.Pin4Polarity, 1);
    EXPECT_FALSE(b.DrivePin(1));
    EXPECT_THROW(b.DrivePin(0), std::out_of_range);
    EXPECT_THROW(b.SetPinPolarity(5, 1), std::out_of_range);
}

TEST(DeviceModel, ClearDeviceDataResetsWhatAStationVisitGathered)
{
    TDevice d;
    d.LastData.Set(QStringLiteral("PI"), QStringLiteral("D3C3"));
    d.History.resize(7200);
    d.History[5].Values[0] = 42;
    d.HistoryCount = 5000;
    d.ColumnValue[2] = 12;
    d.ColumnMin[2] = 1;
    d.ColumnMax[2] = 80;
    d.HistogramBins[75] = 9;
    d.HistogramTime = QStringLiteral("12:00");
    d.HistogramMaxAt = 75;
    d.StationIndex = 3;

    ClearDeviceData(d);

    EXPECT_TRUE(d.LastData.empty());
    EXPECT_EQ(d.History.size(), size_t(HistoryBlockSize));
    EXPECT_EQ(d.History[5].Values[0], 42); // kept: only the length is reset
    EXPECT_EQ(d.HistoryCount, 0);
    EXPECT_EQ(d.ColumnValue[2], NoValue);
    EXPECT_EQ(d.ColumnMin[2], 999.0f);
    EXPECT_EQ(d.ColumnMax[2], -999.0f);
    EXPECT_EQ(d.HistogramBins[75], 0);
    EXPECT_TRUE(d.HistogramTime.isEmpty());
    EXPECT_EQ(d.HistogramMaxAt, 0);
    EXPECT_EQ(d.StationIndex, 3); // not a per-station datum
    EXPECT_EQ(d.History.capacity(), size_t(HistoryBlockSize)) << "the room beyond is given back";

    TDevice neverMeasured;
    ClearDeviceData(neverMeasured);
    EXPECT_EQ(neverMeasured.History.capacity(), 0u);
}

TEST(DeviceModel, InitializeAlarmVarsOneOrAll)
{
    TDevice d;
    d.AlarmActive.fill(true);
    d.AlarmStart.fill(1.5);
    InitializeAlarmVars(d, 2);
    EXPECT_FALSE(d.AlarmActive[2]);
    EXPECT_EQ(d.AlarmStart[2], 0);
    EXPECT_TRUE(d.AlarmActive[3]);
    InitializeAlarmVars(d, 9); // invalid kind: nothing
    EXPECT_TRUE(d.AlarmActive[8]);
    InitializeAlarmVars(d, -1);
    for (int k = 0; k < AlarmKindCount; ++k) {
        EXPECT_FALSE(d.AlarmActive[k]);
        EXPECT_EQ(d.AlarmStart[k], 0);
    }
}

// Records never move: growing, dropping the oldest step and the reset leave
// every record where it was, so no step copies (or clears) the history of a
// device, whatever its length.
TEST(DeviceModel, HistoryRecordsStayInPlace)
{
    HistoryRecords history;
    history.resize(HistoryBlockSize);
    history[0].Values[0] = 1;
    const THistorySample *first = &history[0];
    for (std::size_t size = 2 * HistoryBlockSize; size <= 5 * HistoryBlockSize;
         size += HistoryBlockSize) {
        history.resize(size);
        EXPECT_EQ(&history[0], first) << size;
    }
    history[HistoryBlockSize].Values[0] = 2;
    const THistorySample *second = &history[HistoryBlockSize];
    const THistorySample *last = &history[5 * HistoryBlockSize - 1];

    history.dropOldestBlock();
    EXPECT_EQ(history.size(), std::size_t(5 * HistoryBlockSize));
    EXPECT_EQ(&history[0], second);
    EXPECT_EQ(history[0].Values[0], 2);
    EXPECT_EQ(&history[4 * HistoryBlockSize - 1], last);
    EXPECT_EQ(&history[4 * HistoryBlockSize], first) << "the oldest step's room is used again";

    // A copy holds records of its own with the same values.
    const HistoryRecords copy = history;
    EXPECT_NE(&copy[0], &history[0]);
    EXPECT_EQ(copy[0].Values[0], 2);
    EXPECT_EQ(copy.size(), history.size());

    history.resize(HistoryBlockSize);
    EXPECT_EQ(&history[0], second);
    EXPECT_EQ(history.capacity(), std::size_t(HistoryBlockSize));
}

TEST(DeviceModel, HistoryRecordsWorkWithTheStandardAlgorithms)
{
    HistoryRecords history;
    history.resize(2 * HistoryBlockSize + 10);
    for (std::size_t i = 0; i < history.size(); ++i)
        history[i].Time = static_cast<TDateTime>(i);
    const auto at =
        std::lower_bound(history.begin(), history.end(), HistoryBlockSize + 0.5,
                         [](const THistorySample &s, TDateTime t) { return s.Time < t; });
    EXPECT_EQ(at - history.begin(), HistoryBlockSize + 1) << "across a block's end";
    HistoryRecords part;
    part.resize(20);
    std::copy(history.begin() + HistoryBlockSize - 10, history.begin() + HistoryBlockSize + 10,
              part.begin());
    EXPECT_EQ(part[0].Time, HistoryBlockSize - 10);
    EXPECT_EQ(part[19].Time, HistoryBlockSize + 9);
    EXPECT_EQ(std::distance(std::as_const(history).begin(), std::as_const(history).end()),
              static_cast<std::ptrdiff_t>(history.size()));
}
