// The order in which a station's RDS groups go on air: the PS in four 0A
// groups, then one 2A radiotext segment, over and over, and a 4A clock-time
// group as soon as the station's clock enters a new minute.
// A changed radiotext starts from its first segment with the A/B flag flipped.
// A station given a capture plays its groups instead, over and over.
#pragma once

#include "rds_groups.h"
#include "scenario.h"

#include <QDateTime>

namespace vantor::sim {

class RdsStream
{
public:
    // Starts over (new station or RDS output switched on); the minute of
    // stationTime counts as already announced.
    void restart(const QDateTime &stationTime);

    // The next group on air; *lost gets the blocks a played capture lost.
    RdsGroup next(const StationParams &station, const QDateTime &stationTime,
                  unsigned *lost = nullptr);

private:
    int m_psSegment = 0;
    int m_textSegment = 0;
    int m_slot = 0;
    qsizetype m_captured = 0; // the next group of a played capture
    qint64 m_minute = 0;
    // The text on air and its A/B flag, which flips when the text changes so
    // that decoders clear their display.
    QByteArray m_text;
    bool m_textKnown = false;
    bool m_textB = false;
};

} // namespace vantor::sim
