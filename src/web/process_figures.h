// What the operating system knows about this process, for the metrics: CPU
// time, resident memory, open file descriptors and the start time.
#pragma once

#include <QtGlobal>

namespace vantor {

struct ProcessFigures {
    double cpuSeconds = 0; // user + system
    qint64 residentBytes = 0;
    int openFds = 0;
    double startTimeSeconds = 0; // since the Unix epoch
    bool valid = false;          // false where /proc could not be read
};

ProcessFigures ReadProcessFigures();

} // namespace vantor
