#include "alarm_details_window.h"

#include "alarm_state.h"
#include "engine.h"
#include "rds_alarm_texts.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace vantor {

namespace {

// Each cell drawn by the window: button face, yellow for the actual value of
// a pending alarm, red across an active one; grey text for a disabled kind;
// raised edges on the headings and names.
class AlarmCellDrawing : public QStyledItemDelegate
{
public:
    explicit AlarmCellDrawing(const AlarmDetailsWindow *window)
        : QStyledItemDelegate(window->grid()), m_window(window)
    {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        const QPalette &palette = option.palette;
        const int row = index.row();
        const int column = index.column();
        const int state = m_window->rowState(row);
        QColor background = palette.color(QPalette::Button);
        if (state == AlarmDetailsWindow::Pending && column == 3)
            background = QColor(AlarmPendingColour);
        else if (state == AlarmDetailsWindow::Active && column >= 1)
            background = QColor(AlarmActiveColour);
        painter->save();
        painter->fillRect(option.rect, background);
        const QString status = m_window->cell(row, 1);
        const bool grey = row > 0 && (status.isEmpty() || status == QLatin1String("Disabled"));
        painter->setPen(grey ? palette.color(QPalette::Disabled, QPalette::WindowText)
                             : palette.color(QPalette::WindowText));
        painter->setClipRect(option.rect);
        painter->drawText(option.rect.adjusted(2, 4, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                          index.data().toString());
        if (row == 0 || column == 0) {
            const QRect r = option.rect.adjusted(0, 0, -1, -1);
            painter->setPen(palette.color(QPalette::Light));
            painter->drawLine(r.topLeft(), r.topRight());
            painter->drawLine(r.topLeft(), r.bottomLeft());
            painter->setPen(palette.color(QPalette::Dark));
            painter->drawLine(r.bottomLeft(), r.bottomRight());
            painter->drawLine(r.topRight(), r.bottomRight());
        }
        painter->restore();
    }

private:
    const AlarmDetailsWindow *m_window;
};

// Room beside a cell's text: the 2 pixels it is drawn in from the left and
// the raised edges.
constexpr int CellTextMargin = 8;

QString Joined(std::initializer_list<int> values, const QString &separator)
{
    QStringList texts;
    for (const int v : values)
        texts << QString::number(v);
    return texts.join(separator);
}

} // namespace

AlarmDetailsWindow::AlarmDetailsWindow(Engine &engine, std::function<int()> selectedDevice,
                                       QWidget *parent)
    : QWidget(parent), m_engine(engine), m_selected(std::move(selectedDevice)),
      m_header(new QLabel), m_grid(new QTableWidget(Rows, Columns))
{
    setObjectName(QStringLiteral("TForm4"));
    setWindowTitle(QStringLiteral("Alarm Details"));
    setAccessibleName(windowTitle());

    m_header->setObjectName(QStringLiteral("Panel1"));
    m_header->setAccessibleName(QStringLiteral("Panel1"));
    m_header->setContentsMargins(4, 2, 4, 2);
    m_grid->setObjectName(QStringLiteral("SGA"));
    m_grid->setAccessibleName(QStringLiteral("Alarm Details"));
    m_grid->horizontalHeader()->hide();
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setDefaultSectionSize(20);
    // The given widths, or wider where this font needs it for the kind names,
    // the headings and the longest texts a column shows.
    const int widths[Columns] = {100, 56, 95, 118, 59, 72};
    QString longest[Columns] = {
        QStringLiteral("Alarm"),         QStringLiteral("Disabled"),
        QStringLiteral("5800..7700 Hz"), QStringLiteral("100.0; 100.0; 100.0 kHz"),
        QStringLiteral("Countdown"),     QStringLiteral("Last active")};
    const QFontMetrics metrics = m_grid->fontMetrics();
    for (const QString &name : AlarmKindNames) {
        if (metrics.horizontalAdvance(name) > metrics.horizontalAdvance(longest[0]))
            longest[0] = name;
    }
    for (int c = 0; c < Columns; ++c)
        m_grid->setColumnWidth(
            c, std::max(widths[c], metrics.horizontalAdvance(longest[c]) + CellTextMargin));
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionMode(QAbstractItemView::NoSelection);
    m_grid->setCornerButtonEnabled(false);
    for (int r = 0; r < Rows; ++r) {
        for (int c = 0; c < Columns; ++c)
            m_grid->setItem(r, c, new QTableWidgetItem);
    }
    const char *headings[Columns] = {"Alarm",  "Status",    "Limit",
                                     "Actual", "Countdown", "Last active"};
    for (int c = 0; c < Columns; ++c)
        m_grid->item(0, c)->setText(QLatin1String(headings[c]));
    m_grid->setItemDelegate(new AlarmCellDrawing(this));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_header);
    layout->addWidget(m_grid, 1);

    ClearGrid();
    // However small the window, the kinds, their status and their limits
    // stay in view.
    m_grid->setMinimumWidth(
        m_grid->columnWidth(0) + m_grid->columnWidth(1) + m_grid->columnWidth(2) +
        m_grid->verticalScrollBar()->sizeHint().width() + 2 * m_grid->frameWidth());
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &AlarmDetailsWindow::Timer1Timer);
    m_timer.start();
}

