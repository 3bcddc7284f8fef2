#include "device_list_dialog.h"

#include "editor_widgets.h"
#include "engine.h"
#include "platform_utils.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace vantor {

namespace {
constexpr int MaxRows = 99;
enum Column { NameColumn, ConnectionColumn, EmailColumn };

bool ValidConnection(const QString &c)
{
    if (c.contains(QLatin1Char(' ')))
        return false;
    if (c.startsWith(QLatin1String("COM")))
        return true;
    // The server part before the ":" has at least four characters.
    return c.indexOf(QLatin1Char(':')) >= 4;
}
} // namespace

DeviceListDialog::DeviceListDialog(Engine &engine, QWidget *parent)
    : QDialog(parent), m_engine(engine)
{
    setWindowTitle(QStringLiteral("Device List"));
    setAccessibleName(windowTitle());
    auto *layout = new QVBoxLayout(this);

    m_grid = Named(new QTableWidget(1, 3, this), QStringLiteral("Device List"));
    m_grid->setHorizontalHeaderLabels({QStringLiteral("Name"),
                                       QStringLiteral("Connection (COMx or COMx:speed or TCP "
                                                      "server:port)"),
                                       QStringLiteral("Admin Email")});
    m_grid->verticalHeader()->hide();
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    FitColumnsToHeadings(m_grid, 140);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(m_grid);

    auto *row = new QHBoxLayout;
    QPushButton *add = Button(QStringLiteral("Add new line"), this);
    QPushButton *del = Button(QStringLiteral("Delete line"), this);
    QPushButton *list = Button(QStringLiteral("List..."), this);
    m_listButton = list;
    row->addWidget(add);
    row->addWidget(del);
    row->addWidget(list);
    row->addStretch();
    row->addWidget(new QLabel(QStringLiteral("Requires restart to take effect!   "), this));
    layout->addLayout(row);
    layout->addWidget(OkCancelButtons(this));

    connect(add, &QPushButton::clicked, this, &DeviceListDialog::AddLine);
    connect(del, &QPushButton::clicked, this, &DeviceListDialog::DeleteLine);
    connect(list, &QPushButton::clicked, this, &DeviceListDialog::OfferSerialPorts);
    resize(860, 360);
}

void DeviceListDialog::Load()
{
    const auto &list = m_engine.DevicesToSaveTable();
    m_grid->clearContents();
    m_grid->setRowCount(std::max<int>(1, static_cast<int>(list.size())));
    for (int i = 0; i < static_cast<int>(list.size()); ++i) {
        SetCellText(m_grid, i, NameColumn, list[i].Name);
        SetCellText(m_grid, i, ConnectionColumn, list[i].Connection);
        SetCellText(m_grid, i, EmailColumn, list[i].Email);
    }
    m_grid->setCurrentCell(0, 0);
}

int DeviceListDialog::exec()
{
    Load();
    return QDialog::exec();
}

void DeviceListDialog::AddLine()
{
    if (m_grid->rowCount() >= MaxRows) {
        m_prompts.inform(this, QStringLiteral("The list holds at most %1 devices.").arg(MaxRows));
        return;
    }
    m_grid->insertRow(m_grid->rowCount());
}

void DeviceListDialog::DeleteLine()
{
    if (m_grid->rowCount() < 2 || m_grid->currentRow() < 0)
        return;
    if (m_prompts.ask(this, QStringLiteral("Delete the line?")))
        m_grid->removeRow(m_grid->currentRow());
}

std::unique_ptr<QMenu> DeviceListDialog::SerialPortMenu(const std::vector<SerialPortOffer> &offers)
{
    auto menu = std::make_unique<QMenu>(this);
    menu->setAccessibleName(QStringLiteral("Serial ports"));
    for (const SerialPortOffer &o : offers) {
        const QString place =
            o.location + (o.description.isEmpty()
                              ? QString()
                              : QStringLiteral(" (") + o.description + QLatin1Char(')'));
        if (o.comName.isEmpty()) {
            // Reachable only through an operator's entry in the ports folder.
            menu->addAction(place + QStringLiteral(": link it as ports/COMn in the data folder"))
                ->setEnabled(false);
            continue;
        }
        QAction *a = menu->addAction(o.comName + QStringLiteral("   ") + place);
        connect(a, &QAction::triggered, this, [this, name = o.comName] {
            const int row = std::max(0, m_grid->currentRow());
            SetCellText(m_grid, row, ConnectionColumn, name);
            SelectCell(m_grid, row, ConnectionColumn);
        });
    }
    if (offers.empty())
        menu->addAction(QStringLiteral("No serial ports found"))->setEnabled(false);
    return menu;
}

void DeviceListDialog::OfferSerialPorts()
{
    const auto menu = SerialPortMenu(AvailableSerialPortOffers(m_engine.FolderPaths().DataFolder));
    menu->exec(m_listButton->mapToGlobal(QPoint(0, m_listButton->height())));
}

void DeviceListDialog::Refuse(int row, int column, const QString &message)
{
    SelectCell(m_grid, row, column);
    m_prompts.inform(this, message);
}

bool DeviceListDialog::Validate()
{
    const int rows = m_grid->rowCount();
    const QString incomplete = QStringLiteral("Information incomplete!");
    for (int r = 0; r < rows; ++r) {
        const QString name = CellText(m_grid, r, NameColumn);
        for (int later = r + 1; later < rows && !name.isEmpty(); ++later) {
            if (CellText(m_grid, later, NameColumn) == name) {
                Refuse(later, NameColumn, QStringLiteral("Duplicate device names!"));
                return false;
            }
        }
        const QString email = CellText(m_grid, r, EmailColumn);
        if (!email.isEmpty() && BadEmailAddress(email)) {
            Refuse(r, EmailColumn, QStringLiteral("Enter correct email or leave the field empty!"));
            return false;
        }
        const QString connection = CellText(m_grid, r, ConnectionColumn);
        if (connection.size() < 4) {
            Refuse(r, ConnectionColumn, incomplete);
            return false;
        }
        if (name.isEmpty()) {
            Refuse(r, NameColumn, incomplete);
            return false;
        }
        if (!ValidConnection(connection)) {
            Refuse(r, ConnectionColumn, QStringLiteral("Invalid connection entry!"));
            return false;
        }
    }
    return true;
}

void DeviceListDialog::accept()
{
    CommitCellEdit(m_grid);
    if (!Validate())
        return;
    std::vector<TDeviceToSave> list;
    for (int r = 0; r < m_grid->rowCount(); ++r)
        list.push_back({CellText(m_grid, r, NameColumn), CellText(m_grid, r, ConnectionColumn),
                        CellText(m_grid, r, EmailColumn)});
    m_engine.ReplaceDevicesToSave(std::move(list));
    QDialog::accept();
}

} // namespace vantor
