// The six timers that drive an engine, shared by the main window and the
// headless station. Their intervals never change while running.
#pragma once

#include <QObject>
#include <QTimer>

#include <array>

namespace vantor {

class Engine;

// The six ticks with their fixed intervals.
struct EngineTick {
    int intervalMs;
    void (Engine::*handler)();
};
extern const std::array<EngineTick, 6> EngineTicks;

class EngineTimers : public QObject
{
    Q_OBJECT

public:
    explicit EngineTimers(Engine &engine, QObject *parent = nullptr);
    void start();
    void stop();

private:
    std::array<QTimer, 6> m_timers;
};

} // namespace vantor
