#include "rds_decode.h"

namespace vantor::test {

std::optional<std::array<int, 4>> parseGroup(const QByteArray &value)
{
    if (value.size() != 16)
        return std::nullopt;
    std::array<int, 4> blocks{};
    for (int i = 0; i < 4; ++i) {
        const QByteArray piece = value.mid(4 * i, 4);
        if (piece == "----") {
            blocks[static_cast<size_t>(i)] = -1;
            continue;
        }
        bool ok = false;
        blocks[static_cast<size_t>(i)] = piece.toInt(&ok, 16);
        if (!ok)
            return std::nullopt;
    }
    return blocks;
}

ClockTime decodeClockTime(int b, int c, int d)
{
    ClockTime t;
    t.mjd = ((b & 0x3) << 15) | ((c >> 1) & 0x7FFF);
    t.utcHour = ((c & 1) << 4) | ((d >> 12) & 0xF);
    t.minute = (d >> 6) & 0x3F;
    t.offsetHalfHours = (d & 0x1F) * ((d & 0x20) ? -1 : 1);

    // Modified Julian Day to calendar date, the standard's annex formula.
    const int yp = static_cast<int>((t.mjd - 15078.2) / 365.25);
    const int mp = static_cast<int>((t.mjd - 14956.1 - static_cast<int>(yp * 365.25)) / 30.6001);
    const int day = t.mjd - 14956 - static_cast<int>(yp * 365.25) - static_cast<int>(mp * 30.6001);
    const int k = (mp == 14 || mp == 15) ? 1 : 0;
    const QDate utcDate(1900 + yp + k, mp - 1 - 12 * k, day);

    const QDateTime local =
        QDateTime(utcDate, QTime(t.utcHour, t.minute), Qt::UTC).addSecs(t.offsetHalfHours * 1800);
    t.date = local.date();
    t.localTime = local.time();
    return t;
}

} // namespace vantor::test
