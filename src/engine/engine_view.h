// The narrow window onto the screen that the engine uses. The GUI implements it
// with windows; headless mode implements it without any.
#pragma once

#include "activity_log.h"

#include <QString>

namespace vantor {

class EngineView : public ActivitySink
{
public:
    // A message for the operator. Headless, the engine logs it instead.
    virtual void ShowMessage(const QString &text) = 0;
    // The main window's station box.
    virtual void StationBoxClear() = 0;
    virtual void StationBoxAdd(const QString &text) = 0;
    virtual void StationBoxSelectFirst() = 0;
    // Shows "Device List..." as the default item of its menu (no device loaded).
    virtual void MarkDeviceListDefault() = 0;
    // A device was registered with the library: it joins the device selectors.
    virtual void DeviceRegistered(int device, const QString &name) = 0;
    // A received value for the Recent Data value list (shown only for the
    // selected device).
    virtual void AddToVLEA(int device, const QString &name, const QString &value) = 0;
    // A device's histogram changed.
    virtual void HistogramStored(int device) = 0;
    // The device chosen in the main window's device box, -1 for none.
    virtual int SelectedDevice() const = 0;
    // Chooses a device in the device box and in the activity filter.
    virtual void SelectDevice(int device) = 0;
    // Brings every display into line with the selected device; a refresh
    // after tuning leaves the activity filter and the lists alone.
    virtual void RefreshSelection(bool fromTuning) = 0;
    // Resets the bar meters (of the selected device).
    virtual void ResetBars() = 0;
    virtual void SetStatusText(const QString &text) = 0;
    // The statistics: traffic totals (shown when they changed) and uptime.
    virtual void ShowTraffic(qint64 sent, qint64 received) = 0;
    virtual void ShowUptime(const QString &text) = 0;
    // Renders and saves a device's histogram or the graph of one column.
    virtual bool SaveHistogramPicture(int device, const QString &fileName, int width,
                                      int height) = 0;
    virtual bool SaveGraphPicture(int device, int column, const QString &fileName, int width,
                                  int height) = 0;
    // A yes/no question to the operator; false when nobody can answer.
    virtual bool Confirm(const QString &question) = 0;
    // Brings the windows forward, e.g. when a second copy is started.
    virtual void BringToFront() = 0;
    // Whether messages reach an operator; when false the engine logs them.
    virtual bool Interactive() const = 0;
};

// The view of a station running without windows: shows nothing and saves no
// pictures (an application adds those).
class HeadlessView : public EngineView
{
public:
    int ActivityFilterIndex() const override { return -1; }
    QString ActivityFilterText() const override { return {}; }
    void AppendActivityLine(const QString &) override {}
    void ShowMessage(const QString &) override {}
    void StationBoxClear() override {}
    void StationBoxAdd(const QString &) override {}
    void StationBoxSelectFirst() override {}
    void MarkDeviceListDefault() override {}
    void DeviceRegistered(int, const QString &) override {}
    void AddToVLEA(int, const QString &, const QString &) override {}
    void HistogramStored(int) override {}
    int SelectedDevice() const override { return -1; }
    void SelectDevice(int) override {}
    void RefreshSelection(bool) override {}
    void ResetBars() override {}
    void SetStatusText(const QString &) override {}
    void ShowTraffic(qint64, qint64) override {}
    void ShowUptime(const QString &) override {}
    bool SaveHistogramPicture(int, const QString &, int, int) override { return false; }
    bool SaveGraphPicture(int, int, const QString &, int, int) override { return false; }
    bool Confirm(const QString &) override { return false; }
    void BringToFront() override {}
    bool Interactive() const override { return false; }
};

} // namespace vantor
