// RDS group texts as a hostile receiver reports them, one per line: cutting
// into blocks, the clock-time decoding and the RDS log line. A clock-time
// group gives the date its Modified Julian Day names over the whole range the
// conversion is defined for (1900-03-01 to 2100-02-28), or no date at all.
#include "rds_groups.h"

#include <cstdint>
#include <cstdlib>

using namespace vantor;

namespace {

constexpr int FirstConvertibleDay = 15079; // 1900-03-01
constexpr int LastConvertibleDay = 88127;  // 2100-02-28

void CheckDate(int mjd)
{
    // Outside that range the formula is not exact, and such a date is of no
    // use anyway; it must only be computed without fault.
    const TDateTime date = GetRDSDate(mjd);
    if (mjd >= FirstConvertibleDay && mjd <= LastConvertibleDay &&
        date != ToDateTime(QDate(1858, 11, 17).addDays(mjd), QTime(0, 0)))
        std::abort();
}

void CheckGroup(const QString &group, TDateTime now)
{
    TGlobals globals;
    globals.GroupBlockA = globals.GroupBlockB = globals.GroupBlockC = globals.GroupBlockD = 7;
    const bool converted = GroupConvert(group, globals);
    if (group.size() != 16) {
        if (converted || globals.GroupBlockB != 7)
            std::abort();
        return;
    }
    for (const int block :
         {globals.GroupBlockA, globals.GroupBlockB, globals.GroupBlockC, globals.GroupBlockD}) {
        if (block < -1 || block > 0xFFFF)
            std::abort();
    }
    if (converted != (globals.GroupBlockB >= 0))
        std::abort();
    if (converted && IsClockTimeGroup(globals.GroupBlockB) && globals.GroupBlockC >= 0) {
        CheckDate(((globals.GroupBlockC >> 1) & 0x7FFF) | ((globals.GroupBlockB & 0x3) << 15));
        const TDateTime sent = DEC_CT(globals, now);
        // 17 bits of day number reach from 1858 to 2217; the time of day and
        // the offset add at most two days either way.
        if (sent != now && !(sent > ToDateTime(QDate(1850, 1, 1), QTime(0, 0)) &&
                             sent < ToDateTime(QDate(2300, 1, 1), QTime(0, 0))))
            std::abort();
    }
    if (!RdsLogLine(group, now).startsWith(group))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const TDateTime now = ToDateTime(QDate(2024, 5, 1), QTime(12, 0, 0, 340));
    for (const QByteArray &line : bytes.split('\n'))
        CheckGroup(QString::fromLatin1(line), now);
    // Every day number a group can carry, taken from the input's first bytes.
    if (size >= 3)
        CheckDate((data[0] | data[1] << 8 | data[2] << 16) & 0x1FFFF);
    return 0;
}
