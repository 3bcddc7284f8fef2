// The Station List editor: opening conditions, validation, what OK and Cancel
// leave in the station list and the station box, the row buttons and the
// pop-up menus per column.
#include "editor_fixture.h"
#include "editor_widgets.h"
#include "engine_tables.h"
#include "station_list_dialog.h"

#include <QHeaderView>
#include <QMenu>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>

namespace vantor::test {
namespace {

class StationListTest : public EditorFixture
{
protected:
    void SetUp() override
    {
        WriteDevices({QStringLiteral("COM1"), QStringLiteral("COM2")});
        WriteStations({{"Radio 1", "98.1", "D0", 2, 1, "Measuring/RDS", "Set A"},
                       {"Radio 2", "99.5", "D1", 3, -1},
                       {"Radio 3", "101.0", "D0", 1, 1}});
        WriteFile(QStringLiteral("alarms.ini"),
                  "[General]\r\nAlarmSetCount=2\r\n[AlarmSet0]\r\nName=Set A\r\n"
                  "[AlarmSet1]\r\nName=Set B\r\n");
        Start();
        dialog.SetPrompts(prompts.Prompts());
    }

    void Open()
    {
        ASSERT_TRUE(dialog.Load());
        dialog.show();
    }

    QStringList Names() const
    {
        QStringList names;
        for (int r = 0; r < dialog.Grid()->rowCount(); ++r)
            names << CellText(dialog.Grid(), r, 1);
        return names;
    }

