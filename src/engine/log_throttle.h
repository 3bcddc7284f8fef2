// Lets a log line of one kind through at most once a minute per key (a
// device, say) on the engine's clock, so that a peer that keeps misbehaving
// cannot flood a log. A clock set back starts a new minute.
#pragma once

#include <QtGlobal>

#include <unordered_map>

namespace vantor {

class LogThrottle
{
public:
    static constexpr qint64 IntervalMs = 60 * 1000;

    // Whether a line for key may be written at nowMs; if so, the next may
    // follow a minute later.
    bool Allow(int key, qint64 nowMs);

private:
    std::unordered_map<int, qint64> m_lastMs;
};

} // namespace vantor
