#include "recent_data_window.h"

#include "bar_meter.h"
#include "chart_box.h"
#include "engine.h"
#include "picture_saves.h"
#include "rds_panel.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace vantor {

namespace {

// A page whose contents scroll in a window smaller than they are, rather than
// holding the whole window at their size.
QScrollArea *ScrollingPage(QWidget *contents, const QString &name)
{
    auto *page = new QScrollArea;
    page->setAccessibleName(name);
    page->setFrameShape(QFrame::NoFrame);
    page->setWidgetResizable(true);
    page->setWidget(contents);
    return page;
}

struct MeterLayout {
    const char *name;
    const char *caption;
    const char *unit;
    int minimum;
    int maximum;
    const char *column; // the measurement column shown
    int scale;
    bool tickTexts;
};

// In page order; the tick texts of the scaled meters are divided back.
constexpr MeterLayout Meters[RecentDataWindow::MeterCount] = {
    {"ATBMAX", "MAX", "kHz", 0, 150, "MAX", 1, true},
    {"ATBL", "L", "", 0, 150, "LeftPeak", 1, false},
    {"ATBR", "R", "", 0, 150, "RightPeak", 1, false},
    {"ATBPIL", "Pilot", "kHz", 0, 150, "Pilot", 10, true},
    {"ATBRDS", "RDS", "", 0, 150, "RDS", 10, false},
    {"ATBPM", "Pm", "dBr", -120, 120, "Pm", 10, true},
    {"ATBLEV", "Level", "dBuV", 0, 90, "Level", 1, true},
    {"ATBQ", "Quality", "", 0, 5, "Signal Quality", 1, true},
};

// Meters refreshed in each quarter second, by their place in Meters.
const std::vector<int> Phases[4] = {{0}, {3, 4, 6}, {1, 2}, {5, 7}};

constexpr int SlowBarInterval = 4000;
constexpr int BarInterval = 250;

} // namespace

