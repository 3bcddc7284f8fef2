// Quick station entry: its lists, the device it opens on, and tuning at once.
#include "editor_fixture.h"
#include "engine_tables.h"
#include "quick_station_dialog.h"

#include <QComboBox>
#include <QLocale>

namespace vantor::test {
namespace {

class QuickStationTest : public EditorFixture
{
protected:
    void SetUp() override
    {
        WriteDevices({QStringLiteral("COM1"), QStringLiteral("COM2"), QStringLiteral("COM3")});
        Start();
        dialog.SetPrompts(prompts.Prompts());
    }

    QuickStationDialog dialog{engine};
};

TEST_F(QuickStationTest, OffersFourHundredFortyOneFrequenciesAndThreeModes)
{
    ConnectAll();
    ASSERT_TRUE(dialog.Load());
    const QString point = QLocale::system().decimalPoint();
    QComboBox *f = dialog.Frequencies();
    ASSERT_EQ(f->count(), 441);
    EXPECT_EQ(f->itemText(0), QStringLiteral("64") + point + QStringLiteral("0"));
    EXPECT_EQ(f->itemText(341), QStringLiteral("98") + point + QStringLiteral("1"));
    EXPECT_EQ(f->itemText(440), QStringLiteral("108") + point + QStringLiteral("0"));
    EXPECT_EQ(f->currentIndex(), 0);
    EXPECT_EQ(dialog.Modes()->count(), 3);
    EXPECT_EQ(dialog.Modes()->currentText(), QStringLiteral("Measuring"));
}

TEST_F(QuickStationTest, NeedsDevices)
{
    Tables(engine).Devices.clear();
    EXPECT_FALSE(dialog.Load());
    EXPECT_EQ(prompts.messages,
              QStringList{QStringLiteral("No device found. Add a device first!")});
}

TEST_F(QuickStationTest, OffersHandledDevicesAndOpensOnTheMainWindowsDevice)
{
    ConnectAll();
    view.selectedDevice = 2;
    ASSERT_TRUE(dialog.Load());
    EXPECT_EQ(dialog.DeviceBox()->count(), 3);
    EXPECT_EQ(dialog.DeviceBox()->currentText(), QStringLiteral("D2"));
}

TEST_F(QuickStationTest, TuneBuildsAOneOffStationAndRemembersTheFrequency)
{
    ConnectAll();
    view.selectedDevice = 1;
    engine.Prefs().SetInteger(QStringLiteral("ImmediateFrequency"), 341);
    ASSERT_TRUE(dialog.Load());
    EXPECT_EQ(dialog.Frequencies()->currentIndex(), 341);
    dialog.Frequencies()->setCurrentIndex(400);
    dialog.Modes()->setCurrentIndex(2);
    dialog.accept();

    const TDevice &d = Tables(engine).Devices[1];
    EXPECT_TRUE(d.StationActive);
    EXPECT_EQ(d.StationIndex, -1);
    EXPECT_EQ(d.Station.Frequency, dialog.Frequencies()->itemText(400));
    EXPECT_EQ(d.Station.Measuring, 9999999);
    EXPECT_EQ(d.Station.RDS, -1);
    EXPECT_TRUE(library.commands(d.Handle).contains(QStringLiteral("104000*F")));
    EXPECT_TRUE(Tables(engine).Stations.empty());
    EXPECT_EQ(engine.Prefs().Integer(QStringLiteral("ImmediateFrequency")), 400);
}

TEST_F(QuickStationTest, WithoutAChosenDeviceNothingIsTuned)
{
    // No device has been handled by the connection manager yet.
    ASSERT_TRUE(dialog.Load());
    EXPECT_EQ(dialog.DeviceBox()->count(), 0);
    dialog.accept();
    for (const TDevice &d : Tables(engine).Devices)
        EXPECT_FALSE(d.StationActive);
    EXPECT_TRUE(library.calls(QStringLiteral("WriteCommand")).empty());
}

TEST_F(QuickStationTest, CancelTunesNothingButKeepsTheFrequencyChoice)
{
    ConnectAll();
    view.selectedDevice = 0;
    ASSERT_TRUE(dialog.Load());
    dialog.Frequencies()->setCurrentIndex(12);
    dialog.reject();
    EXPECT_FALSE(Tables(engine).Devices[0].StationActive);
    QuickStationDialog again(engine);
    ASSERT_TRUE(again.Load());
    EXPECT_EQ(again.Frequencies()->currentIndex(), 12);
}

} // namespace
} // namespace vantor::test
