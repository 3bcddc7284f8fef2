// The deviation histogram of a device as the Recent Data window shows it and
// as the end-of-measuring picture saves it: bins 0 ... 120 kHz as bars in
// three colours split at the deviation limit and tolerance, with the summary
// texts and the station caption.
#pragma once

#include "chart_target.h"
#include "model.h"

#include <vector>

namespace vantor {

struct HistogramOptions {
    int deviationLimit = 75;    // kHz; drawn as at most 110
    int deviationTolerance = 1; // kHz
    bool accumulated = false;   // percentage of samples above each bin instead of counts
};

// Bar heights of bins 0 ... 120 (bin 121 is never drawn): counts, or in the accumulated view
// the whole percentage of all samples lying above each bin.
std::vector<float> HistogramPoints(const TDevice &device, bool accumulated);

// Draws the device's histogram: on a control on light grey, or on an image on
// white.
void DrawHistogram(const ChartTarget &target, const TDevice &device,
                   const HistogramOptions &options);

} // namespace vantor
