#include "model.h"

#include <stdexcept>

namespace vantor {

const std::array<QString, AlarmKindCount> AlarmKindPrefixes = {
    QStringLiteral("SD"), QStringLiteral("PI"), QStringLiteral("TM"), QStringLiteral("OM"),
    QStringLiteral("SQ"), QStringLiteral("PL"), QStringLiteral("PM"), QStringLiteral("RF"),
    QStringLiteral("RL"), QStringLiteral("PS"), QStringLiteral("TA"), QStringLiteral("RT"),
    QStringLiteral("RE"), QStringLiteral("GT"),
};

const std::array<QString, AlarmKindCount> AlarmKindNames = {
    QStringLiteral("Silence detector"), QStringLiteral("RDS PI mismatch"),
    QStringLiteral("RDS time error"),   QStringLiteral("Overmodulation"),
    QStringLiteral("Signal quality"),   QStringLiteral("Pilot tone"),
    QStringLiteral("Modulation power"), QStringLiteral("RF level"),
    QStringLiteral("RDS level"),        QStringLiteral("RDS PS mismatch"),
    QStringLiteral("RDS TA stuck"),     QStringLiteral("RDS RadioText missing"),
    QStringLiteral("RDS block errors"), QStringLiteral("RDS group types missing"),
};

const std::array<QString, ColumnCount> MeasurementColumns = {
    QStringLiteral("MAX"),
    QStringLiteral("MAX Hold"),
    QStringLiteral("AVE"),
    QStringLiteral("MIN"),
    QStringLiteral("Pm"),
    QStringLiteral("Pilot"),
    QStringLiteral("RDS"),
    QStringLiteral("IF"),
    QStringLiteral("Signal Quality"),
    QStringLiteral("Level"),
    QStringLiteral("RDS Phase Difference"),
    QStringLiteral("LeftPeak"),
    QStringLiteral("RightPeak"),
    QStringLiteral("Histogram Max at"),
};

namespace {
void CheckPin(int n)
{
    if (n < 1 || n > PinCount)
        throw std::out_of_range("alarm output pin number out of range");
}
} // namespace

bool TBasic::DrivePin(int n) const
{
    CheckPin(n);
    const bool pins[] = {DrivePin1, DrivePin2, DrivePin3, DrivePin4};
    return pins[n - 1];
}

int TBasic::PinPolarity(int n) const
{
    CheckPin(n);
    const int polarities[] = {Pin1Polarity, Pin2Polarity, Pin3Polarity, Pin4Polarity};
    return polarities[n - 1];
}

void TBasic::SetDrivePin(int n, bool drive)
{
    CheckPin(n);
    bool *pins[] = {&DrivePin1, &DrivePin2, &DrivePin3, &DrivePin4};
    *pins[n - 1] = drive;
}

void TBasic::SetPinPolarity(int n, int polarity)
{
    CheckPin(n);
    int *polarities[] = {&Pin1Polarity, &Pin2Polarity, &Pin3Polarity, &Pin4Polarity};
    *polarities[n - 1] = polarity;
}

int DefaultAlarmDuration(int kind)
{
    switch (kind) {
    case AlarmTimeError:
    case AlarmRadioTextMissing:
        return 600;
    case AlarmTaStuck:
        return 900;
    case AlarmRdsErrors:
    case AlarmGroupTypesMissing:
        return 300;
    default:
        return 60;
    }
}

std::array<TBasic, AlarmKindCount> TAlarmSet::DefaultBasics()
{
    std::array<TBasic, AlarmKindCount> basics;
    for (int kind = 0; kind < AlarmKindCount; ++kind)
        basics[kind].Duration = DefaultAlarmDuration(kind);
    return basics;
}

bool InvalidAlarmKind(int index)
{
    return index < 0 || index >= AlarmKindCount;
}

int GetTableColumn(const QString &name)
{
    if (name == QLatin1String("G") || name.isEmpty())
        return -1;
    for (int i = 0; i < NamedColumnCount; ++i) {
        if (MeasurementColumns[i] == name)
            return i;
    }
    return -1;
}

void ClearDeviceData(TDevice &device)
{
    device.LastData.Clear();
    // Back to the first step of the history, unless it never measured.
    if (!device.History.empty())
        device.History.resize(HistoryBlockSize);
    device.HistoryCount = 0;
    device.ColumnValue.fill(NoValue);
    device.ColumnMin.fill(999.0f);
    device.ColumnMax.fill(-999.0f);
    device.HistogramBins.fill(0);
    device.HistogramPeak = 0;
    device.HistogramPercentAbove = 0;
    device.HistogramScanFlag = false;
    device.HistogramTotal = 0;
    device.HistogramMaxAt = 0;
    device.HistogramMin = 0;
    device.HistogramAbove = 0;
    device.HistogramTime.clear();
}

void InitializeAlarmVars(TDevice &device, int kind)
{
    if (kind == -1) {
        device.AlarmActive.fill(false);
        device.AlarmStart.fill(0);
        return;
    }
    if (InvalidAlarmKind(kind))
        return;
    device.AlarmActive[kind] = false;
    device.AlarmStart[kind] = 0;
}

void ResetDeviceRuntime(TDevice &device)
{
    device.Handle = -1;
    InitializeAlarmVars(device, -1);
    device.ConnectAttempts = 0;
    device.IgnoreUntil = 0;
    device.ActivityLogOpen = false;
    device.MeasurementLogName.clear();
    device.RDSLogName.clear();
    device.StationIndex = -1;
    device.StationActive = false;
    device.BytesSent = 0;
    device.BytesReceived = 0;
    device.Paused = false;
    device.UnansweredAlarmRaised = false;
    device.SilentSeconds = 999;
    device.MeasuringStarted = false;
    ClearDeviceData(device);
}

} // namespace vantor
