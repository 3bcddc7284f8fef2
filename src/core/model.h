// Every record the engine keeps, with its fields in their fixed order, and the
// fixed tables they are indexed by. Records are plain values: a copy copies
// everything, text fields included.
#pragma once

#include "date_time.h"
#include "history_records.h"
#include "log_file.h"
#include "recent_data_list.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <array>
#include <memory>
#include <optional>
#include <vector>

namespace vantor {

inline constexpr int AlarmKindCount = 14;
inline constexpr int ColumnCount = HistoryColumnCount;
inline constexpr int NamedColumnCount = 14;
inline constexpr int HistogramBinCount = 122;
inline constexpr int WeekDayCount = 7;
inline constexpr int PinCount = 4;

// Bits of TDevice::Mode: the data a device is asked for.
inline constexpr int ModeMeasuringPart = 1;
inline constexpr int ModeRdsPart = 2;

// The value marking "no value" in every column, history sample and reading.
inline constexpr float NoValue = -1000.0f;

// Alarm kinds 0 ... 8 judge the signal, 9 ... 13 the decoded RDS; the two
// device-link alarms use -1 and -2.
enum AlarmKind : int {
    AlarmConnection = -1,
    AlarmNoResponse = -2,
    AlarmSilence = 0,
    AlarmPiMismatch = 1,
    AlarmTimeError = 2,
    AlarmOvermodulation = 3,
    AlarmSignalQuality = 4,
    AlarmPilot = 5,
    AlarmModulationPower = 6,
    AlarmRfLevel = 7,
    AlarmRdsLevel = 8,
    AlarmPsMismatch = 9,
    AlarmTaStuck = 10,
    AlarmRadioTextMissing = 11,
    AlarmRdsErrors = 12,
    AlarmGroupTypesMissing = 13,
};

// Key prefixes of "alarms.ini", by alarm kind.
extern const std::array<QString, AlarmKindCount> AlarmKindPrefixes;
inline constexpr int AlarmKindPrefixCount = AlarmKindCount;
// Names of the alarm kinds as the operator sees them.
extern const std::array<QString, AlarmKindCount> AlarmKindNames;

// The measurement column table: 14 named slots followed by 7 empty ones.
extern const std::array<QString, ColumnCount> MeasurementColumns;

struct TDeviceToSave {
    QString Name;
    QString Connection;
    QString Email;
};

struct TStation {
    QString Name;
    QString Frequency;
    QString DeviceName;
    QString PS;
    QString PI;
    QString Commands;
    QString ModeOrder;
    QString Email;
    int Measuring = 0;
    int RDS = 0;
    QString AlarmSetName;
    std::array<TDateTime, AlarmKindCount> LastAlarmTime{};
};

struct TBasic {
    bool Enabled = false;
    int Duration = 60;
    bool SendEmail = false;
    bool RunFile = false;
    QString FileName;
    QString Params;
    bool DrivePin1 = false;
    int Pin1Polarity = 0;
    bool DrivePin2 = false;
    int Pin2Polarity = 0;
    bool DrivePin3 = false;
    int Pin3Polarity = 0;
    bool DrivePin4 = false;
    int Pin4Polarity = 0;

    // Pin n = 1 ... 4.
    bool DrivePin(int n) const;
    int PinPolarity(int n) const;
    void SetDrivePin(int n, bool drive);
    void SetPinPolarity(int n, int polarity);
};

// Duration of an alarm kind when "alarms.ini" does not give one.
int DefaultAlarmDuration(int kind);

struct TAlarmSet {
    std::array<TBasic, AlarmKindCount> Basic = DefaultBasics();
    int SD_Minimum = 25;
    int TM_MaxError = 60;
    bool TM_IgnoreHourOffset = false;
    int OM_MaxHoldLimit = 88;
    int OM_MaxAtLimit = 78;
    int OM_AveLimit = 78;
    int SQ_SignalQuality = 1;
    int PL_Minimum = 5800;
    int PL_Maximum = 7700;
    int RL_Minimum = 0;
    int RL_Maximum = 8300;
    int PM_Maximum = 4;
    int RF_Minimum = 40;
    // Lost RDS blocks allowed, in percent of a minute's blocks.
    int RE_MaxShare = 10;
    // The group types that must keep arriving, as "0A 2A 4A".
    QString GT_GroupTypes = QStringLiteral("0A");
    QString DefaultEmail = QStringLiteral("@");
    QString Name;

