#include "station_runner.h"

namespace vantor {

StationRunner::StationRunner(std::unique_ptr<DeviceLibrary> library, EngineView &view,
                             QObject *parent)
    : QObject(parent), m_library(std::move(library)), m_engine(m_clock, *m_library, view),
      m_timers(m_engine)
{
    connect(&m_timeWatcher, &TimeChangeWatcher::timeChanged, &m_engine,
            [this] { m_engine.RunGuarded([this] { m_engine.SystemTimeChanged(); }); });
}

StationRunner::~StationRunner() = default;

void StationRunner::start(const QString &exeFolder, const QString &dataFolder)
{
    m_engine.Start(exeFolder, dataFolder);
    m_timers.start();
    m_service.ready();
}

void StationRunner::shutDown(std::function<void(int exitCode)> finished)
{
    if (m_closing)
        return;
    if (!m_engine.FormClose()) {
        finished(1);
        return;
    }
    m_closing = true;
    m_service.stopping();
    m_timers.stop();
    m_engine.AfterClose([finished = std::move(finished)] { finished(0); });
}

} // namespace vantor
