// The CSV line composition with a fuzzed composition and fuzzed received
// values. The input is lines: the first is the composition, the others are
// responses "name=value" that fill the recent data. However hostile the
// values, they fill fields and never make new ones: the line keeps the
// composition's double quotes, no more and no fewer.
#include "fuzz_station.h"

#include <QLocale>

#include <cstdint>
#include <cstdlib>

using namespace vantor;
using namespace vantor::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzStation &station = FuzzStation::Instance();
    station.Reset();
    const QList<QByteArray> lines =
        QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)).split('\n');
    const QString composition = QString::fromLatin1(lines.front());
    station.engine.Prefs().SetText(QStringLiteral("LineComposition"), composition);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString response = QString::fromLatin1(lines[i]);
        const qsizetype eq = response.indexOf(QLatin1Char('='));
        station.engine.AddToLastData(0, eq < 0 ? QString() : response.left(eq),
                                     eq < 0 ? response : response.mid(eq + 1));
    }
    const QString stored = station.engine.Prefs().Text(QStringLiteral("LineComposition"));
    const QString line =
        station.engine.ComposeLogLine(0, QStringLiteral("2024.05.01"), QStringLiteral("12:00:00"),
                                      QLocale::system().decimalPoint());
    if (line.isEmpty())
        return 0;
    if (line.count(QLatin1Char('"')) != stored.count(QLatin1Char('"')))
        std::abort();
    return 0;
}