    static std::array<TBasic, AlarmKindCount> DefaultBasics();
};

struct TSchedulingDay {
    QString Times;
};

using TSchedule = std::array<TSchedulingDay, WeekDayCount>;

struct TSch {
    QString DeviceName;
    int SchedulingMode = 0;
    TSchedule Days;
};

// Shared so that a record copy refers to the same open file, as a copied file
// handle would.
using TextFile = std::shared_ptr<LogFile>;

// What a device decodes of its station's RDS (src/engine/rds_reception.h).
struct RdsReception;

struct TDevice {
    QString Name;
    QString Connection;
    QString Email;
    bool Paused = false;
    bool StationActive = false;
    TStation Station;
    int StationIndex = -1;
    TAlarmSet AlarmSet;
    bool AlarmSetActive = false;
    int SchedulingMode = 0;
    TSchedule Schedule;
    int ConnectCountdown = 0;
    int ConnectAttempts = 0;
    int MeasuringCountdown = 0;
    int RDSCountdown = 0;
    int Handle = -1;
    std::array<bool, AlarmKindCount> AlarmActive{};
    std::array<TDateTime, AlarmKindCount> AlarmStart{};
    qint64 BytesSent = 0;
    qint64 BytesUnanswered = 0;
    qint64 BytesReceived = 0;
    // Since the program started: how often each alarm kind became active, and
    // the e-mails about the device that went out or failed.
    std::array<int, AlarmKindCount> AlarmActivations{};
    int EmailsSent = 0;
    int EmailsFailed = 0;
    int SilentSeconds = 999;
    bool UnansweredAlarmRaised = false;
    // Created when the connection timer first handles the device.
    std::optional<QStringList> ActivityLines;
    TextFile ActivityLog;
    bool ActivityLogOpen = false;
    TextFile MeasurementLog;
    QString MeasurementLogName;
    TextFile RDSLog;
    QString RDSLogName;
    std::shared_ptr<RdsReception> Rds;
    bool MeasuringStarted = false;
    TDateTime IgnoreUntil = 0;
    RecentDataList LastData;
    std::array<float, ColumnCount> ColumnValue = Filled(NoValue);
    std::array<float, ColumnCount> ColumnMin = Filled(999.0f);
    std::array<float, ColumnCount> ColumnMax = Filled(-999.0f);
    HistoryRecords History;
    int HistoryCount = 0;
    float HistogramPeak = 0;
    float HistogramPercentAbove = 0;
    bool HistogramScanFlag = false;
    QString HistogramTime;
    int HistogramTotal = 0;
    int HistogramMaxAt = 0;
    int HistogramMin = 0;
    int HistogramAbove = 0;
    std::array<int, HistogramBinCount> HistogramBins{};
    int Mode = 0;
    float TunedFrequency = 0;
    // When a listed start time last started the device; keeps the hour that
    // comes twice at the autumn clock change from starting it twice.
    QDateTime ScheduledStart;

    static std::array<float, ColumnCount> Filled(float v)
    {
        std::array<float, ColumnCount> a;
        a.fill(v);
        return a;
    }
};

// Engine-wide state, one instance per process.
struct TGlobals {
    TDateTime StartTime = 0;
    // The same moment in UTC: uptime counts real hours across the changes of
    // daylight saving, so a day of uptime is always 24 hours.
    TDateTime StartUtc = 0;
    int LastUptimeDays = 0;
    int StatusTickCount = 0;
    QStringList AppActivityLines;
    TextFile AppLog;
    bool AppLogOpen = false;
    bool RestartRequired = false;
    int ConnectIndex = -1;
    qint64 LastSecondMark = 0;
    int PollToggle = 0;
    int PollCycle = 0;
    int ReceiveCycle = 0;
    TDateTime NextLogTime = 0;
    TDateTime LogDay = 0;
    int GroupBlockA = 0;
    int GroupBlockB = 0;
    int GroupBlockC = 0;
    int GroupBlockD = 0;
    int RdsOutputDevice = -1;
    int RdsOutputPort = -1;
    bool RdsLumexAutoStarted = false;
};

bool InvalidAlarmKind(int index);

// Index of name in MeasurementColumns, or -1; "G" is never a column.
int GetTableColumn(const QString &name);

// Resets what a device gathers for one station: recent data, history, column
// values with their extremes and the histogram.
void ClearDeviceData(TDevice &device);

// Start values of a device's runtime fields, set once after loading.
void ResetDeviceRuntime(TDevice &device);

// Clears the active flag and pending start of one alarm kind, or of all when
// kind is -1.
void InitializeAlarmVars(TDevice &device, int kind);

} // namespace vantor
