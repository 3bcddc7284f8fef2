// The receiving side of the RDS groups, written from the broadcast standard
// independently of the simulator's encoder, so tests check what a decoder
// makes of the groups rather than re-running the encoder.
#pragma once

#include <QByteArray>
#include <QDateTime>

#include <array>
#include <optional>

namespace vantor::test {

// Blocks A to D of a "G" value; -1 for a block given as "----".
std::optional<std::array<int, 4>> parseGroup(const QByteArray &value);

// Group type and version as bits 15 to 11 of block B (0A = 0, 2A = 4, 4A = 8).
inline int groupTypeCode(int blockB)
{
    return (blockB >> 11) & 0x1F;
}

struct ClockTime {
    int mjd = 0;
    int utcHour = 0;
    int minute = 0;
    int offsetHalfHours = 0; // signed
    // The announced local date and time: MJD date + hour:minute + offset.
    QDate date;
    QTime localTime;
};

ClockTime decodeClockTime(int blockB, int blockC, int blockD);

} // namespace vantor::test
