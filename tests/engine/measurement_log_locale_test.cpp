// Values in the CSV log use the decimal separator of the system's locale.
// This binary runs with a German locale (see CMakeLists.txt).
#include "engine_fixture.h"
#include "engine_tables.h"

#include <QLocale>

using namespace vantor;
using namespace vantor::test;

TEST_F(EngineFixture, ValuesUseTheLocaleDecimalSeparator)
{
    ASSERT_EQ(QLocale::system().decimalPoint(), QStringLiteral(","));
    WriteDevices({QStringLiteral("10.0.0.5:7000")});
    WriteStations({{"Radio 1", "98.5", "D0", 10, 0}});
    WriteFile(QStringLiteral("config.ini"), "[General]\r\nLineComposition=#\"Pm\";\"Level\"#\r\n");
    Start();
    ConnectAll();
    engine.Tune(0, 0, false);
    engine.StartMeasuring(0);
    clock.advanceMs(4000);
    engine.AddToLastData(0, QStringLiteral("Pm"), QStringLiteral("-2.5 dBr"));
    engine.AddToLastData(0, QStringLiteral("Level"), QStringLiteral("63.2 dBuV"));
    engine.TimerWriteLogTimer();
    EXPECT_EQ(readAll(Tables(engine).Folders.RecentFolder + QStringLiteral("Radio 1.csv")),
              "\"Pm\";\"Level\"\r\n\"-2,5\";\"63,2\"\r\n");
}
