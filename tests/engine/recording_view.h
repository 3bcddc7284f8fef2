// A view that answers the engine's questions as a test sets them, and a
// recorder of what the engine announces.
#pragma once

#include "engine.h"
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
    bool interactive = false;
    int selectedDevice = -1;
    QStringList questions;
    bool confirmAnswer = false;

    int ActivityFilterIndex() const override { return filterIndex; }
    QString ActivityFilterText() const override { return filterText; }
    void AppendActivityLine(const QString &line) override { shownLines << line; }
    int SelectedDevice() const override { return selectedDevice; }
    bool Interactive() const override { return interactive; }
    void ShowMessage(const QString &text) override { messages << text; }
    bool Confirm(const QString &question) override
    {
        questions << question;
        return confirmAnswer;
    }
};

// Everything an engine announces, in order.
class EngineRecorder
{
public:
    explicit EngineRecorder(Engine &engine)
    {
        QObject::connect(&engine, &Engine::devicesChanged,
                         [this](const QList<DeviceNews> &news) { batches << news; });
        QObject::connect(&engine, &Engine::stationsChanged, [this] { ++stationAnnouncements; });
        QObject::connect(&engine, &Engine::statusTicked,
                         [this](bool second) { statusTicks << second; });
        QObject::connect(&engine, &Engine::statusTextChanged,
                         [this](const QString &text) { statusTexts << text; });
    }

    // The devices announced with change, over all batches, in order.
    QList<int> devicesWith(DeviceChange change) const
    {
        QList<int> devices;
        for (const QList<DeviceNews> &batch : batches) {
            for (const DeviceNews &n : batch) {
                if (n.has(change))
                    devices << n.device;
            }
        }
        return devices;
    }

    void clear()
    {
        batches.clear();
        stationAnnouncements = 0;
        statusTicks.clear();
        statusTexts.clear();
    }

    QList<QList<DeviceNews>> batches;
    int stationAnnouncements = 0;
    QList<bool> statusTicks;
    QStringList statusTexts;
};

} // namespace vantor::test
