#include "measurements.h"

#include <algorithm>
#include <cmath>

namespace vantor::sim {

namespace {

QByteArray fixed(double v, int decimals)
{
    // Keeps "-0.0" off the wire.
    const double scale = std::pow(10.0, decimals);
    if (std::round(v * scale) == 0.0)
        v = 0.0;
    return QByteArray::number(v, 'f', decimals);
}

} // namespace

const StationParams &silence()
{
    static const StationParams p = [] {
        StationParams s;
        s.ave = 0.8;
        s.max = 2.5;
        s.maxHold = 3.0;
        s.min = 0.2;
        s.pilot = 0.0;
        s.rds = 0.0;
        s.pm = -18.0;
        s.level = 9.0;
        s.quality = 0;
        return s;
    }();
    return p;
}

QByteArray quantityName(Quantity q)
{
    switch (q) {
    case Quantity::Max:
        return "MAX";
    case Quantity::MaxHold:
        return "MAX Hold";
    case Quantity::Ave:
        return "AVE";
    case Quantity::Min:
        return "MIN";
    case Quantity::Pm:
        return "Pm";
    case Quantity::Pilot:
        return "Pilot";
    case Quantity::Rds:
        return "RDS";
    case Quantity::PhaseDifference:
        return "RDS Phase Difference";
    case Quantity::If:
        return "IF";
    case Quantity::SignalQuality:
        return "Signal Quality";
    case Quantity::Level:
        return "Level";
    case Quantity::LeftPeak:
        return "LeftPeak";
    case Quantity::RightPeak:
        return "RightPeak";
    }
    return {};
}

double Measurements::noisy(double base, double amplitude, const StationParams &station)
{
    const double spread = amplitude * station.noise;
    if (spread <= 0.0)
        return base;
    return base + (m_random.generateDouble() * 2.0 - 1.0) * spread;
}

QByteArray Measurements::value(Quantity q, const StationParams &s)
{
    const auto kHz = [](double v, int decimals) -> QByteArray {
        return fixed(std::max(0.0, v), decimals) + " kHz";
    };
    switch (q) {
    case Quantity::Max:
        return kHz(noisy(s.max, 0.6, s), 1);
    case Quantity::MaxHold:
        return kHz(noisy(s.maxHold, 0.3, s), 1);
    case Quantity::Ave:
        return kHz(noisy(s.ave, 0.6, s), 1);
    case Quantity::Min:
        return kHz(noisy(s.min, 0.4, s), 1);
    case Quantity::Pm:
        return fixed(noisy(s.pm, 0.15, s), 1) + " dBr";
    case Quantity::Pilot:
        return kHz(noisy(s.pilot, 0.03, s), 2);
    case Quantity::Rds:
        return kHz(noisy(s.rds, 0.03, s), 2);
    case Quantity::PhaseDifference:
        return fixed(s.rds > 0.0 ? noisy(90.0, 0.5, s) : 0.0, 1) + " deg";
    case Quantity::If:
        return kHz(noisy(325.0, 0.5, s), 1);
    case Quantity::SignalQuality:
        return QByteArray::number(s.quality);
    case Quantity::Level:
        return fixed(noisy(s.level, 0.4, s), 1) + " dBuV";
    case Quantity::LeftPeak:
        return kHz(noisy(s.max * 0.9, 0.8, s), 1);
    case Quantity::RightPeak:
        return kHz(noisy(s.max * 0.88, 0.8, s), 1);
    }
    return {};
}

QByteArray histogramText(const StationParams &s, qint64 samples)
{
    // A bell around AVE whose flanks reach MIN and MAX at two standard
    // deviations, cut off below MIN and above MAX Hold.
    const double sigmaLow = std::max(1.0, (s.ave - s.min) / 2.0);
    const double sigmaHigh = std::max(1.0, (s.max - s.ave) / 2.0);
    const int first = std::clamp(static_cast<int>(std::floor(s.min)), 0, histogramBins - 1);
    const int last = std::clamp(static_cast<int>(std::ceil(s.maxHold)), first, histogramBins - 1);

    double weights[histogramBins] = {};
    double total = 0.0;
    for (int i = first; i <= last; ++i) {
        const double z = (i - s.ave) / (i < s.ave ? sigmaLow : sigmaHigh);
        weights[i] = std::exp(-0.5 * z * z);
        total += weights[i];
    }

    qint64 counts[histogramBins] = {};
    for (int i = first; i <= last; ++i)
        counts[i] = std::llround(static_cast<double>(samples) * weights[i] / total);
    // A flat top rounds to equal counts; the bin at AVE is made the fullest
    // so that the program's "fullest bin" lands on it. Long measurements are
    // scaled down to the five digits of a field.
    const int peak = std::clamp(static_cast<int>(std::lround(s.ave)), first, last);
    for (int i = first; i <= last; ++i) {
        if (i != peak && counts[i] >= counts[peak])
            counts[peak] = counts[i] + 1;
    }
    constexpr qint64 fieldMax = 99999;
    if (counts[peak] > fieldMax) {
        const double scale = static_cast<double>(fieldMax) / static_cast<double>(counts[peak]);
        for (qint64 &count : counts)
            count = static_cast<qint64>(std::floor(static_cast<double>(count) * scale));
        counts[peak] = fieldMax;
    }

    QByteArray text;
    text.reserve(histogramBins * histogramFieldWidth);
    for (int i = 0; i < histogramBins; ++i) {
        text.append(QByteArray::number(i).rightJustified(3, ' '));
        text.append("kHz:");
        text.append(QByteArray::number(counts[i]).rightJustified(5, ' '));
        text.append("  ");
    }
    return text;
}

} // namespace vantor::sim
