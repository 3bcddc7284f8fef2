// Turns the analyzer's "Histogram Data" text into a device's bin counts and
// the statistics the histogram picture and files use.
#include "engine.h"
#include "histogram_summary.h"
#include "platform_utils.h"

#include <array>

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
    // A count is its field's characters other than spaces.
    std::array<QChar, CountWidth> count;
    for (int i = 0; i < HistogramBinCount; ++i) {
        qsizetype size = 0;
        for (const QChar c : QStringView(text).mid(FieldWidth * i + CountOffset, CountWidth))
            if (c != QLatin1Char(' '))
                count[static_cast<std::size_t>(size++)] = c;
        d.HistogramBins[i] = StrToIntDefault(QStringView(count.data(), size), 0);
    }
    SummariseHistogram(d, m_prefs.Integer(QStringLiteral("DeviationLimit")) +
                              m_prefs.Integer(QStringLiteral("DeviationTolerance")));
    d.HistogramTime = FormatDateTime(QStringLiteral("d.mm.yyyy h:nn:ss"), m_clock.now());
    Note(device, HistogramStored);
}

} // namespace vantor
