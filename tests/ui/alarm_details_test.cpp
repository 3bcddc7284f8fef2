// Alarm Details: the state of each alarm kind of the selected device.
#include "alarm_details_window.h"
#include "engine_tables.h"
#include "rds_reception.h"
#include "window_fixture.h"

#include <QLabel>
#include <QTableWidget>

using namespace vantor;
using namespace vantor::test;

namespace {
class AlarmDetails : public WindowFixture
{
protected:
    AlarmDetailsWindow &Window() { return *window.alarmDetails(); }

    // Device 0 on station 0 with an alarm set whose silence detector waits 60 s.
    TDevice &OnStation()
    {
        ConnectAll();
        engine.RunGuarded([&] { engine.Tune(0, 0, false); });
        TDevice &d = Tables(engine).Devices[0];
        d.AlarmSetActive = true;
        d.AlarmSet.Name = QStringLiteral("Strict");
        d.AlarmSet.Basic[AlarmSilence].Enabled = true;
        d.AlarmSet.Basic[AlarmSilence].Duration = 60;
        d.AlarmSet.Basic[AlarmPiMismatch].Enabled = false;
        return d;
    }
};
} // namespace

TEST_F(AlarmDetails, APendingAlarmCountsDownAndAnActiveOneIsRed)
{
    TDevice &d = OnStation();
    d.AlarmStart[AlarmSilence] = clock.now() - 45 * OneSecond;
    engine.AddToLastData(0, QStringLiteral("AVE"), QStringLiteral("3.1 kHz"));
    engine.AddToLastData(0, QStringLiteral("MAX Hold"), QStringLiteral("80.5 kHz"));
    engine.AddToLastData(0, QStringLiteral("Histogram Max at"), QStringLiteral("40.0 kHz"));
    Window().Timer1Timer();
    EXPECT_EQ(Window().header()->text(), QStringLiteral("Alarm Set: Strict     Station: Radio 1"));
    EXPECT_EQ(Window().cell(1, 0), QStringLiteral("Silence detector"));
    EXPECT_EQ(Window().cell(1, 1), QStringLiteral("Enabled"));
    EXPECT_EQ(Window().cell(1, 2), QStringLiteral("25 kHz"));
    EXPECT_EQ(Window().cell(1, 3), QStringLiteral("3.1 kHz"));
    EXPECT_EQ(Window().cell(1, 4), QStringLiteral("15"));
    EXPECT_EQ(Window().rowState(1), AlarmDetailsWindow::Pending);
    EXPECT_EQ(Window().cell(2, 1), QStringLiteral("Disabled"));
    EXPECT_EQ(Window().cell(4, 2), QStringLiteral("88; 78; 78 kHz"));
    EXPECT_EQ(Window().cell(4, 3), QStringLiteral("80.5; 40.0; 3.1 kHz"));

    d.AlarmActive[AlarmSilence] = true;
    Tables(engine).Stations[0].LastAlarmTime[AlarmSilence] =
        ToDateTime(QDate(2024, 12, 8), QTime(9, 5));
    clock.advanceSeconds(20);
    Window().Timer1Timer();
    EXPECT_EQ(Window().cell(1, 4), QStringLiteral("0"));
    EXPECT_EQ(Window().rowState(1), AlarmDetailsWindow::Active);
    EXPECT_EQ(Window().cell(1, 5), QStringLiteral("12.08 9:05"));
}

TEST_F(AlarmDetails, WithoutAnAlarmSetOnlyTheNamesShow)
{
    TDevice &d = OnStation();
    Window().Timer1Timer();
    EXPECT_FALSE(Window().header()->text().isEmpty());
    d.AlarmSetActive = false;
    Window().Timer1Timer();
    EXPECT_TRUE(Window().header()->text().isEmpty());
    for (int row = 1; row < AlarmDetailsWindow::Rows; ++row) {
        EXPECT_EQ(Window().cell(row, 0), AlarmKindNames[row - 1]);
        for (int column = 1; column < AlarmDetailsWindow::Columns; ++column)
            EXPECT_TRUE(Window().cell(row, column).isEmpty()) << row << "," << column;
    }
}

