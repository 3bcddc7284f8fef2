// Opening the Station List editor with 1000 stations and the Alarm Sets
// editor with 100 sets: dialog built, filled from the engine, shown and
// painted once. Run offscreen (QT_QPA_PLATFORM=offscreen) or under Xvfb.
#include "alarm_sets_dialog.h"
#include "engine.h"
#include "engine_tables.h"
#include "fake_clock.h"
#include "fake_device_library.h"
#include "station_list_dialog.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {

using namespace vantor;

struct BenchEngine {
    FakeClock clock{QDateTime::currentDateTime()};
    FakeDeviceLibrary library;
    HeadlessView view;
    Engine engine{clock, library, view};

    BenchEngine(int stations, int alarmSets)
    {
        for (int i = 0; i < 4; ++i) {
            TDevice d;
            d.Name = QStringLiteral("Receiver %1").arg(i);
            Tables(engine).Devices.push_back(d);
        }
        for (int j = 0; j < stations; ++j) {
            TStation s;
            s.Name = QStringLiteral("Station %1").arg(j);
            s.Frequency = QStringLiteral("%1.%2").arg(88 + j % 20).arg(j % 10);
            s.DeviceName = Tables(engine).Devices[j % 4].Name;
            s.PS = QStringLiteral("PS%1").arg(j);
            s.PI = QStringLiteral("D%1").arg(j, 3, 16, QLatin1Char('0'));
            s.ModeOrder = QStringLiteral("Measuring/RDS");
            s.Measuring = 5;
            s.RDS = 2;
            s.AlarmSetName = QStringLiteral("Set %1").arg(j % 100);
            s.Email = QStringLiteral("ops@example.org");
            Tables(engine).Stations.push_back(s);
        }
        for (int k = 0; k < alarmSets; ++k) {
            TAlarmSet a;
            a.Name = QStringLiteral("Set %1").arg(k);
            Tables(engine).AlarmSets.push_back(a);
        }
    }
};

void ShownAndPainted(QDialog &dialog)
{
    dialog.show();
    dialog.repaint();
    QCoreApplication::processEvents();
    dialog.hide();
}

void BM_OpenStationList(benchmark::State &state)
{
    BenchEngine b(static_cast<int>(state.range(0)), 100);
    for (auto _ : state) {
        StationListDialog dialog(b.engine);
        if (!dialog.Load())
            state.SkipWithError("refused to open");
        ShownAndPainted(dialog);
    }
}
BENCHMARK(BM_OpenStationList)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_OpenAlarmSets(benchmark::State &state)
{
    BenchEngine b(1000, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        AlarmSetsDialog dialog(b.engine);
        dialog.Load();
        ShownAndPainted(dialog);
    }
}
BENCHMARK(BM_OpenAlarmSets)->Arg(100)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
