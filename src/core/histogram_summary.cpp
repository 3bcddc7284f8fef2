#include "histogram_summary.h"

namespace vantor {

void SummariseHistogram(TDevice &d, int aboveKHz)
{
    d.HistogramPeak = 1;
    d.HistogramTotal = 0;
    d.HistogramMaxAt = 0;
    d.HistogramMin = 0;
    d.HistogramAbove = 0;
    bool minFound = false;
    for (int i = 0; i < HistogramBinCount; ++i) {
        const int bin = d.HistogramBins[i];
        if (bin > d.HistogramPeak) {
            d.HistogramPeak = static_cast<float>(bin);
            d.HistogramMaxAt = i;
        }
        d.HistogramTotal += bin;
        if (i > aboveKHz)
            d.HistogramAbove += bin;
        if (!minFound && bin > 0) {
            d.HistogramMin = i;
            minFound = true;
        }
    }
    d.HistogramPercentAbove =
        d.HistogramTotal > 0 ? float(d.HistogramAbove) / float(d.HistogramTotal) * 100.0f : 0.0f;
}

} // namespace vantor