TEST_F(AlarmDetails, TheRdsKindsFollowTheNineWithWhatTheyCheckAndHear)
{
    TDevice &d = OnStation();
    d.Station.PS = QStringLiteral("RADIO 1|YLE*");
    Tables(engine).Stations[0].PS = d.Station.PS;
    d.AlarmSet.Basic[AlarmPsMismatch].Enabled = true;
    d.AlarmSet.GT_GroupTypes = QStringLiteral("0A 2A");
    // YLE X3M, received 2016-09-15 (tests/rds/data/yle-x3m-2016-09-15.groups):
    // PS "YLE X3M ", TA on.
    for (const char *group :
         {"62040130966B594C", "6204013193CD4520", "62040132E4725833", "62040137966B4D20"})
        d.Rds->decoder.feed(*RdsGroup::Parse(QString::fromLatin1(group)), clock.now());
    Window().Timer1Timer();
    const struct {
        int kind;
        const char *limit;
        const char *actual;
    } rows[] = {
        {AlarmPsMismatch, "RADIO 1|YLE*", "YLE X3M "},
        {AlarmTaStuck, "15 min", "on"},
        {AlarmRadioTextMissing, "10 min", ""}, // not judged yet: not in RDS mode
        {AlarmRdsErrors, "10 %", ""},          // no whole minute yet
        {AlarmGroupTypesMissing, "0A 2A", ""},
    };
    for (const auto &row : rows) {
        EXPECT_EQ(Window().cell(row.kind + 1, 0), AlarmKindNames[row.kind]);
        EXPECT_EQ(Window().cell(row.kind + 1, 2), QLatin1String(row.limit)) << row.kind;
        EXPECT_EQ(Window().cell(row.kind + 1, 3), QLatin1String(row.actual)) << row.kind;
    }
    EXPECT_EQ(Window().cell(AlarmPsMismatch + 1, 1), QStringLiteral("Enabled"));
    EXPECT_EQ(Window().cell(AlarmTaStuck + 1, 1), QStringLiteral("Disabled"));
}

namespace {
// The colour the window paints in the middle of a cell, read back from a
// rendering of the grid.
QColor Painted(AlarmDetailsWindow &window, int row, int column)
{
    QTableWidget *grid = window.grid();
    const QImage image = grid->viewport()->grab().toImage();
    const QRect cell = grid->visualRect(grid->model()->index(row, column));
    return image.pixelColor(cell.right() - 2, cell.bottom() - 2);
}
} // namespace

TEST_F(AlarmDetails, PendingIsYellowActiveIsRedAndDisabledKindsAreNeither)
{
    Window().resize(700, 300);
    TDevice &d = OnStation();
    d.AlarmStart[AlarmSilence] = clock.now() - 10 * OneSecond;
    Window().Timer1Timer();
    EXPECT_EQ(Painted(Window(), 1, 3), QColor(Qt::yellow)) << "the actual value of a pending kind";
    EXPECT_NE(Painted(Window(), 1, 1), QColor(Qt::yellow));

    d.AlarmActive[AlarmSilence] = true;
    Window().Timer1Timer();
    for (int column = 1; column < AlarmDetailsWindow::Columns; ++column)
        EXPECT_EQ(Painted(Window(), 1, column), QColor(Qt::red)) << column;
    EXPECT_NE(Painted(Window(), 1, 0), QColor(Qt::red)) << "the name keeps its face";
    for (int column = 0; column < AlarmDetailsWindow::Columns; ++column) {
        const QColor disabled = Painted(Window(), 2, column);
        EXPECT_NE(disabled, QColor(Qt::red)) << column;
        EXPECT_NE(disabled, QColor(Qt::yellow)) << column;
    }
}

TEST_F(AlarmDetails, EveryTextFitsItsColumn)
{
    TDevice &d = OnStation();
    d.AlarmSet.GT_GroupTypes = QStringLiteral("0A 1A 2A 3A 4A 10A 11A 12A 13A 14A 15A");
    d.AlarmSet.PL_Minimum = 18000;
    d.AlarmSet.PL_Maximum = 19500;
    engine.AddToLastData(0, QStringLiteral("MAX Hold"), QStringLiteral("100.5 kHz"));
    engine.AddToLastData(0, QStringLiteral("Histogram Max at"), QStringLiteral("100.0 kHz"));
    engine.AddToLastData(0, QStringLiteral("AVE"), QStringLiteral("100.5 kHz"));
    Window().Timer1Timer();
    const QTableWidget *grid = Window().grid();
    const QFontMetrics metrics = grid->fontMetrics();
    for (int row = 0; row < AlarmDetailsWindow::Rows; ++row)
        for (int column = 0; column < AlarmDetailsWindow::Columns; ++column)
            EXPECT_GT(grid->columnWidth(column),
                      metrics.horizontalAdvance(Window().cell(row, column)))
                << row << ' ' << column << ' ' << Window().cell(row, column).toStdString();
}
