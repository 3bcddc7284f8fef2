// Runs one monitoring station: the engine with its clock, device library and
// timers, the time-change notice, what a service manager is told, and the
// orderly shut-down on request.
#pragma once

#include "clock.h"
#include "device_library.h"
#include "engine.h"
#include "engine_timers.h"
#include "service_notify.h"
#include "time_change_watcher.h"

#include <QObject>

#include <functional>
#include <memory>

namespace vantor {

class StationRunner : public QObject
{
    Q_OBJECT

public:
    StationRunner(std::unique_ptr<DeviceLibrary> library, EngineView &view,
                  QObject *parent = nullptr);
    ~StationRunner() override;

    void start(const QString &exeFolder, const QString &dataFolder);
    // Runs the shut-down sequence, then lets the last frames and e-mail go
    // out on the event loop (bounded, see Engine::AfterClose); finished gets
    // the exit code: 0, or 1 at once when the settings could not be saved. A
    // request while the last moments run is ignored.
    void shutDown(std::function<void(int exitCode)> finished);

    Engine &engine() { return m_engine; }
    // Where the notice that the system clock was set comes from.
    TimeChangeWatcher &timeWatcher() { return m_timeWatcher; }

private:
    SystemClock m_clock;
    std::unique_ptr<DeviceLibrary> m_library;
    Engine m_engine;
    EngineTimers m_timers;
    TimeChangeWatcher m_timeWatcher;
    ServiceNotifier m_service{m_engine};
    bool m_closing = false;
};

} // namespace vantor
