// The values a receiver measures on the station it hears, as the value texts
// of its responses: the scenario's numbers plus small seeded noise, with their
// units, and the deviation histogram in its fixed-width layout.
#pragma once

#include "scenario.h"

#include <QByteArray>
#include <QRandomGenerator>

namespace vantor::sim {

enum class Quantity {
    Max,
    MaxHold,
    Ave,
    Min,
    Pm,
    Pilot,
    Rds,
    PhaseDifference,
    If,
    SignalQuality,
    Level,
    LeftPeak,
    RightPeak,
};

// What a receiver hears on a frequency without a station: no carrier.
const StationParams &silence();

// Response name of a quantity ("MAX Hold", "Signal Quality", ...).
QByteArray quantityName(Quantity q);

class Measurements
{
public:
    explicit Measurements(quint32 seed) : m_random(seed) {}

    // Value text with unit, for example "42.3 kHz" or "61.8 dBuV".
    QByteArray value(Quantity q, const StationParams &station);

private:
    double noisy(double base, double amplitude, const StationParams &station);

    QRandomGenerator m_random;
};

// Number of histogram bins (one per kHz of deviation, 0 to 121 kHz) and the
// width of each bin's field in the "Histogram Data" value.
constexpr int histogramBins = 122;
constexpr int histogramFieldWidth = 14;

// Histogram of `samples` deviation samples spread between MIN and MAX Hold,
// fullest at AVE. Field i reads "NNNkHz:" (7 characters), the count in 5
// characters right-aligned, then two blanks; the value is 122 fields long.
QByteArray histogramText(const StationParams &station, qint64 samples);

} // namespace vantor::sim
