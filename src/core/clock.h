// The one source of "now" for the engine. The engine is handed a Clock in its
// constructor, so tests can run hours of monitoring on a fake clock in
// milliseconds of real time.
#pragma once

#include "date_time.h"

#include <QDateTime>

namespace vantor {

class Clock
{
public:
    virtual ~Clock() = default;
    // The current instant, carrying the local time zone of the station.
    virtual QDateTime currentDateTime() const = 0;

    // Local wall-clock time as a day count.
    TDateTime now() const;
    // UTC as a day count.
    TDateTime utcNow() const;
    // Whole milliseconds from 1899-12-30 00:00 to UTC now.
    qint64 utcMilliseconds() const;
};

class SystemClock final : public Clock
{
public:
    QDateTime currentDateTime() const override;
};

// A clock that moves only when told to. Its time zone is that of the start
// value, so tests can pin the UTC offset.
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
