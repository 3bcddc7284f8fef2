#include "log_throttle.h"

namespace vantor {

bool LogThrottle::Allow(int key, qint64 nowMs)
{
    const auto it = m_lastMs.find(key);
    if (it != m_lastMs.end() && nowMs >= it->second && nowMs - it->second < IntervalMs)
        return false;
    m_lastMs[key] = nowMs;
    return true;
}

} // namespace vantor
