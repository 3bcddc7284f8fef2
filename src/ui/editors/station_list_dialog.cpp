#include "station_list_dialog.h"

#include "editor_widgets.h"
#include "engine.h"
#include "platform_utils.h"
#include "rds_alarm_rules.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace vantor {

namespace {
constexpr int MaxStations = 1000;

enum Column {
    FreqColumn,
    NameColumn,
    PsColumn,
    PiColumn,
    DeviceColumn,
    CommandColumn,
    ModeOrderColumn,
    MeasuringColumn,
    RdsColumn,
    AlarmSetColumn,
    EmailColumn,
    ColumnTotal
};

QStringList MinuteItems()
{
    QStringList items;
    for (int m = 0; m <= 10; ++m)
        items << QString::number(m);
    for (int m = 15; m <= 60; m += 5)
        items << QString::number(m);
    return items;
}
} // namespace

StationListDialog::StationListDialog(Engine &engine, QWidget *parent)
    : QDialog(parent), m_engine(engine)
{
    setWindowTitle(QStringLiteral("Station List"));
    setAccessibleName(windowTitle());
    setSizeGripEnabled(true);
    auto *layout = new QVBoxLayout(this);

    m_grid = Named(new QTableWidget(1, ColumnTotal, this), QStringLiteral("Station List"));
    m_grid->setHorizontalHeaderLabels(
        {QStringLiteral("Freq"), QStringLiteral("Name"), QStringLiteral("RDS PS"),
         QStringLiteral("RDS PI"), QStringLiteral("Device Name"), QStringLiteral("Initial Command"),
         QStringLiteral("Mode Order"), QStringLiteral("Measuring Mode [min]"),
         QStringLiteral("RDS Mode [min]"), QStringLiteral("Alarm Set Name"),
         QStringLiteral("Email")});
    m_grid->verticalHeader()->hide();
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setContextMenuPolicy(Qt::CustomContextMenu);
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->verticalHeader()->setDefaultSectionSize(22);
    FitColumnsToHeadings(m_grid, 110);
    layout->addWidget(m_grid);

    auto *row = new QHBoxLayout;
    QPushButton *add = Button(QStringLiteral("Add new line"), this);
    QPushButton *del = Button(QStringLiteral("Delete line"), this);
    QPushButton *up = Button(QStringLiteral("Up"), this);
    QPushButton *down = Button(QStringLiteral("Dn"), this);
    for (QPushButton *b : {add, del, up, down})
        row->addWidget(b);
    row->addStretch();
    row->addWidget(new QLabel(QStringLiteral("Rightclick on cells for options.   "), this));
    layout->addLayout(row);
    layout->addWidget(OkCancelButtons(this));

    connect(add, &QPushButton::clicked, this, &StationListDialog::AddLine);
    connect(del, &QPushButton::clicked, this, &StationListDialog::DeleteLine);
    connect(up, &QPushButton::clicked, this, &StationListDialog::MoveUp);
    connect(down, &QPushButton::clicked, this, &StationListDialog::MoveDown);
    connect(m_grid, &QWidget::customContextMenuRequested, this, &StationListDialog::ShowCellMenu);
    // Wide enough for every column at the width its caption needs, as far as
    // the screen allows.
    m_grid->resizeColumnsToContents();
    const QMargins margins = layout->contentsMargins();
    const int columns = m_grid->horizontalHeader()->length() +
                        m_grid->verticalHeader()->sizeHint().width() +
                        m_grid->verticalScrollBar()->sizeHint().width() + 2 * m_grid->frameWidth() +
                        margins.left() + margins.right();
    QSize wanted(std::max(1180, columns), 480);
    if (const QScreen *shown = screen())
        wanted = wanted.boundedTo(shown->availableGeometry().size());
    resize(wanted);
}

bool StationListDialog::Load()
{
    if (const QString refusal = m_engine.StationEditorRefusal(); !refusal.isEmpty()) {
        m_prompts.inform(parentWidget(), refusal);
        return false;
    }
    const auto &stations = m_engine.StationTable();
    const int count = static_cast<int>(stations.size());
    m_grid->setUpdatesEnabled(false);
    m_grid->clearContents();
    m_grid->setRowCount(std::max(1, count));
    for (int j = 0; j < count; ++j) {
        const TStation &s = stations[j];
        const QString cells[ColumnTotal] = {s.Frequency,
                                            s.Name,
                                            s.PS,
                                            s.PI,
                                            s.DeviceName,
                                            s.Commands,
                                            s.ModeOrder,
                                            QString::number(s.Measuring),
                                            QString::number(s.RDS),
                                            s.AlarmSetName,
                                            s.Email};
        for (int c = 0; c < ColumnTotal; ++c)
            m_grid->setItem(j, c, new QTableWidgetItem(cells[c]));
    }
    m_grid->setUpdatesEnabled(true);
    m_grid->setCurrentCell(0, 0);
    return true;
}

