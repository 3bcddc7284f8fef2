// The CSV line of one device, composed from a full set of received values, for
// the two presets and a long composition of every column twice with text
// between. Run by hand; the figures are compared before and after a change.
#include "engine.h"
#include "engine_tables.h"
#include "fake_clock.h"
#include "fake_device_library.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QLocale>
#include <QStringList>

namespace {

using namespace vantor;

// What an analyzer sends in one second of measuring, plus what the engine adds.
const std::pair<const char *, const char *> Received[] = {
    {"Frequency", "98.50 MHz"}, {"Level", "63.2 dBuV"},   {"MAX", "75.0 kHz"},
    {"MAX Hold", "78.5 kHz"},   {"AVE", "41.3 kHz"},      {"MIN", "2.1 kHz"},
    {"Pm", "-2.5 dBr"},         {"Pilot", "6.8 kHz"},     {"RDS", "3.9 kHz"},
    {"IF", "12.0 kHz"},         {"Signal Quality", "87"}, {"RDS Phase Difference", "89.5 deg"},
    {"LeftPeak", "-1.2 dB"},    {"RightPeak", "-1.4 dB"}, {"G", "D3C3 0400 E0CD 5241"},
    {"Time Error", "0"},        {"PI", "D3C3"},           {"Histogram Max at", "72"},
};

QString FullComposition()
{
    QString text = QStringLiteral("\"datetime\"");
    for (const QString &column : MeasurementColumns) {
        if (!column.isEmpty())
            text += QStringLiteral(";\"") + column + QLatin1Char('"');
    }
    return text;
}

QString LongComposition()
{
    QString text = QStringLiteral("\"date\" at \"time\"");
    for (int round = 0; round < 2; ++round) {
        for (const QString &column : MeasurementColumns) {
            if (!column.isEmpty())
                text += QStringLiteral(" | ") + column + QStringLiteral(": \"") + column +
                        QLatin1Char('"');
        }
    }
    return text + QStringLiteral(" \"PI\" \"Frequency\"");
}

void ComposeLine(benchmark::State &state, const QString &composition)
{
    FakeClock clock(QDateTime(QDate(2024, 5, 1), QTime(12, 0, 0), Qt::UTC));
    FakeDeviceLibrary library;
    HeadlessView view;
    Engine engine(clock, library, view);
    Tables(engine).Devices.emplace_back();
    for (const auto &[name, value] : Received)
        engine.AddToLastData(0, QString::fromLatin1(name), QString::fromLatin1(value));
    engine.Prefs().SetText(QStringLiteral("LineComposition"), composition);
    const QString date = QStringLiteral("2024.05.01");
    const QString time = QStringLiteral("12:00:00");
    const QString decimalPoint = QLocale::system().decimalPoint();
    qsizetype length = 0;
    for (auto _ : state) {
        const QString line = engine.ComposeLogLine(0, date, time, decimalPoint);
        length = line.size();
        benchmark::DoNotOptimize(length);
    }
    state.counters["chars"] = static_cast<double>(length);
}

void DefaultPreset(benchmark::State &state)
{
    ComposeLine(state, QStringLiteral("\"datetime\";\"Signal Quality\";\"Level\";\"MAX\";\"Pilot\";"
                                      "\"RDS\";\"Pm\""));
}

void FullPreset(benchmark::State &state)
{
    ComposeLine(state, FullComposition());
}

void LongText(benchmark::State &state)
{
    ComposeLine(state, LongComposition());
}

BENCHMARK(DefaultPreset);
BENCHMARK(FullPreset);
BENCHMARK(LongText);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
