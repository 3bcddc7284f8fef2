// The Device List editor: validation order and messages, what OK and Cancel
// leave in the tables, the line buttons and the serial ports offered.
#include "device_list_dialog.h"
#include "editor_fixture.h"
#include "editor_widgets.h"
#include "engine_tables.h"
#include "serial_port_offers.h"

#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>

namespace vantor::test {
namespace {

class DeviceListTest : public EditorFixture
{
protected:
    void SetUp() override
    {
        WriteDevices({QStringLiteral("COM1"), QStringLiteral("host.example:4001")});
        Start();
        dialog.SetPrompts(prompts.Prompts());
        dialog.Load();
        dialog.show();
    }

    void SetRows(const QList<QStringList> &rows)
    {
        QTableWidget *g = dialog.Grid();
        g->setRowCount(int(rows.size()));
        for (int r = 0; r < rows.size(); ++r)
            for (int c = 0; c < 3; ++c)
                SetCellText(g, r, c, rows[r].value(c));
    }

    DeviceListDialog dialog{engine};
};

TEST_F(DeviceListTest, LoadsTheListToSave)
{
    QTableWidget *g = dialog.Grid();
    ASSERT_EQ(g->rowCount(), 2);
    EXPECT_EQ(CellText(g, 1, 0), QStringLiteral("D1"));
    EXPECT_EQ(CellText(g, 1, 1), QStringLiteral("host.example:4001"));
    EXPECT_EQ(g->horizontalHeaderItem(1)->text(),
              QStringLiteral("Connection (COMx or COMx:speed or TCP server:port)"));
}

TEST_F(DeviceListTest, AddingAtTheLimitSaysWhyNothingWasAdded)
{
    dialog.Grid()->setRowCount(99);
    prompts.messages.clear();
    dialog.AddLine();
    EXPECT_EQ(dialog.Grid()->rowCount(), 99);
    EXPECT_EQ(prompts.messages, QStringList{QStringLiteral("The list holds at most 99 devices.")});
}

TEST_F(DeviceListTest, ValidationRefusesWithTheFirstFaultAndStaysOpen)
{
    struct Case {
        QList<QStringList> rows;
        QString message; // empty: accepted
        int row;
        int column;
    };
    const QString incomplete = QStringLiteral("Information incomplete!");
    const QString invalid = QStringLiteral("Invalid connection entry!");
    const QList<Case> cases = {
        {{{"A", "COM1"}}, {}, 0, 0},
        {{{"A", "com1"}}, invalid, 0, 1},
        {{{"A", "abc:80"}}, invalid, 0, 1},
        {{{"A", "abcd:80"}}, {}, 0, 0},
        {{{"A", "COM3:115200"}}, {}, 0, 1},
        {{{"A", "COM3 :115200"}}, invalid, 0, 1},
        {{{"A", "host.example"}}, invalid, 0, 1},
        {{{"Tx", "COM1"}, {"B", "COM2"}, {"Tx", "COM3"}},
         QStringLiteral("Duplicate device names!"),
         2,
         0},
        {{{"", "COM1"}, {"", "COM2"}}, incomplete, 0, 0},
        {{{"A", "COM"}}, incomplete, 0, 1},
        {{{"A", "COM1", "admin@example.org"}}, {}, 0, 0},
        {{{"A", "COM1", "not an address"}},
         QStringLiteral("Enter correct email or leave the field empty!"),
         0,
         2},
        // The e-mail is tested before the connection, the connection's
        // length before the empty name.
        {{{"", "CO", "bad"}},
         QStringLiteral("Enter correct email or leave the field empty!"),
         0,
         2},
        {{{"", "CO"}}, incomplete, 0, 1},
        {{{"A", "COM1"}, {"B", "x"}}, incomplete, 1, 1},
    };
    for (const Case &c : cases) {
        const QString label = c.rows.first().join(QLatin1Char('|'));
        prompts.messages.clear();
        SetRows(c.rows);
        SelectCell(dialog.Grid(), 0, 0);
        dialog.accept();
        if (c.message.isEmpty()) {
            EXPECT_TRUE(prompts.messages.isEmpty()) << qPrintable(label);
            EXPECT_EQ(dialog.result(), QDialog::Accepted) << qPrintable(label);
            dialog.setResult(QDialog::Rejected);
            dialog.show();
            continue;
        }
        EXPECT_EQ(prompts.messages, QStringList{c.message}) << qPrintable(label);
        EXPECT_TRUE(dialog.isVisible()) << qPrintable(label);
        EXPECT_EQ(dialog.Grid()->currentRow(), c.row) << qPrintable(label);
        EXPECT_EQ(dialog.Grid()->currentColumn(), c.column) << qPrintable(label);
    }
}

TEST_F(DeviceListTest, RefusedOkTakesNothingOver)
{
    SetRows({{"A", "com1"}});
    dialog.accept();
    EXPECT_FALSE(Tables(engine).G.RestartRequired);
    EXPECT_EQ(Tables(engine).DevicesToSave.size(), 2u);
}

TEST_F(DeviceListTest, OkReplacesTheListAndWantsARestart)
{
    SetRows({{"New", "COM7:9600", "a@b.cd"}});
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(Tables(engine).G.RestartRequired);
    ASSERT_EQ(Tables(engine).DevicesToSave.size(), 1u);
    EXPECT_EQ(Tables(engine).DevicesToSave[0].Name, QStringLiteral("New"));
    EXPECT_EQ(Tables(engine).DevicesToSave[0].Connection, QStringLiteral("COM7:9600"));
    EXPECT_EQ(Tables(engine).DevicesToSave[0].Email, QStringLiteral("a@b.cd"));
    EXPECT_EQ(Tables(engine).Devices.size(), 2u);
    EXPECT_EQ(Tables(engine).Devices[0].Name, QStringLiteral("D0"));
}

TEST_F(DeviceListTest, OkWithoutChangesStillWantsARestart)
{
    dialog.accept();
    EXPECT_TRUE(Tables(engine).G.RestartRequired);
}

TEST_F(DeviceListTest, CancelLeavesEverything)
{
    SetRows({{"New", "COM7"}});
    dialog.reject();
    EXPECT_FALSE(Tables(engine).G.RestartRequired);
    EXPECT_EQ(Tables(engine).DevicesToSave[0].Name, QStringLiteral("D0"));
}

TEST_F(DeviceListTest, TextStillBeingTypedIsTakenOver)
{
    QTableWidget *g = dialog.Grid();
    SelectCell(g, 0, 0);
    g->editItem(g->item(0, 0));
    auto *editor = g->viewport()->findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("Typed"));
    dialog.accept();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(Tables(engine).DevicesToSave[0].Name, QStringLiteral("Typed"));
}

TEST_F(DeviceListTest, LinesAreAddedUpToNinetyNineAndNeverAllDeleted)
{
    for (int i = 0; i < 120; ++i)
        dialog.AddLine();
    EXPECT_EQ(dialog.Grid()->rowCount(), 99);

    SetRows({{"A", "COM1"}, {"B", "COM2"}, {"C", "COM3"}});
    dialog.Grid()->setCurrentCell(1, 0);
    prompts.answer = false;
    dialog.DeleteLine();
    EXPECT_EQ(prompts.questions, QStringList{QStringLiteral("Delete the line?")});
    EXPECT_EQ(dialog.Grid()->rowCount(), 3);
    prompts.answer = true;
    dialog.DeleteLine();
    ASSERT_EQ(dialog.Grid()->rowCount(), 2);
    EXPECT_EQ(CellText(dialog.Grid(), 1, 0), QStringLiteral("C"));
    dialog.DeleteLine();
    dialog.DeleteLine();
    EXPECT_EQ(dialog.Grid()->rowCount(), 1);
    EXPECT_EQ(prompts.questions.size(), 3);
}

TEST_F(DeviceListTest, ListOffersComNamesForTheCursorsRow)
{
    SetRows({{"A", "COM1"}, {"B", ""}});
    dialog.Grid()->setCurrentCell(1, 0);
    const auto menu = dialog.SerialPortMenu(
        {{QStringLiteral("COM4"), QStringLiteral("/dev/ttyS3"), QString()},
         {QString(), QStringLiteral("/dev/ttyUSB0"), QStringLiteral("FT232")}});
    const auto actions = menu->actions();
    ASSERT_EQ(actions.size(), 2);
    EXPECT_EQ(actions[0]->text(), QStringLiteral("COM4   /dev/ttyS3"));
    EXPECT_FALSE(actions[1]->isEnabled());
    EXPECT_TRUE(actions[1]->text().startsWith(QStringLiteral("/dev/ttyUSB0 (FT232)")));
    actions[0]->trigger();
    EXPECT_EQ(CellText(dialog.Grid(), 1, 1), QStringLiteral("COM4"));
    EXPECT_EQ(dialog.Grid()->currentColumn(), 1);

    const auto none = dialog.SerialPortMenu({});
    ASSERT_EQ(none->actions().size(), 1);
    EXPECT_EQ(none->actions()[0]->text(), QStringLiteral("No serial ports found"));
}

TEST(SerialPortOffersTest, PortsGetTheComNameThatReachesThem)
{
    QTemporaryDir tmp;
    const QString data = tmp.path() + QStringLiteral("/data");
    QDir().mkpath(data + QStringLiteral("/ports"));
    const QString adapter = tmp.path() + QStringLiteral("/ttyUSB0");
    ASSERT_TRUE(writeAll(adapter, ""));
    ASSERT_TRUE(QFile::link(adapter, data + QStringLiteral("/ports/COM5")));

    const auto offers =
        SerialPortOffers(data, {QStringLiteral("/dev/ttyS0"), adapter, tmp.path() + "/ttyACM0"},
                         {QString(), QStringLiteral("USB adapter")});
    ASSERT_EQ(offers.size(), 3u);
    EXPECT_EQ(offers[0].comName, QStringLiteral("COM1"));
    EXPECT_EQ(offers[1].comName, QStringLiteral("COM5"));
    EXPECT_EQ(offers[1].description, QStringLiteral("USB adapter"));
    EXPECT_EQ(offers[2].comName, QString());
}

} // namespace
} // namespace vantor::test