QSize AlarmDetailsWindow::sizeHint() const
{
    const int frame = 2 * m_grid->frameWidth();
    const QSize grid(m_grid->horizontalHeader()->length() + frame +
                         m_grid->verticalScrollBar()->sizeHint().width(),
                     m_grid->verticalHeader()->length() + frame);
    return QSize(std::max(grid.width(), m_header->sizeHint().width()),
                 m_header->sizeHint().height() + grid.height());
}

QString AlarmDetailsWindow::cell(int row, int column) const
{
    return m_grid->item(row, column)->text();
}

void AlarmDetailsWindow::setCell(int row, int column, const QString &text)
{
    QTableWidgetItem *item = m_grid->item(row, column);
    if (item->text() == text)
        return;
    item->setText(text);
    // A text longer than its column foresaw (a long list of group types, a
    // larger font) widens the column rather than being cut.
    const int needed = m_grid->fontMetrics().horizontalAdvance(text) + CellTextMargin;
    if (m_grid->columnWidth(column) < needed)
        m_grid->setColumnWidth(column, needed);
}

void AlarmDetailsWindow::ClearGrid()
{
    m_header->clear();
    for (int row = 1; row < Rows; ++row) {
        for (int column = 1; column < Columns; ++column)
            setCell(row, column, QString());
        m_rowState[row] = Quiet;
        setCell(row, 0, AlarmKindNames[row - 1]);
    }
    m_grid->viewport()->update();
}

void AlarmDetailsWindow::Timer1Timer()
{
    const int device = m_selected();
    if (m_engine.InvalidDevice(device) || !m_engine.DeviceTable()[device].AlarmSetActive ||
        m_engine.InvalidStation(m_engine.DeviceTable()[device].StationIndex)) {
        ClearGrid();
        return;
    }
    const TDevice &d = m_engine.DeviceTable()[device];
    if (d.StationIndex != m_lastShownStation) {
        m_lastShownStation = d.StationIndex;
        ClearGrid();
    }
    const TStation &station = m_engine.StationTable()[d.StationIndex];
    const TAlarmSet &set = d.AlarmSet;
    m_header->setText(QStringLiteral("Alarm Set: ") + set.Name + QStringLiteral("     Station: ") +
                      d.Station.Name);
    const TDateTime now = m_engine.clock().now();
    const std::array<int, Rows> shownStates = m_rowState;
    for (int kind = 0; kind < AlarmKindCount; ++kind) {
        const int row = kind + 1;
        m_rowState[row] = d.AlarmActive[kind] ? Active : Quiet;
        if (set.Basic[kind].Enabled) {
            setCell(row, 1, QStringLiteral("Enabled"));
            if (d.AlarmStart[kind] > 0) {
                const qint64 left =
                    set.Basic[kind].Duration - SecondsBetween(d.AlarmStart[kind], now);
                setCell(row, 4, QString::number(std::max<qint64>(left, 0)));
                if (m_rowState[row] == Quiet)
                    m_rowState[row] = Pending;
            } else {
                setCell(row, 4, QString());
            }
            if (station.LastAlarmTime[kind] > 0)
                setCell(row, 5,
                        FormatDateTime(QStringLiteral("mm.dd h:nn"), station.LastAlarmTime[kind]));
        } else {
            setCell(row, 1, QStringLiteral("Disabled"));
        }
        setCell(row, 0, AlarmKindNames[kind]);
    }
    const auto actual = [&](const char *name) {
        return m_engine.GetLastData(device, QLatin1String(name));
    };
    const QString kHz = QStringLiteral(" kHz");
    QString overmodulation =
        QStringList{actual("MAX Hold"), actual("Histogram Max at"), actual("AVE")}.join(
            QStringLiteral("; "));
    overmodulation.remove(kHz);
    const QString rows[AlarmRdsLevel + 1][2] = {
        {QString::number(set.SD_Minimum) + kHz, actual("AVE")},
        {station.PI, actual("PI")},
        {QString::number(set.TM_MaxError) + QStringLiteral(" s"), actual("Time Error")},
        {Joined({set.OM_MaxHoldLimit, set.OM_MaxAtLimit, set.OM_AveLimit}, QStringLiteral("; ")) +
             kHz,
         overmodulation + kHz},
        {QString::number(set.SQ_SignalQuality + 2), actual("Signal Quality")},
        {Joined({set.PL_Minimum, set.PL_Maximum}, QStringLiteral("..")) + QStringLiteral(" Hz"),
         actual("Pilot")},
        {QString::number(set.PM_Maximum) + QStringLiteral(" dBr"), actual("Pm")},
        {QString::number(set.RF_Minimum) + QStringLiteral(" dBuV"), actual("Level")},
        {Joined({set.RL_Minimum, set.RL_Maximum}, QStringLiteral("..")) + QStringLiteral(" Hz"),
         actual("RDS")},
    };
    for (int kind = 0; kind <= AlarmRdsLevel; ++kind) {
        setCell(kind + 1, 2, rows[kind][0]);
        setCell(kind + 1, 3, rows[kind][1]);
    }
    for (int kind = AlarmRdsLevel + 1; kind < AlarmKindCount; ++kind) {
        setCell(kind + 1, 2, RdsAlarmLimit(set, station, kind));
        setCell(kind + 1, 3, RdsAlarmReading(d, kind, now));
    }
    // Cell texts repaint themselves; colours only follow a changed row state.
    if (m_rowState != shownStates)
        m_grid->viewport()->update();
}

} // namespace vantor
