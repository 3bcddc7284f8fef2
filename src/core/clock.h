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

// With TZ unset the C library looks at the system's zone file again on every
// read of the local time. Naming that file in TZ once, before any other
// thread runs, has it read the file once; ReloadLocalTimeZone reads it again.
void PinLocalTimeZone();
// Has the local time follow a zone file that was replaced or rewritten.
void ReloadLocalTimeZone();
// The file the local time zone comes from: the one TZ names, or the system's
// when TZ is unset; empty when TZ gives the zone itself.
QString LocalTimeZoneFile();

} // namespace vantor
