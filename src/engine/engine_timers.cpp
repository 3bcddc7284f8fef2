#include "engine_timers.h"

#include "engine.h"

namespace vantor {

const std::array<EngineTick, 6> EngineTicks = {{
    {1000, &Engine::TimerConnectTimer},
    {1000, &Engine::TimerSendTimer},
    {200, &Engine::TimerReceiveTimer},
    {1000, &Engine::TimerMeasuringTimer},
    {200, &Engine::TimerStatusTimer},
    {200, &Engine::TimerWriteLogTimer},
}};

EngineTimers::EngineTimers(Engine &engine, QObject *parent) : QObject(parent)
{
    for (size_t i = 0; i < EngineTicks.size(); ++i) {
        m_timers[i].setInterval(EngineTicks[i].intervalMs);
        m_timers[i].setTimerType(Qt::PreciseTimer);
        connect(&m_timers[i], &QTimer::timeout, &engine, EngineTicks[i].handler);
    }
}

void EngineTimers::start()
{
    for (QTimer &t : m_timers)
        t.start();
}

void EngineTimers::stop()
{
    for (QTimer &t : m_timers)
        t.stop();
}

} // namespace vantor
