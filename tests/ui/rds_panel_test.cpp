// The RDS page of Recent Data: off-air captures given as the receivers'
// responses show on the page of the device chosen, and the page is redrawn
// only while it is seen and something changed.
#include "rds_capture.h"
#include "rds_panel.h"
#include "signal_light.h"
#include "window_fixture.h"

#include <QTabWidget>

using namespace vantor;
using namespace vantor::test;

namespace {

class RdsPanelTest : public WindowFixture
{
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        ConnectAll();
    }

    void TuneAndSettle(int device)
    {
        engine.RunGuarded([&] { engine.Tune(device, device, false); });
        clock.advanceSeconds(5); // what arrives right after tuning is ignored
    }

    // One group a receive tick.
    void Play(int device, const QStringList &groups, int times = 1)
    {
        for (int t = 0; t < times; ++t) {
            for (const QString &g : groups) {
                library.pushResponse(device, QStringLiteral("G=") + g);
                clock.advanceMs(200);
                engine.TimerReceiveTimer();
            }
        }
    }

    void ShowRdsPage() { Data3().pages()->setCurrentIndex(RecentDataWindow::RdsPage); }
    RdsPanel &Page() { return *Data3().rdsPanel(); }
    std::string Field(const char *name)
    {
        return Page().FieldText(QLatin1String(name)).toStdString();
    }
};

} // namespace

TEST_F(RdsPanelTest, ThePageShowsWhatTheChosenDeviceDecodes)
{
    ShowRdsPage();
    TuneAndSettle(0);
    TuneAndSettle(1);
    Play(0, RdsCaptureGroups(QStringLiteral("yle-x3m-2016-09-15.groups")), 4);
    Play(1, RdsCaptureGroups(QStringLiteral("antenne-2016-09-17-rt-plus.groups")), 2);

    // Values as the capture's source states them.
    EXPECT_EQ(Field("PS"), "YLE X3M ");
    EXPECT_EQ(Field("PS being received"), "") << "the same name again is nothing new";
    EXPECT_EQ(Field("PTY"), "9 Varied");
    EXPECT_EQ(Field("PI"), "6204");
    EXPECT_EQ(Field("RT+"), "-");
    EXPECT_NE(Page().TrafficProgramme()->state(), SignalLight::State::Unknown);
    EXPECT_EQ(Field("Group types").rfind("0A ", 0), 0u) << Field("Group types");

    ChooseDevice(1);
    EXPECT_EQ(Field("PI"), "D318");
    const std::string rtPlus = Field("RT+");
    EXPECT_NE(rtPlus.find("item.artist: Christina Stürmer"), std::string::npos) << rtPlus;
    EXPECT_NE(rtPlus.find("item.title: Ein Teil von mir"), std::string::npos) << rtPlus;
    EXPECT_NE(Field("RadioText"), "-");

    // A new tuning starts afresh; then another station's AF list and country.
    ChooseDevice(0);
    TuneAndSettle(0);
    EXPECT_EQ(Field("PS"), "-");
    EXPECT_EQ(Field("AF"), "-");
    EXPECT_EQ(Page().TrafficProgramme()->state(), SignalLight::State::Unknown);
    Play(0, RdsCaptureGroups(QStringLiteral("yle-yksi-2016-09-15-af-a.groups")), 2);
    Play(0, RdsCaptureGroups(QStringLiteral("yle-yksi-2016-09-15-pin-ecc.groups")), 2);
    EXPECT_EQ(Field("AF"), "87.9 90.9 89.8 89.2 93.2 88.5 89.5 MHz");
    EXPECT_EQ(Field("ECC / country"), "E1 / FI");
    EXPECT_EQ(Field("PI"), "6201");
}

TEST_F(RdsPanelTest, ThePageIsRedrawnOnlyWhileSeenAndWhenSomethingChanged)
{
    TuneAndSettle(0);
    const QStringList capture = RdsCaptureGroups(QStringLiteral("yle-x3m-2016-09-15.groups"));
    const int before = Page().Refreshes();
    Play(0, capture, 2);
    StatusSecond();
    EXPECT_EQ(Page().Refreshes(), before) << "another page is shown";
    EXPECT_EQ(Field("PS"), "-");

    ShowRdsPage();
    EXPECT_EQ(Field("PS"), "YLE X3M ") << "brought up to date when shown";

    // The same groups again change nothing the decoder reports; only the
    // group count moves, which the next second shows once.
    Play(0, capture, 2);
    const int afterRepeat = Page().Refreshes();
    StatusSecond();
    EXPECT_EQ(Page().Refreshes(), afterRepeat + 1);
    StatusSecond();
    clock.advanceMs(200);
    engine.TimerReceiveTimer();
    EXPECT_EQ(Page().Refreshes(), afterRepeat + 1) << "no groups, nothing to redraw";

    // Another device's news leave the page alone.
    TuneAndSettle(1);
    Play(1, RdsCaptureGroups(QStringLiteral("antenne-2016-09-17-rt-plus.groups")));
    EXPECT_EQ(Page().Refreshes(), afterRepeat + 1);
    EXPECT_EQ(Field("PI"), "6204");
}

TEST_F(RdsPanelTest, TheChosenPageIsKeptInTheSettings)
{
    ShowRdsPage();
    EXPECT_EQ(engine.Prefs().Integer(QStringLiteral("RecentDataShow")), RecentDataWindow::RdsPage);
    Data3().pages()->setCurrentIndex(RecentDataWindow::ValuesPage);
    engine.Prefs().SetInteger(QStringLiteral("RecentDataShow"), RecentDataWindow::RdsPage);
    window.applyPreferences();
    EXPECT_EQ(Data3().pages()->currentIndex(), RecentDataWindow::RdsPage);
}