int StationListDialog::exec()
{
    return Load() ? QDialog::exec() : int(Rejected);
}

void StationListDialog::AddLine()
{
    if (m_grid->rowCount() >= MaxStations) {
        m_prompts.inform(this,
                         QStringLiteral("The list holds at most %1 stations.").arg(MaxStations));
        return;
    }
    const int current = m_grid->currentRow();
    const int at = current >= 0 ? current + 1 : m_grid->rowCount();
    m_grid->insertRow(at);
    m_grid->setCurrentCell(at, std::max(0, m_grid->currentColumn()));
}

void StationListDialog::DeleteLine()
{
    const int current = m_grid->currentRow();
    if (m_grid->rowCount() < 2 || current < 0)
        return;
    if (!m_prompts.ask(this, QStringLiteral("Delete the line?")))
        return;
    const int column = std::max(0, m_grid->currentColumn());
    m_grid->removeRow(current);
    m_grid->setCurrentCell(std::max(0, current - 1), column);
}

void StationListDialog::MoveUp()
{
    const int r = m_grid->currentRow();
    if (r < 1)
        return;
    SwapRows(m_grid, r, r - 1);
    m_grid->setCurrentCell(r - 1, m_grid->currentColumn());
}

void StationListDialog::MoveDown()
{
    const int r = m_grid->currentRow();
    if (r < 0 || r >= m_grid->rowCount() - 1)
        return;
    SwapRows(m_grid, r, r + 1);
    m_grid->setCurrentCell(r + 1, m_grid->currentColumn());
}

std::unique_ptr<QMenu> StationListDialog::ColumnMenu(int column)
{
    auto menu = std::make_unique<QMenu>(this);
    menu->setAccessibleName(QStringLiteral("Cell options"));
    auto add = [this](QMenu *to, const QString &caption) {
        connect(to->addAction(caption), &QAction::triggered, this,
                [this, caption] { PutCaption(caption); });
    };
    QStringList items;
    switch (column) {
    case FreqColumn:
        for (int mhz = 76; mhz <= 108; ++mhz) {
            QMenu *sub = menu->addMenu(QString::number(mhz));
            sub->setAccessibleName(sub->title());
            for (int tenth = 0; tenth <= (mhz == 108 ? 0 : 9); ++tenth)
                add(sub, QStringLiteral("%1.%2").arg(mhz).arg(tenth));
        }
        return menu;
    case DeviceColumn:
        for (const TDevice &d : m_engine.DeviceTable())
            items << d.Name;
        break;
    case ModeOrderColumn:
        items = {QStringLiteral("Measuring/RDS"), QStringLiteral("RDS/Measuring")};
        break;
    case MeasuringColumn:
        items = MinuteItems();
        break;
    case RdsColumn:
        items = QStringList{QStringLiteral("-1")} + MinuteItems();
        break;
    case AlarmSetColumn:
        for (const TAlarmSet &a : m_engine.AlarmSetTable())
            items << a.Name;
        break;
    default:
        break;
    }
    if (items.isEmpty())
        return nullptr;
    for (const QString &caption : items)
        add(menu.get(), caption);
    return menu;
}

void StationListDialog::ShowCellMenu(const QPoint &pos)
{
    const QModelIndex index = m_grid->indexAt(pos);
    if (index.isValid())
        m_grid->setCurrentCell(index.row(), index.column());
    if (auto menu = ColumnMenu(m_grid->currentColumn()))
        menu->exec(m_grid->viewport()->mapToGlobal(pos));
}

void StationListDialog::PutCaption(const QString &caption)
{
    const int r = m_grid->currentRow();
    const int c = m_grid->currentColumn();
    if (r < 0 || c < 0)
        return;
    CommitCellEdit(m_grid);
    SetCellText(m_grid, r, c, caption);
    m_grid->editItem(m_grid->item(r, c));
}

