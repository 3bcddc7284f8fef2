#include "rds_stream.h"

namespace vantor::sim {

namespace {

qint64 minuteOf(const QDateTime &t)
{
    const qint64 ms = t.toMSecsSinceEpoch();
    return ms >= 0 ? ms / 60000 : (ms - 59999) / 60000;
}

} // namespace

void RdsStream::restart(const QDateTime &stationTime)
{
    m_psSegment = 0;
    m_textSegment = 0;
    m_slot = 0;
    m_captured = 0;
    m_minute = minuteOf(stationTime);
    m_textKnown = false;
    m_textB = false;
}

RdsGroup RdsStream::next(const StationParams &station, const QDateTime &stationTime, unsigned *lost)
{
    if (!station.capture.isEmpty()) {
        const CapturedGroup &g = station.capture[m_captured++ % station.capture.size()];
        if (lost)
            *lost = g.lost;
        return g.group;
    }
    const qint64 minute = minuteOf(stationTime);
    if (minute != m_minute) {
        m_minute = minute;
        return clockTimeGroup(station.pi, stationTime);
    }
    if (!m_textKnown || station.radioText != m_text) {
        if (m_textKnown)
            m_textB = !m_textB;
        m_text = station.radioText;
        m_textKnown = true;
        m_textSegment = 0;
    }
    const int textSegments = radioTextSegments(station.radioText);
    const bool textSlot = m_slot == 4 && textSegments > 0;
    m_slot = (m_slot + 1) % 5;
    if (textSlot) {
        const int segment = m_textSegment % textSegments;
        m_textSegment = segment + 1;
        return radioTextGroup(station.pi, m_text, segment, m_textB);
    }
    const int segment = m_psSegment;
    m_psSegment = (m_psSegment + 1) % 4;
    return psGroup(station.pi, station.ps, segment);
}

} // namespace vantor::sim
