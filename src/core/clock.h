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

} // namespace vantor