QString StationListDialog::RowRefusal(int row)
{
    bool blank = true;
    for (int c = 0; c < m_grid->columnCount(); ++c)
        blank = blank && CellText(m_grid, row, c).isEmpty();
    if (blank)
        return QString();
    // A frequency that cannot be read tunes the receiver to 0.00 MHz, and every
    // alarm of the station goes off.
    bool number = false;
    const double mhz = CellText(m_grid, row, FreqColumn)
                           .trimmed()
                           .replace(QLatin1Char(','), QLatin1Char('.'))
                           .toDouble(&number);
    if (!number || mhz < 76.0 || mhz > 108.0) {
        SelectCell(m_grid, row, FreqColumn);
        return QStringLiteral("Enter a frequency in the FM band (76.0 to 108.0 MHz)!");
    }
    // The names the PS mismatch alarm accepts: as many as it compares, each
    // no longer than a PS on air.
    const QStringList names = ExpectedPsNames(CellText(m_grid, row, PsColumn));
    if (names.size() > MaxExpectedPsNames ||
        std::any_of(names.begin(), names.end(),
                    [](const QString &name) { return name.size() > PsLength; })) {
        SelectCell(m_grid, row, PsColumn);
        return QStringLiteral("Enter up to four RDS PS names of at most 8 characters, "
                              "separated by |!");
    }
    const QString device = CellText(m_grid, row, DeviceColumn);
    if (!device.isEmpty() &&
        std::none_of(m_engine.DeviceTable().begin(), m_engine.DeviceTable().end(),
                     [&](const TDevice &d) { return d.Name == device; })) {
        SelectCell(m_grid, row, DeviceColumn);
        return QStringLiteral("No device of that name in the device list!");
    }
    const QString alarmSet = CellText(m_grid, row, AlarmSetColumn);
    if (!alarmSet.isEmpty() &&
        std::none_of(m_engine.AlarmSetTable().begin(), m_engine.AlarmSetTable().end(),
                     [&](const TAlarmSet &a) { return a.Name == alarmSet; })) {
        SelectCell(m_grid, row, AlarmSetColumn);
        return QStringLiteral("No alarm set of that name!");
    }
    return QString();
}

bool StationListDialog::Validate()
{
    const int rows = m_grid->rowCount();
    for (int r = 0; r < rows; ++r) {
        const QString name = CellText(m_grid, r, NameColumn);
        if (name.toUpper() == QLatin1String("RECENT")) {
            SelectCell(m_grid, r, NameColumn);
            m_prompts.inform(this,
                             QStringLiteral("Station name reserved! Use another station name."));
            return false;
        }
        if (const QString refusal = RowRefusal(r); !refusal.isEmpty()) {
            m_prompts.inform(this, refusal);
            return false;
        }
        for (int later = r + 1; later < rows && !name.isEmpty(); ++later) {
            if (CellText(m_grid, later, NameColumn) == name) {
                SelectCell(m_grid, later, NameColumn);
                m_prompts.inform(this, QStringLiteral("Duplicate station names!"));
                return false;
            }
        }
    }
    return true;
}

void StationListDialog::accept()
{
    CommitCellEdit(m_grid);
    if (!Validate())
        return;
    std::vector<TStation> stations(static_cast<size_t>(m_grid->rowCount()));
    for (int r = 0; r < m_grid->rowCount(); ++r) {
        TStation &s = stations[static_cast<size_t>(r)];
        s.Frequency = CellText(m_grid, r, FreqColumn);
        s.Name = CellText(m_grid, r, NameColumn);
        s.PS = CellText(m_grid, r, PsColumn);
        s.PI = CellText(m_grid, r, PiColumn);
        s.DeviceName = CellText(m_grid, r, DeviceColumn);
        s.Commands = CellText(m_grid, r, CommandColumn);
        s.ModeOrder = CellText(m_grid, r, ModeOrderColumn);
        s.Measuring = StrToIntDefault(CellText(m_grid, r, MeasuringColumn), 0);
        s.RDS = StrToIntDefault(CellText(m_grid, r, RdsColumn), 0);
        s.AlarmSetName = CellText(m_grid, r, AlarmSetColumn);
        s.Email = CellText(m_grid, r, EmailColumn);
    }
    m_engine.ReplaceStations(std::move(stations));
    QDialog::accept();
}

} // namespace vantor
