#include "recent_activity_window.h"

#include "engine.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTextBlock>
#include <QVBoxLayout>

#include <algorithm>

namespace vantor {

namespace {

// The statistics grid draws its own cells: the heading row on the button
// face, the values on the window colour, each text 2 pixels in from the
// cell's corner.
class StatisticsCellDrawing : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        const QPalette &palette = option.palette;
        painter->save();
        painter->fillRect(option.rect, index.row() == 0 ? palette.button() : palette.base());
        painter->setClipRect(option.rect);
        painter->setPen(palette.color(QPalette::WindowText));
        const QRect text = option.rect.adjusted(2, 2, 0, 0);
        painter->drawText(text, Qt::AlignLeft | Qt::AlignTop, index.data().toString());
        painter->restore();
    }
};

constexpr int StatColumns = 8;

} // namespace

RecentActivityWindow::RecentActivityWindow(Engine &engine, QWidget *parent)
    : QWidget(parent), m_engine(engine), m_filter(new QComboBox), m_memo(new QPlainTextEdit),
      m_stats(new QTableWidget(2, StatColumns))
{
    setObjectName(QStringLiteral("TForm2"));
    setWindowTitle(QStringLiteral("Recent Activity"));
    setAccessibleName(windowTitle());

    auto *panel = new QWidget;
    panel->setObjectName(QStringLiteral("Panel1"));
    auto *panelLayout = new QHBoxLayout(panel);
    panelLayout->setContentsMargins(4, 2, 4, 2);
    auto *caption = new QLabel(QStringLiteral("Filter:"));
    caption->setBuddy(m_filter);
    panelLayout->addWidget(caption);
    m_filter->setObjectName(QStringLiteral("CBFIL"));
    m_filter->setAccessibleName(QStringLiteral("Filter:"));
    m_filter->setFixedWidth(217);
    m_filter->addItem(QStringLiteral("Application"));
    panelLayout->addWidget(m_filter);
    panelLayout->addStretch();

    m_memo->setObjectName(QStringLiteral("Memo1"));
    m_memo->setAccessibleName(QStringLiteral("Memo1"));
    m_memo->setReadOnly(true);
    m_memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette memoColours = m_memo->palette();
    memoColours.setColor(QPalette::Base, memoColours.color(QPalette::Button));
    m_memo->setPalette(memoColours);

    auto *group = new QGroupBox(QStringLiteral("Statistics"));
    group->setObjectName(QStringLiteral("GroupBox1"));
    group->setAccessibleName(group->title());
    // The sizes are for the usual font, the least the row gets; a larger font
    // grows the row and its cells to fit their texts.
    const QFontMetrics metrics(m_stats->font());
    const int rowHeight = std::max(17, metrics.height() + 2);
    const int cellWidth =
        std::max({100, metrics.horizontalAdvance(QStringLiteral("Bytes received")) + 10,
                  metrics.horizontalAdvance(QStringLiteral("000 days, 00:00:00")) + 10});
    group->setFixedHeight(56 + 2 * (rowHeight - 17) + std::max(0, metrics.height() - 13));
    auto *groupLayout = new QVBoxLayout(group);
    groupLayout->setContentsMargins(2, 0, 2, 0);
    m_stats->setObjectName(QStringLiteral("SGSTAT"));
    m_stats->setAccessibleName(QStringLiteral("Statistics"));
    m_stats->horizontalHeader()->hide();
    m_stats->verticalHeader()->hide();
    m_stats->horizontalHeader()->setDefaultSectionSize(cellWidth);
    m_stats->verticalHeader()->setDefaultSectionSize(rowHeight);
    m_stats->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_stats->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_stats->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_stats->setSelectionMode(QAbstractItemView::NoSelection);
    m_stats->setFocusPolicy(Qt::NoFocus);
    m_stats->setShowGrid(true);
    m_stats->setFrameShape(QFrame::NoFrame);
    m_stats->setFixedHeight(2 * rowHeight + 1);
    m_stats->setItemDelegate(new StatisticsCellDrawing(m_stats));
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < StatColumns; ++column)
            m_stats->setItem(row, column, new QTableWidgetItem);
    }
    const char *headings[] = {"Bytes sent", "Bytes received", "Uptime"};
    for (int column = 0; column < 3; ++column)
        m_stats->item(0, column)->setText(QLatin1String(headings[column]));
    groupLayout->addWidget(m_stats);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(panel);
    layout->addWidget(m_memo, 1);
    layout->addWidget(group);

    connect(m_filter, &QComboBox::activated, this, [this] { CBFILChange(); });
}

int RecentActivityWindow::filterIndex() const
{
    return m_filter->currentIndex();
}

QString RecentActivityWindow::filterText() const
{
    return m_filter->currentText();
}

void RecentActivityWindow::setFilterIndex(int index)
{
    m_filter->setCurrentIndex(index);
    CBFILChange();
}

void RecentActivityWindow::addDevice(const QString &name)
{
    m_filter->addItem(name);
}

void RecentActivityWindow::appendLine(const QString &line)
{
    m_memo->appendPlainText(line);
    QTextDocument *document = m_memo->document();
    if (document->blockCount() - 1 > ActivityLineLimit) {
        QTextCursor cursor(document);
        cursor.movePosition(QTextCursor::Start);
        cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor,
                            document->blockCount() - ActivityLineLimit);
        cursor.removeSelectedText();
    }
    scrollToEnd();
}

void RecentActivityWindow::CBFILChange()
{
    const int index = m_filter->currentIndex();
    if (index == 0) {
        m_memo->setPlainText(m_engine.Globals().AppActivityLines.join(QLatin1Char('\n')));
    } else {
        // The later of two devices with the same name wins; no match keeps the lines.
        const TDevice *shown = nullptr;
        for (const TDevice &d : m_engine.DeviceTable()) {
            if (d.Name == m_filter->currentText())
                shown = &d;
        }
        if (shown == nullptr)
            return;
        m_memo->setPlainText(shown->ActivityLines ? shown->ActivityLines->join(QLatin1Char('\n'))
                                                  : QString());
    }
    scrollToEnd();
}

void RecentActivityWindow::setStatistic(int column, const QString &text)
{
    QTableWidgetItem *cell = m_stats->item(1, column);
    if (cell->text() != text)
        cell->setText(text);
}

void RecentActivityWindow::scrollToEnd()
{
    // At the start of the last line: a line wider than the memo shows its
    // date and source rather than its end.
    m_memo->moveCursor(QTextCursor::End);
    m_memo->moveCursor(QTextCursor::StartOfBlock);
    m_memo->verticalScrollBar()->setValue(m_memo->verticalScrollBar()->maximum());
}

} // namespace vantor