    StationListDialog dialog{engine};
};

TEST_F(StationListTest, OpensOnlyWithDevices)
{
    Tables(engine).Devices.clear();
    EXPECT_FALSE(dialog.Load());
    Tables(engine).G.RestartRequired = true;
    EXPECT_FALSE(dialog.Load());
    EXPECT_EQ(prompts.messages, (QStringList{QStringLiteral("No device found. Add a device first!"),
                                             QStringLiteral("Application restart required")}));
}

TEST_F(StationListTest, LoadsEveryStationInGridOrder)
{
    Open();
    QTableWidget *g = dialog.Grid();
    ASSERT_EQ(g->rowCount(), 3);
    ASSERT_EQ(g->columnCount(), 11);
    const QStringList row0 = {"98.1",          "Radio 1", "",  "",      "D0", "",
                              "Measuring/RDS", "2",       "1", "Set A", ""};
    for (int c = 0; c < 11; ++c)
        EXPECT_EQ(CellText(g, 0, c), row0[c]) << c;
    EXPECT_EQ(CellText(g, 1, 8), QStringLiteral("-1"));
    EXPECT_EQ(g->horizontalHeaderItem(7)->text(), QStringLiteral("Measuring Mode [min]"));
}

TEST_F(StationListTest, OpensWideEnoughForEveryColumnCaption)
{
    // At the usual font and at a large one, where the captions need more than
    // the dialog's usual width.
    const QFont usual = QApplication::font();
    for (const double scale : {1.0, 1.6}) {
        QFont font = usual;
        font.setPointSizeF(usual.pointSizeF() * scale);
        QApplication::setFont(font);
        StationListDialog opened(engine);
        opened.SetPrompts(prompts.Prompts());
        ASSERT_TRUE(opened.Load());
        opened.show();
        QCoreApplication::sendPostedEvents();
        QTableWidget *g = opened.Grid();
        QHeaderView *header = g->horizontalHeader();
        ASSERT_GE(opened.screen()->availableGeometry().width(), header->length() + 100)
            << "the screen is too narrow to tell";
        const QFontMetrics metrics(header->font());
        for (int c = 0; c < g->columnCount(); ++c) {
            const QString caption = g->horizontalHeaderItem(c)->text();
            EXPECT_GE(header->sectionSize(c), metrics.horizontalAdvance(caption))
                << scale << caption.toStdString();
        }
        EXPECT_GE(g->viewport()->width(), header->length()) << scale;
        EXPECT_FALSE(g->horizontalScrollBar()->isVisible()) << scale;
    }
    QApplication::setFont(usual);
}

TEST_F(StationListTest, ReservedAndDuplicateNamesAreRefused)
{
    struct Case {
        QStringList names;
        QString message;
        int row;
    };
    const QString reserved = QStringLiteral("Station name reserved! Use another station name.");
    const QString duplicate = QStringLiteral("Duplicate station names!");
    const QList<Case> cases = {
        {{"A", "Recent", "C"}, reserved, 1},
        {{"A", "rECENT"}, reserved, 1},
        {{"A", "Recent 2"}, {}, 0},
        {{"", "", "C"}, {}, 0},
        {{"A", "B", "A"}, duplicate, 2},
        {{"A", "a"}, {}, 0},
        // Row by row: the first row's duplicate is found before a later
        // row's reserved name.
        {{"A", "RECENT", "A"}, duplicate, 2},
        {{"A", "A", "RECENT"}, duplicate, 1},
    };
    for (const Case &c : cases) {
        Open();
        prompts.messages.clear();
        QTableWidget *g = dialog.Grid();
        g->setRowCount(int(c.names.size()));
        for (int r = 0; r < c.names.size(); ++r) {
            SetCellText(g, r, 0, QStringLiteral("100.0"));
            SetCellText(g, r, 1, c.names[r]);
        }
        SelectCell(g, 0, 0);
        dialog.accept();
        const QString label = c.names.join(QLatin1Char('|'));
        if (c.message.isEmpty()) {
            EXPECT_EQ(dialog.result(), QDialog::Accepted) << qPrintable(label);
            EXPECT_TRUE(prompts.messages.isEmpty()) << qPrintable(label);
            dialog.setResult(QDialog::Rejected);
            continue;
        }
        EXPECT_EQ(prompts.messages, QStringList{c.message}) << qPrintable(label);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(g->currentRow(), c.row) << qPrintable(label);
        EXPECT_EQ(g->currentColumn(), 1) << qPrintable(label);
    }
}

TEST_F(StationListTest, CellsThatNameNothingAreRefusedWithTheCellSelected)
{
    enum { Freq = 0, Ps = 2, Device = 4, AlarmSet = 9 };
    struct Case {
        int column;
        QString text;
        QString message; // empty: accepted
    };
    const QString band = QStringLiteral("Enter a frequency in the FM band (76.0 to 108.0 MHz)!");
    const QString psNames =
        QStringLiteral("Enter up to four RDS PS names of at most 8 characters, separated by |!");
    const QList<Case> cases = {
        {Freq, "100,3", {}},
        {Freq, " 87.5 ", {}},
        {Freq, "108", {}},
        {Freq, "", band},
        {Freq, "FM 4", band},
        {Freq, "0", band},
        {Freq, "1043", band},
        {Freq, "75.9", band},
        {Ps, "  KRKA  |RADIO 1|NEWS*|********", {}},
        {Ps, "", {}},
        {Ps, "A|B|C|D|E", psNames},
        {Ps, "RADIO 1|RADIO ONE", psNames},
        {Device, "D1", {}},
        {Device, "", {}},
        {Device, "D7", QStringLiteral("No device of that name in the device list!")},
        {AlarmSet, "Set B", {}},
        {AlarmSet, "", {}},
        {AlarmSet, "Set C", QStringLiteral("No alarm set of that name!")},
    };
    for (const Case &c : cases) {
        Open();
        prompts.messages.clear();
        QTableWidget *g = dialog.Grid();
        SetCellText(g, 1, c.column, c.text);
        SelectCell(g, 0, 1);
        dialog.accept();
        const QString label = QString::number(c.column) + QLatin1Char('|') + c.text;
        if (c.message.isEmpty()) {
            EXPECT_EQ(dialog.result(), QDialog::Accepted) << qPrintable(label);
            EXPECT_TRUE(prompts.messages.isEmpty()) << qPrintable(label);
            dialog.setResult(QDialog::Rejected);
            continue;
        }
        EXPECT_EQ(prompts.messages, QStringList{c.message}) << qPrintable(label);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(g->currentRow(), 1) << qPrintable(label);
        EXPECT_EQ(g->currentColumn(), c.column) << qPrintable(label);
    }
    // A line left wholly blank is no station and not refused.
    Open();
    prompts.messages.clear();
    dialog.Grid()->insertRow(3);
    dialog.accept();
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST_F(StationListTest, AddingAtTheLimitSaysWhyNothingWasAdded)
{
    Open();
    prompts.messages.clear();
    dialog.Grid()->setRowCount(1000);
    dialog.AddLine();
    EXPECT_EQ(dialog.Grid()->rowCount(), 1000);
    EXPECT_EQ(prompts.messages,
              QStringList{QStringLiteral("The list holds at most 1000 stations.")});
}

TEST_F(StationListTest, OkReplacesStationsAndTheStationBox)
{
    Tables(engine).Stations[0].LastAlarmTime[3] = 45000;
    Tables(engine).Devices[0].Station = Tables(engine).Stations[0];
    Tables(engine).Devices[0].StationIndex = 0;
    Open();
    QTableWidget *g = dialog.Grid();
    SetCellText(g, 0, 1, QStringLiteral("Renamed"));
    SetCellText(g, 0, 7, QStringLiteral("ten"));
    SetCellText(g, 0, 8, QStringLiteral(" 12"));
    SetCellText(g, 0, 2, QStringLiteral("  KRKA  |RADIO*"));
    dialog.Grid()->setCurrentCell(2, 0);
    prompts.answer = true;
    dialog.DeleteLine();
    dialog.accept();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);

    ASSERT_EQ(Tables(engine).Stations.size(), 2u);
    const TStation &s = Tables(engine).Stations[0];
    EXPECT_EQ(s.Name, QStringLiteral("Renamed"));
    EXPECT_EQ(s.Frequency, QStringLiteral("98.1"));
    EXPECT_EQ(s.Measuring, 0);
    EXPECT_EQ(s.RDS, 12);
    EXPECT_EQ(s.PS, QStringLiteral("  KRKA  |RADIO*")); // blanks are part of the names
    EXPECT_EQ(s.AlarmSetName, QStringLiteral("Set A"));
    EXPECT_EQ(s.LastAlarmTime[3], 0);
    EXPECT_EQ(StationBoxText(Tables(engine).Stations[1]), QStringLiteral("99.5 - Radio 2 (D1)"));
    // The device's visit goes on with its own copy.
    EXPECT_EQ(Tables(engine).Devices[0].Station.Name, QStringLiteral("Radio 1"));
}

TEST_F(StationListTest, CancelLeavesTheList)
{
    Open();
    SetCellText(dialog.Grid(), 0, 1, QStringLiteral("Renamed"));
    engine.Announce();
    EngineRecorder recorder(engine);
    dialog.reject();
    engine.Announce();
    EXPECT_EQ(Tables(engine).Stations[0].Name, QStringLiteral("Radio 1"));
    EXPECT_EQ(recorder.stationAnnouncements, 0) << "the station box is left alone";
}

TEST_F(StationListTest, RowButtons)
{
    Open();
    QTableWidget *g = dialog.Grid();
    g->setCurrentCell(2, 3);
    dialog.AddLine();
    EXPECT_EQ(Names(), (QStringList{"Radio 1", "Radio 2", "Radio 3", ""}));
    EXPECT_EQ(g->currentRow(), 3);

    g->setCurrentCell(1, 0);
    dialog.AddLine();
    EXPECT_EQ(Names(), (QStringList{"Radio 1", "Radio 2", "", "Radio 3", ""}));
    EXPECT_EQ(g->currentRow(), 2);

    g->setCurrentCell(0, 0);
    dialog.MoveUp();
    EXPECT_EQ(Names().first(), QStringLiteral("Radio 1"));
    dialog.MoveDown();
    EXPECT_EQ(Names().mid(0, 2), (QStringList{"Radio 2", "Radio 1"}));
    EXPECT_EQ(g->currentRow(), 1);
    EXPECT_EQ(CellText(g, 1, 0), QStringLiteral("98.1"));
    g->setCurrentCell(4, 0);
    dialog.MoveDown();
    EXPECT_EQ(g->currentRow(), 4);
    dialog.MoveUp();
    EXPECT_EQ(Names(), (QStringList{"Radio 2", "Radio 1", "", "", "Radio 3"}));

    g->setCurrentCell(0, 0);
    dialog.DeleteLine();
    EXPECT_EQ(Names().first(), QStringLiteral("Radio 1"));
    EXPECT_EQ(g->currentRow(), 0);

    g->setRowCount(1000);
    dialog.AddLine();
    EXPECT_EQ(g->rowCount(), 1000);
    g->setRowCount(1);
    dialog.DeleteLine();
    EXPECT_EQ(g->rowCount(), 1);
}

TEST_F(StationListTest, ColumnMenusOfferTheirItems)
{
    Open();
    auto captions = [](const QMenu &m) {
        QStringList out;
        for (const QAction *a : m.actions())
            out << (a->menu() ? a->menu()->title() : a->text());
        return out;
    };
    for (int column : {1, 2, 3, 5, 10})
        EXPECT_EQ(dialog.ColumnMenu(column), nullptr) << column;

    auto freq = dialog.ColumnMenu(0);
    ASSERT_NE(freq, nullptr);
    const auto subs = freq->actions();
    ASSERT_EQ(subs.size(), 33);
    EXPECT_EQ(subs.first()->menu()->title(), QStringLiteral("76"));
    EXPECT_EQ(captions(*subs[22]->menu()).first(), QStringLiteral("98.0"));
    EXPECT_EQ(captions(*subs[22]->menu()).size(), 10);
    EXPECT_EQ(captions(*subs.last()->menu()), QStringList{QStringLiteral("108.0")});

    EXPECT_EQ(captions(*dialog.ColumnMenu(4)), (QStringList{"D0", "D1"}));
    EXPECT_EQ(captions(*dialog.ColumnMenu(6)), (QStringList{"Measuring/RDS", "RDS/Measuring"}));
    const QStringList minutes = {"0",  "1",  "2",  "3",  "4",  "5",  "6",  "7",  "8",  "9", "10",
                                 "15", "20", "25", "30", "35", "40", "45", "50", "55", "60"};
    EXPECT_EQ(captions(*dialog.ColumnMenu(7)), minutes);
    EXPECT_EQ(captions(*dialog.ColumnMenu(8)), QStringList{"-1"} + minutes);
    EXPECT_EQ(captions(*dialog.ColumnMenu(9)), (QStringList{"Set A", "Set B"}));

    // An item writes its caption into the cursor's cell.
    QTableWidget *g = dialog.Grid();
    g->setCurrentCell(1, 0);
    subs[22]->menu()->actions()[5]->trigger();
    EXPECT_EQ(CellText(g, 1, 0), QStringLiteral("98.5"));
    g->setCurrentCell(2, 9);
    dialog.ColumnMenu(9)->actions()[1]->trigger();
    EXPECT_EQ(CellText(g, 2, 9), QStringLiteral("Set B"));
}

} // namespace
} // namespace vantor::test
