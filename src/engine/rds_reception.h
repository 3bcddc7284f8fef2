// What one device decodes of its station's RDS: the decoder and the change
// log, kept with the device and started afresh at each tuning.
#pragma once

#include "rds_change_log.h"
#include "rds_decoder.h"

namespace vantor {

struct RdsReception {
    RdsReception(const QString &appLogsFolder, const QString &name)
        : log(appLogsFolder, name), deviceName(name)
    {}

    RdsDecoder decoder;
    RdsChangeLog log;
    QString deviceName; // the name the change log files carry
};

} // namespace vantor
