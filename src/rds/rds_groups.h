// RDS groups as the analyzer reports them: 16 characters, blocks A to D as
// four hexadecimal digits each or "----". Only what the station needs is
// decoded: the blocks, the PI and the clock-time group (type 4A).
#pragma once

#include "date_time.h"
#include "model.h"
#include "rds_group.h"

#include <QString>

namespace vantor {

// Cuts a group text into GroupBlockA ... GroupBlockD (-1 for a missing or
// unreadable block). False, blocks unchanged, for a text that is not 16
// characters; otherwise true when block B was received.
bool GroupConvert(const QString &group, TGlobals &globals);
// The same from a group already read.
bool GroupConvert(const RdsGroup &group, TGlobals &globals);

// True for a block B announcing group type 4A (clock-time and date).
bool IsClockTimeGroup(int blockB);

// The local date-time carried by the last converted clock-time group, or now
// when it carries none that makes sense.
TDateTime DEC_CT(const TGlobals &globals, TDateTime now);

// The date of a Modified Julian Day, or 0 when it is no calendar date.
TDateTime GetRDSDate(int mjd);

// One line of an RDS log: the group, " @", and the receiving moment as
// yyyy/mm/dd hh:nn:ss.cc (hundredths of a second).
QString RdsLogLine(const QString &group, TDateTime received);
// The part after the group, the same for every group of one receive tick.
QString RdsLogStamp(TDateTime received);

} // namespace vantor
