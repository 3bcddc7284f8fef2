#include "engine_timers.h"

#include "engine.h"

namespace vantor {

EngineTimers::EngineTimers(Engine &engine, QObject *parent) : QObject(parent)
{
    struct Tick {
        int intervalMs;
        void (Engine::*handler)();
    };
    const std::array<Tick, 6> ticks = {{
        {1000, &Engine::TimerConnectTimer},
        {1000, &Engine::TimerSendTimer},
        {200, &Engine::TimerReceiveTimer},
        {1000, &Engine::TimerMeasuringTimer},
        {200, &Engine::TimerStatusTimer},
        {200, &Engine::TimerWriteLogTimer},
    }};
    for (size_t i = 0; i < ticks.size(); ++i) {
        m_timers[i].setInterval(ticks[i].intervalMs);
        m_timers[i].setTimerType(Qt::PreciseTimer);
        connect(&m_timers[i], &QTimer::timeout, &engine, ticks[i].handler);
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
