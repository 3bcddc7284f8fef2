// What one device decodes of its station's RDS: the decoder and the change
// log, kept with the device and started afresh at each tuning, and when each
// group type last arrived, for the alarms that miss one.
#pragma once

#include "rds_change_log.h"
#include "rds_decoder.h"

#include <algorithm>

namespace vantor {

struct RdsReception {
    RdsReception(const QString &appLogsFolder, const QString &name)
        : log(appLogsFolder, name), deviceName(name)
    {}

    // Forgets the station before: the device was tuned.
    void restart()
    {
        decoder.reset();
        lastArrival.fill(0);
        judgedSince = 0;
    }

    // When a group of the type index last arrived, or when the alarms began
    // to judge the reception if that is later: a type never received counts
    // as missing from then on.
    TDateTime arrivedSince(int typeIndex) const
    {
        return std::max(lastArrival[static_cast<std::size_t>(typeIndex)], judgedSince);
    }

    // RadioText last arrived, in 2A or 2B.
    TDateTime radioTextSince() const { return std::max(arrivedSince(4), arrivedSince(5)); }

    // The longest missing of the types: the oldest of their arrivals.
    TDateTime oldestArrival(const QList<int> &typeIndices) const
    {
        TDateTime oldest = 0;
        for (const int type : typeIndices) {
            const TDateTime since = arrivedSince(type);
            if (oldest == 0 || since < oldest)
                oldest = since;
        }
        return oldest;
    }

    RdsDecoder decoder;
    RdsChangeLog log;
    QString deviceName;                      // the name the change log files carry
    std::array<TDateTime, 32> lastArrival{}; // by RdsGroup::typeIndex()
    TDateTime judgedSince = 0;               // the first tick the RDS alarms judged, 0 before
};

} // namespace vantor
