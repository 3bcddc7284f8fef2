#include "alarm_details_window.h"

#include "editor_widgets.h"
#include "engine.h"

#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

namespace vantor {

namespace {
constexpr int Rows = AlarmKindCount + 1;
constexpr int Columns = 6;
constexpr int ColumnWidths[Columns] = {100, 56, 95, 118, 59, 72};

// Draws every cell the window's way: state colours, grey disabled rows and a
// raised edge on the heading row and the name column.
class AlarmCellDelegate : public QStyledItemDelegate
{
public:
    explicit AlarmCellDelegate(const AlarmDetailsWindow *window) : m_window(window) {}

    void paint(QPainter *p, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        const int row = index.row();
        const int column = index.column();
        const QRect r = option.rect;
        p->save();
        p->fillRect(r, m_window->CellBackground(row, column));
        if (row == 0 || column == 0) {
            const QPalette &pal = option.palette;
            p->setPen(pal.color(QPalette::Light));
            p->drawLine(r.topLeft(), r.topRight());
            p->drawLine(r.topLeft(), r.bottomLeft());
            p->setPen(pal.color(QPalette::Shadow));
            p->drawLine(r.bottomLeft(), r.bottomRight());
            p->drawLine(r.topRight(), r.bottomRight());
        }
        p->setPen(m_window->CellTextColour(row, column));
        p->setClipRect(r);
        p->drawText(r.adjusted(2, 4, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                    m_window->CellText(row, column));
        p->restore();
    }

private:
    const AlarmDetailsWindow *m_window;
};

QString Joined(const QString &a, const QString &b, const QString &c, const QString &unit)
{
    return a + QStringLiteral("; ") + b + QStringLiteral("; ") + c + unit;
}
} // namespace

AlarmDetailsWindow::AlarmDetailsWindow(Engine &engine, QWidget *parent)
    : QWidget(parent), m_engine(engine), m_rowState(Rows, Quiet)
{
    setWindowTitle(QStringLiteral("Alarm Details"));
    setAccessibleName(windowTitle());
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_header = Named(new QLabel(this), QStringLiteral("Alarm set and station"));
    m_header->setFrameStyle(QFrame::Panel | QFrame::Raised);
    m_header->setMinimumHeight(22);
    layout->addWidget(m_header);

    m_grid = Named(new QTableWidget(Rows, Columns, this), QStringLiteral("Alarm Details"));
    m_grid->horizontalHeader()->hide();
    m_grid->verticalHeader()->hide();
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionMode(QAbstractItemView::NoSelection);
    m_grid->setShowGrid(true);
    m_grid->verticalHeader()->setDefaultSectionSize(20);
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    for (int c = 0; c < Columns; ++c)
        m_grid->setColumnWidth(c, ColumnWidths[c]);
    m_grid->setItemDelegate(new AlarmCellDelegate(this));
    layout->addWidget(m_grid);

    const QString headings[Columns] = {QStringLiteral("Alarm"),     QStringLiteral("Status"),
                                       QStringLiteral("Limit"),     QStringLiteral("Actual"),
                                       QStringLiteral("Countdown"), QStringLiteral("Last active")};
    for (int c = 0; c < Columns; ++c)
        SetCell(0, c, headings[c]);
    ClearGrid();
    // The given widths, or wider where this font needs it for the names,
    // the headings and a "Last active" date.
    SetCell(1, 5, QStringLiteral("12.31 23:59"));
    m_grid->resizeColumnsToContents();
    for (int c = 0; c < Columns; ++c)
        m_grid->setColumnWidth(c, std::max(ColumnWidths[c], m_grid->columnWidth(c) + 4));
    SetCell(1, 5, QString());

    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &AlarmDetailsWindow::Timer1Timer);
    m_timer.start();
    resize(m_grid->horizontalHeader()->length() + 4, 250);
}

void AlarmDetailsWindow::SetCell(int row, int column, const QString &text)
{
    vantor::SetCellText(m_grid, row, column, text);
}

QString AlarmDetailsWindow::CellText(int row, int column) const
{
    return vantor::CellText(m_grid, row, column);
}

QString AlarmDetailsWindow::Header() const
{
    return m_header->text();
}

void AlarmDetailsWindow::ClearGrid()
{
    m_header->clear();
    for (int row = 1; row < Rows; ++row) {
        for (int c = 1; c < Columns; ++c)
            SetCell(row, c, QString());
        m_rowState[row] = Quiet;
        SetCell(row, 0, AlarmKindNames[row - 1]);
    }
}

void AlarmDetailsWindow::Timer1Timer()
{
    const int device = m_engine.view().SelectedDevice();
    if (m_engine.InvalidDevice(device) || !m_engine.Devices[device].AlarmSetActive ||
        m_engine.InvalidStation(m_engine.Devices[device].StationIndex)) {
        ClearGrid();
        return;
    }
    const TDevice &d = m_engine.Devices[device];
    const TStation &station = m_engine.Stations[d.StationIndex];
    if (d.StationIndex != m_lastShownStation) {
        m_lastShownStation = d.StationIndex;
        ClearGrid();
    }
    const TAlarmSet &set = d.AlarmSet;
    m_header->setText(QStringLiteral("Alarm Set: ") + set.Name + QStringLiteral("     Station: ") +
                      station.Name);
    const TDateTime now = m_engine.clock().now();
    for (int kind = 0; kind < AlarmKindCount; ++kind) {
        const int row = kind + 1;
        m_rowState[row] = d.AlarmActive[kind] ? Active : Quiet;
        const TBasic &basic = set.Basic[kind];
        if (basic.Enabled) {
            SetCell(row, 1, QStringLiteral("Enabled"));
            if (d.AlarmStart[kind] > 0) {
                const qint64 left = basic.Duration - SecondsBetween(d.AlarmStart[kind], now);
                SetCell(row, 4, QString::number(std::max<qint64>(0, left)));
                if (m_rowState[row] == Quiet)
                    m_rowState[row] = Pending;
            } else {
                SetCell(row, 4, QString());
            }
            if (station.LastAlarmTime[kind] > 0)
                SetCell(row, 5,
                        FormatDateTime(QStringLiteral("mm.dd h:nn"), station.LastAlarmTime[kind]));
        } else {
            SetCell(row, 1, QStringLiteral("Disabled"));
        }
        SetCell(row, 0, AlarmKindNames[kind]);
    }
    auto last = [&](const char *name) {
        return m_engine.GetLastData(device, QString::fromLatin1(name));
    };
    const QString kHz = QStringLiteral(" kHz");
    const QString hz = QStringLiteral(" Hz");
    const QString range = QStringLiteral("..");
    QString overmodulation = Joined(last("MAX Hold"), last("Histogram Max at"), last("AVE"), {});
    overmodulation.remove(kHz);
    const QString limits[AlarmKindCount] = {
        QString::number(set.SD_Minimum) + kHz,
        station.PI,
        QString::number(set.TM_MaxError) + QStringLiteral(" s"),
        Joined(QString::number(set.OM_MaxHoldLimit), QString::number(set.OM_MaxAtLimit),
               QString::number(set.OM_AveLimit), kHz),
        QString::number(set.SQ_SignalQuality + 2),
        QString::number(set.PL_Minimum) + range + QString::number(set.PL_Maximum) + hz,
        QString::number(set.PM_Maximum) + QStringLiteral(" dBr"),
        QString::number(set.RF_Minimum) + QStringLiteral(" dBuV"),
        QString::number(set.RL_Minimum) + range + QString::number(set.RL_Maximum) + hz};
    const QString actual[AlarmKindCount] = {
        last("AVE"),   last("PI"), last("Time Error"), overmodulation + kHz, last("Signal Quality"),
        last("Pilot"), last("Pm"), last("Level"),      last("RDS")};
    for (int kind = 0; kind < AlarmKindCount; ++kind) {
        SetCell(kind + 1, 2, limits[kind]);
        SetCell(kind + 1, 3, actual[kind]);
    }
    m_grid->viewport()->update();
}

QColor AlarmDetailsWindow::CellBackground(int row, int column) const
{
    const int state = m_rowState[row];
    if (state == Pending && column == 3)
        return Qt::yellow;
    if (state == Active && column >= 1)
        return Qt::red;
    return palette().color(QPalette::Button);
}

QColor AlarmDetailsWindow::CellTextColour(int row, int) const
{
    const QString status = CellText(row, 1);
    if (status.isEmpty() || status == QLatin1String("Disabled"))
        return Qt::gray;
    return palette().color(QPalette::WindowText);
}

} // namespace vantor
