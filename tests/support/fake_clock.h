// A clock for tests, benchmarks and fuzz targets: it moves only when told to,
// so hours of monitoring run in milliseconds.
#pragma once

#include "clock.h"

namespace vantor {

// Its time zone is that of the start value, so tests can pin the UTC
// offset, or run in a zone with daylight saving.
class FakeClock final : public Clock
{
public:
    explicit FakeClock(QDateTime start) : m_now(std::move(start)) {}
    QDateTime currentDateTime() const override { return m_now; }
    void set(const QDateTime &dt) { m_now = dt; }
    void advanceMs(qint64 ms) { m_now = m_now.addMSecs(ms); }
    void advanceSeconds(qint64 s) { advanceMs(s * 1000); }

private:
    QDateTime m_now;
};

} // namespace vantor
