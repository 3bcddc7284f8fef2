// The deviation histogram text for stations of different shapes and for
// measurements of different lengths.
#include "analyzer-sim/measurements.h"

#include <gtest/gtest.h>

using namespace vantor;

namespace {

struct HistogramCase {
    const char *name;
    double min, ave, max, maxHold;
    qint64 samples;
};

class Histogram : public ::testing::TestWithParam<HistogramCase>
{};

TEST_P(Histogram, FullestAtAveEmptyOutsideMinToMaxHoldAndFitsItsFields)
{
    const HistogramCase &c = GetParam();
    sim::StationParams station;
    station.min = c.min;
    station.ave = c.ave;
    station.max = c.max;
    station.maxHold = c.maxHold;
    const QByteArray text = sim::histogramText(station, c.samples);
    ASSERT_EQ(text.size(), 122 * 14);

    int fullest = 0;
    int peak = 1;
    for (int i = 0; i < 122; ++i) {
        const QByteArray field = text.mid(14 * i + 7, 5);
        bool ok = false;
        const int count = field.trimmed().toInt(&ok);
        ASSERT_TRUE(ok) << "bin " << i << ": '" << field.constData() << "'";
        if (count > peak) {
            peak = count;
            fullest = i;
        }
        if (i < static_cast<int>(c.min) || i > static_cast<int>(std::ceil(c.maxHold))) {
            EXPECT_EQ(count, 0) << "bin " << i;
        }
    }
    EXPECT_EQ(fullest, std::min(121, static_cast<int>(std::lround(c.ave))));
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, Histogram,
    ::testing::Values(
        // Wide and flat on top: neighbouring bins round to equal counts.
        HistogramCase{"FlatTopFewSamples", 5, 42, 70, 75, 500},
        HistogramCase{"NoCarrier", 0.2, 0.8, 2.5, 3, 2000},
        // Hours of measuring on a narrow spread: far beyond five digits per bin.
        HistogramCase{"NarrowAndLong", 0.2, 0.8, 2.5, 3, 1000000},
        HistogramCase{"BeyondTheLastBin", 60, 110, 140, 150, 5000}),
    [](const ::testing::TestParamInfo<HistogramCase> &param) {
        return std::string(param.param.name);
    });

} // namespace
