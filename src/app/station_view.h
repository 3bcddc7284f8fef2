// The view of a station running without windows: nothing is shown, messages go
// to the application log, and pictures are still rendered off-screen and saved,
// so an unattended station keeps its histogram and graph pictures.
#pragma once

#include "engine_view.h"

namespace vantor {

class Engine;

class StationView final : public EngineView
{
public:
    void attach(const Engine *engine) { m_engine = engine; }

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
    bool SaveHistogramPicture(int device, const QString &fileName, int width, int height) override;
    bool SaveGraphPicture(int device, int column, const QString &fileName, int width,
                          int height) override;
    void BringToFront() override {}
    bool Interactive() const override { return false; }

private:
    const Engine *m_engine = nullptr;
};

} // namespace vantor
