// A view that remembers what the engine asked of the screen.
#pragma once

#include "engine_view.h"
#include "test_support.h"

#include <QStringList>

namespace vantor::test {

class RecordingView : public EngineView
{
public:
    int filterIndex = 0;
    QString filterText = QStringLiteral("Application");
    QStringList shownLines;
    QStringList messages;
    QStringList stationBox;
    int stationBoxSelection = -1;
    bool deviceListDefault = false;
    bool interactive = false;
    QStringList registered;
    QStringList valueList;
    QList<int> histogramsStored;
    int selectedDevice = -1;
    QList<bool> refreshes;
    int barResets = 0;
    QStringList statusTexts;
    QStringList pictures;
    std::pair<qint64, qint64> traffic{-1, -1};
    QString uptime;
    QStringList questions;
    bool confirmAnswer = false;

    int ActivityFilterIndex() const override { return filterIndex; }
    QString ActivityFilterText() const override { return filterText; }
    void AppendActivityLine(const QString &line) override { shownLines << line; }
    void ShowMessage(const QString &text) override { messages << text; }
    void StationBoxClear() override
    {
        stationBox.clear();
        stationBoxSelection = -1;
    }
    void StationBoxAdd(const QString &text) override { stationBox << text; }
    void StationBoxSelectFirst() override { stationBoxSelection = stationBox.isEmpty() ? -1 : 0; }
    void MarkDeviceListDefault() override { deviceListDefault = true; }
    void DeviceRegistered(int, const QString &name) override { registered << name; }
    void AddToVLEA(int device, const QString &name, const QString &value) override
    {
        valueList << QStringLiteral("%1 %2=%3").arg(device).arg(name, value);
    }
    void HistogramStored(int device) override { histogramsStored << device; }
    int SelectedDevice() const override { return selectedDevice; }
    void SelectDevice(int device) override { selectedDevice = device; }
    void RefreshSelection(bool fromTuning) override { refreshes << fromTuning; }
    void ResetBars() override { ++barResets; }
    void SetStatusText(const QString &text) override { statusTexts << text; }
    void ShowTraffic(qint64 sent, qint64 received) override { traffic = {sent, received}; }
    void ShowUptime(const QString &text) override { uptime = text; }
    bool SaveHistogramPicture(int device, const QString &fileName, int width, int height) override
    {
        pictures << QStringLiteral("histogram %1 %2 %3x%4")
                        .arg(device)
                        .arg(fileName)
                        .arg(width)
                        .arg(height);
        return writeAll(fileName, "picture");
    }
    bool SaveGraphPicture(int device, int column, const QString &fileName, int width,
                          int height) override
    {
        pictures << QStringLiteral("graph %1 %2 %3 %4x%5")
                        .arg(device)
                        .arg(column)
                        .arg(fileName)
                        .arg(width)
                        .arg(height);
        return writeAll(fileName, "picture");
    }
    bool Confirm(const QString &question) override
    {
        questions << question;
        return confirmAnswer;
    }
    void BringToFront() override {}
    bool Interactive() const override { return interactive; }
};

} // namespace vantor::test
