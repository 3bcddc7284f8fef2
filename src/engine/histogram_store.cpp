// Turns the analyzer's "Histogram Data" text into a device's bin counts and
// the statistics the histogram picture and files use.
#include "engine.h"
#include "histogram_summary.h"
#include "platform_utils.h"

namespace vantor {

namespace {
constexpr int FieldWidth = 14;
constexpr int CountOffset = 7; // 0-based start of the count in each field
constexpr int CountWidth = 5;
} // namespace

void Engine::StoreHistogram(int device, const QString &text)
{
    if (InvalidDevice(device))
        return;
    TDevice &d = Devices[device];
    // One text for every count, its room allocated once.
    QString count;
    count.reserve(CountWidth);
    for (int i = 0; i < HistogramBinCount; ++i) {
        count.resize(0);
        count.append(QStringView(text).mid(FieldWidth * i + CountOffset, CountWidth));
        count.remove(QLatin1Char(' '));
        d.HistogramBins[i] = StrToIntDefault(count, 0);
    }
    SummariseHistogram(d, m_prefs.Integer(QStringLiteral("DeviationLimit")) +
                              m_prefs.Integer(QStringLiteral("DeviationTolerance")));
    d.HistogramTime = FormatDateTime(QStringLiteral("d.mm.yyyy h:nn:ss"), m_clock.now());
    Note(device, HistogramStored);
}

} // namespace vantor