RecentDataWindow::RecentDataWindow(Engine &engine, std::function<int()> selectedDevice,
                                   QWidget *parent)
    : QWidget(parent), m_engine(engine), m_selected(std::move(selectedDevice)),
      m_pages(new QTabWidget), m_values(new QTableWidget(0, 2)),
      m_rds(new RdsPanel(engine, m_selected))
{
    setObjectName(QStringLiteral("TForm3"));
    setWindowTitle(QStringLiteral("Recent Data"));
    setAccessibleName(windowTitle());

    m_pages->setObjectName(QStringLiteral("PCRD"));
    m_pages->setAccessibleName(QStringLiteral("PCRD"));
    m_values->setObjectName(QStringLiteral("VLEA"));
    m_values->setAccessibleName(QStringLiteral("VLEA"));
    m_values->setHorizontalHeaderLabels({QStringLiteral("Key"), QStringLiteral("Value")});
    m_values->verticalHeader()->hide();
    // At least the usual width, more when the font needs it for the longest key.
    const QFontMetrics metrics(m_values->font());
    m_values->setColumnWidth(
        0,
        std::max(150, metrics.horizontalAdvance(QStringLiteral("Measuring Mode countdown")) + 12));
    m_values->setColumnWidth(1, 474);
    m_values->horizontalHeader()->setStretchLastSection(true);
    m_values->verticalHeader()->setDefaultSectionSize(std::max(18, metrics.height() + 4));
    m_values->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_values->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pages->addTab(m_values, QStringLiteral("Values"));
    m_pages->addTab(createBargraphsPage(), QStringLiteral("Bargraphs"));
    m_pages->addTab(createHistogramPage(), QStringLiteral("Histogram"));
    m_pages->addTab(ScrollingPage(m_rds, QStringLiteral("RDS")), QStringLiteral("RDS"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pages);

    m_barTimer.setInterval(SlowBarInterval);
    connect(&m_barTimer, &QTimer::timeout, this, &RecentDataWindow::Timer1Timer);
    m_barTimer.start();
}

QWidget *RecentDataWindow::createBargraphsPage()
{
    auto *panel2 = new QWidget;
    panel2->setObjectName(QStringLiteral("Panel2"));
    panel2->setAutoFillBackground(true);
    QPalette black = panel2->palette();
    black.setColor(QPalette::Window, Qt::black);
    black.setColor(QPalette::WindowText, Qt::white);
    panel2->setPalette(black);

    // Panel3 keeps its size and stays centred as the page is resized.
    auto *panel3 = new QWidget;
    panel3->setObjectName(QStringLiteral("Panel3"));
    panel3->setFixedSize(545, 281);
    auto *grid = new QGridLayout(panel3);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setVerticalSpacing(2);
    QFont bold = font();
    bold.setBold(true);
    for (int k = 0; k < MeterCount; ++k) {
        const MeterLayout &entry = Meters[k];
        auto *caption = new QLabel(QLatin1String(entry.caption));
        caption->setFont(bold);
        caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto *meter = new BarMeter(entry.minimum, entry.maximum);
        meter->setObjectName(QLatin1String(entry.name));
        meter->setAccessibleName(QLatin1String(entry.caption));
        meter->setTickTexts(entry.tickTexts, entry.scale);
        meter->setEnabled(k != MeterCount - 1); // Quality takes no input at all
        caption->setBuddy(meter);
        auto *unit = new QLabel(QLatin1String(entry.unit));
        grid->addWidget(caption, k, 0);
        grid->addWidget(meter, k, 1);
        grid->addWidget(unit, k, 2);
        m_meters[k] = meter;
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnMinimumWidth(0, 60);
    grid->setColumnMinimumWidth(2, 40);

    auto *outer = new QGridLayout(panel2);
    outer->addWidget(panel3, 0, 0, Qt::AlignCenter);
    return ScrollingPage(panel2, QStringLiteral("Bargraphs"));
}

QWidget *RecentDataWindow::createHistogramPage()
{
    auto *page = new QWidget;
    m_histogram = new ChartBox([this](const ChartTarget &target) { drawHistogram(target); });
    m_histogram->setObjectName(QStringLiteral("PaintBox1"));
    m_histogram->setAccessibleName(QStringLiteral("Histogram"));
    auto *options = new QGroupBox(QStringLiteral("Histogram Options"));
    options->setAccessibleName(options->title());
    m_accumulated = new QCheckBox(QStringLiteral("Accumulated"));
    m_accumulated->setObjectName(QStringLiteral("CBACC"));
    m_accumulated->setAccessibleName(m_accumulated->text());
    m_accumulated->setChecked(m_engine.Prefs().Flag(QStringLiteral("Accumulated")));
    auto *optionsLayout = new QVBoxLayout(options);
    optionsLayout->addWidget(m_accumulated);
    optionsLayout->addStretch();
    auto *layout = new QHBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(m_histogram, 1);
    layout->addWidget(options);
    // The setting is what the end-of-measuring pictures draw with as well.
    connect(m_accumulated, &QCheckBox::toggled, this, [this](bool on) {
        m_engine.Prefs().SetFlag(QStringLiteral("Accumulated"), on);
        m_histogram->update();
    });
    return page;
}

void RecentDataWindow::AddToVLEA(const QString &name, const QString &value)
{
    if (name == QLatin1String("Histogram Data"))
        return;
    const auto row = m_rows.constFind(name);
    if (row != m_rows.constEnd()) {
        QTableWidgetItem *cell = m_values->item(*row, 1);
        if (cell->text() != value)
            cell->setText(value);
        return;
    }
    const int at = m_values->rowCount();
    m_values->insertRow(at);
    m_values->setItem(at, 0, new QTableWidgetItem(name));
    m_values->setItem(at, 1, new QTableWidgetItem(value));
    m_rows.insert(name, at);
}

QString RecentDataWindow::value(const QString &name) const
{
    const auto row = m_rows.constFind(name);
    return row == m_rows.constEnd() ? QString() : m_values->item(*row, 1)->text();
}

void RecentDataWindow::clearValues()
{
    m_values->setRowCount(0);
    m_rows.clear();
}

void RecentDataWindow::ResetBars()
{
    m_barTimer.setInterval(SlowBarInterval);
    for (BarMeter *meter : m_meters)
        meter->setPosition(meter->minimum());
}

void RecentDataWindow::Timer1Timer()
{
    if (m_pages->currentIndex() != BargraphsPage)
        return;
    m_barTimer.setInterval(BarInterval);
    const int device = m_selected();
    if (m_engine.InvalidDevice(device))
        return;
    if (++m_phase > 3)
        m_phase = 0;
    const TDevice &d = m_engine.DeviceTable()[device];
    for (const int k : Phases[m_phase]) {
        const int column = GetTableColumn(QLatin1String(Meters[k].column));
        m_meters[k]->setValue(double(d.ColumnValue[column]) * Meters[k].scale);
    }
}

void RecentDataWindow::repaintHistogram()
{
    m_histogram->update();
}

HistogramOptions RecentDataWindow::histogramOptions() const
{
    HistogramOptions options;
    options.deviationLimit = m_engine.Prefs().Integer(QStringLiteral("DeviationLimit"));
    options.deviationTolerance = m_engine.Prefs().Integer(QStringLiteral("DeviationTolerance"));
    options.accumulated = m_accumulated->isChecked();
    return options;
}

void RecentDataWindow::drawHistogram(const ChartTarget &target)
{
    const int device = m_selected();
    if (m_engine.InvalidDevice(device)) {
        QPainter(target.device)
            .fillRect(0, 0, target.canvasWidth(), target.canvasHeight(), QColor(243, 243, 243));
        return;
    }
    DrawHistogram(target, m_engine.DeviceTable()[device], histogramOptions());
}

bool RecentDataWindow::saveHistogram(const QString &fileName) const
{
    const int device = m_selected();
    if (m_engine.InvalidDevice(device))
        return false;
    return SaveHistogramPicture(fileName, m_engine.DeviceTable()[device], histogramOptions(),
                                m_histogram->width(), m_histogram->height());
}

} // namespace vantor
