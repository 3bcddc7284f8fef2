// The statistics of a device's deviation histogram: total, fullest bin, lowest
// non-empty bin and the share above the deviation limit.
#pragma once

#include "model.h"

namespace vantor {

// Recomputes HistogramPeak (at least 1), HistogramTotal, HistogramMaxAt (the
// lowest of equal bins, and never a bin of count 1), HistogramMin,
// HistogramAbove (bins above aboveKHz) and HistogramPercentAbove from the bins.
void SummariseHistogram(TDevice &device, int aboveKHz);

} // namespace vantor
