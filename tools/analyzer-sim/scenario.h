// What the simulated receivers hear: per-frequency station values that the
// answers, the histogram and the RDS groups are made from. A frequency without
// a station plays silence (no carrier).
#pragma once

#include "rds_groups.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

#include <optional>

namespace vantor::sim {

struct StationParams {
    quint16 pi = 0x1000;
    QByteArray ps;        // exactly 8 bytes, space padded
    QByteArray radioText; // at most 64 bytes; empty: no 2A groups
    double ave = 40.0;    // deviation, kHz
    double max = 70.0;
    double maxHold = 75.0;
    double min = 5.0;
    double pilot = 6.8; // injection, kHz
    double rds = 4.0;
    double pm = 1.0;             // modulation power, dBr
    double level = 60.0;         // dBuV
    int quality = 5;             // 0..5
    double clockOffset = 0.0;    // seconds the station's clock runs ahead
    double blockErrorRate = 0.0; // share of RDS blocks lost, 0..1
    double noise = 1.0;          // scale of the random noise on values, 0 = exact
    // Groups received off air, played in a loop instead of the groups made
    // from PI, PS and RadioText; empty: those are made.
    QList<CapturedGroup> capture;
};

class Scenario
{
public:
    // The stations played when no scenario file is given.
    static Scenario builtIn();
    // Reads our INI format; on failure returns nothing and sets *error to a
    // message naming the line.
    static std::optional<Scenario> parse(const QByteArray &text, QString *error);
    static std::optional<Scenario> load(const QString &path, QString *error);

    // Frequency text in MHz ("98.5") to kHz; -1 when it is not a frequency.
    static int parseFrequency(const QString &mhz);

    const StationParams *station(int kHz) const;
    QList<int> frequencies() const { return m_stations.keys(); }

    // Sets one key of the station at kHz, creating the station with default
    // values when there is none. Keys are matched without regard to case.
    bool set(int kHz, const QString &key, const QString &value, QString *error);

private:
    QMap<int, StationParams> m_stations;
};

// Default values of a new station at kHz (its PS shows the frequency).
StationParams defaultStation(int kHz);

} // namespace vantor::sim
