// Recent Data: the bar meters' scaled values, refresh phases and reset.
#include "bar_meter.h"
#include "engine_tables.h"
#include "window_fixture.h"

#include <QTabWidget>

using namespace vantor;
using namespace vantor::test;

namespace {
class RecentData : public WindowFixture
{
protected:
    void SetColumn(const char *name, float value)
    {
        Tables(engine).Devices[0].ColumnValue[GetTableColumn(QLatin1String(name))] = value;
    }
    int Position(int meter) { return Data3().meter(meter)->position(); }
};

enum Meter { Max, Left, Right, Pilot, Rds, Pm, Level, Quality };
} // namespace

TEST_F(RecentData, MetersShowTheScaledValuesAndTheirResetPositions)
{
    ConnectAll();
    SetColumn("MAX", 75.5f);           // halves round to even: 76
    SetColumn("LeftPeak", 74.5f);      // 74
    SetColumn("RightPeak", 160.0f);    // beyond the range: its end
    SetColumn("Pilot", 6.85f);         // x 10 = 68.5 -> 68
    SetColumn("RDS", NoValue);         // no value: empty meter
    SetColumn("Pm", -2.5f);            // x 10
    SetColumn("Level", 63.2f);         // 63
    SetColumn("Signal Quality", 3.0f); // 3

    Data3().Timer1Timer();
    EXPECT_EQ(Position(Max), 0) << "nothing while another page is shown";
    EXPECT_EQ(Data3().barTimer().interval(), 4000);

    Data3().pages()->setCurrentIndex(RecentDataWindow::BargraphsPage);
    Data3().Timer1Timer();
    EXPECT_EQ(Data3().barTimer().interval(), 250);
    EXPECT_EQ(Position(Pilot), 68) << "phase 1: pilot, RDS, level";
    EXPECT_EQ(Position(Max), 0) << "not yet";
    for (int k = 0; k < 3; ++k)
        Data3().Timer1Timer();
    const int expected[] = {76, 74, 150, 68, 0, -25, 63, 3};
    for (int m = 0; m < RecentDataWindow::MeterCount; ++m)
        EXPECT_EQ(Position(m), expected[m]) << Data3().meter(m)->objectName().toStdString();
    EXPECT_EQ(Data3().meter(Pilot)->tickText(150), QStringLiteral("15"));
    EXPECT_EQ(Data3().meter(Pm)->tickText(-120), QStringLiteral("-12"));
    EXPECT_FALSE(Data3().meter(Quality)->isEnabled());
    // Every meter names the end of its scale, and never two neighbouring ticks.
    for (int m = 0; m < RecentDataWindow::MeterCount; ++m) {
        const BarMeter *meter = Data3().meter(m);
        const QList<int> ticks = meter->labelledTicks();
        if (ticks.isEmpty())
            continue;
        EXPECT_EQ(meter->tickText(ticks.last()), meter->tickText(meter->maximum()))
            << meter->objectName().toStdString();
        // Labels are two ticks apart; the last may be closer, but more than one.
        if (ticks.size() > 2) {
            EXPECT_GT(2 * (ticks.last() - ticks[ticks.size() - 2]), ticks[1] - ticks[0])
                << meter->objectName().toStdString();
        }
    }
    EXPECT_EQ(Data3().meter(Pilot)->labelledTicks().last(), 150);

    engine.RunGuarded([&] { engine.Tune(0, 0, false); });
    for (int m = 0; m < RecentDataWindow::MeterCount; ++m)
        EXPECT_EQ(Position(m), m == Pm ? -120 : 0) << m;
    EXPECT_EQ(Data3().barTimer().interval(), 4000);
}

TEST_F(RecentData, TheStartPageAndAccumulatedComeFromTheSettings)
{
    engine.Prefs().SetInteger(QStringLiteral("RecentDataShow"), 2);
    engine.Prefs().SetFlag(QStringLiteral("Accumulated"), true);
    window.applyPreferences();
    EXPECT_EQ(Data3().pages()->currentIndex(), RecentDataWindow::HistogramPage);
    EXPECT_TRUE(Data3().histogramOptions().accumulated);
    Data3().pages()->setCurrentIndex(RecentDataWindow::ValuesPage);
    EXPECT_EQ(engine.Prefs().Integer(QStringLiteral("RecentDataShow")), 0);
}
