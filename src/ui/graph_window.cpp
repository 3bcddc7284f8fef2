#include "graph_window.h"

#include "chart_box.h"
#include "engine.h"
#include "graph_columns.h"
#include "picture_saves.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace vantor {

namespace {

const char *const Rates[] = {"1 second",   "2 seconds", "5 seconds", "10 seconds",
                             "30 seconds", "1 minute",  "2 minutes", "5 minutes"};
constexpr int RateIntervals[] = {1000, 2000, 5000, 10000, 30000, 60000, 120000, 300000};
constexpr int DefaultInterval = 5000;
const char *const Spans[] = {"Last 60 seconds", "Last 5 minutes", "Last 15 minutes", "Last 1 hour",
                             "Entire file"};

// A manual bound: -20 ... 500, three characters; a box left empty reads 0.
class BoundBox : public QSpinBox
{
public:
    BoundBox()
    {
        setRange(-20, 500);
        lineEdit()->setMaxLength(3);
    }

protected:
    void fixup(QString &input) const override
    {
        if (input.trimmed().isEmpty())
            input = QStringLiteral("0");
    }
};

QLabel *BoldCaption(const QString &text, const QColor &colour)
{
    auto *label = new QLabel(text);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    return label;
}

} // namespace

GraphWindow::GraphWindow(Engine &engine, std::function<int()> selectedDevice, QWidget *parent)
    : QWidget(parent), m_engine(engine), m_selected(std::move(selectedDevice)),
      m_rate(new QComboBox), m_xAxis(new QComboBox),
      m_auto(new QRadioButton(QStringLiteral("Auto"))),
      m_manual(new QRadioButton(QStringLiteral("Manual:"))), m_min(new BoundBox),
      m_max(new BoundBox),
      m_plot(new ChartBox([this](const ChartTarget &target) { drawPlot(target); }))
{
    setObjectName(QStringLiteral("TForm5"));
    setWindowTitle(QStringLiteral("Graph Window"));
    setAccessibleName(windowTitle());

    m_plot->setObjectName(QStringLiteral("PaintBox1"));
    m_plot->setAccessibleName(QStringLiteral("Graph"));
    m_plot->setMinimumSize(200, 150);

    auto *options = new QGroupBox(QStringLiteral("Graph Options"));
    options->setAccessibleName(options->title());
    auto *column = new QVBoxLayout(options);
    column->setSpacing(2);
    column->setContentsMargins(6, 4, 6, 4);
    const QColor colours[3] = {QColor(0, 0, 255), QColor(255, 0, 0), QColor(0, 128, 0)};
    QStringList names{QStringLiteral("(none)")};
    for (int c = 0; c < NamedColumnCount; ++c)
        names << MeasurementColumns[c];
    for (int k = 0; k < 3; ++k) {
        const QString caption = QStringLiteral("Value %1").arg(k + 1);
        auto *label = BoldCaption(caption, colours[k]);
        auto *box = new QComboBox;
        box->setObjectName(QStringLiteral("CBVAL%1").arg(k + 1));
        box->setAccessibleName(caption);
        box->addItems(names);
        label->setBuddy(box);
        column->addWidget(label);
        column->addWidget(box);
        m_values[k] = box;
    }
    auto *rateLabel = new QLabel(QStringLiteral("Refresh rate"));
    m_rate->setObjectName(QStringLiteral("CBRATE"));
    m_rate->setAccessibleName(rateLabel->text());
    for (const char *rate : Rates)
        m_rate->addItem(QLatin1String(rate));
    rateLabel->setBuddy(m_rate);
    auto *spanLabel = new QLabel(QStringLiteral("X axis"));
    m_xAxis->setObjectName(QStringLiteral("CBX"));
    m_xAxis->setAccessibleName(spanLabel->text());
    for (const char *span : Spans)
        m_xAxis->addItem(QLatin1String(span));
    spanLabel->setBuddy(m_xAxis);
    column->addWidget(rateLabel);
    column->addWidget(m_rate);
    column->addWidget(spanLabel);
    column->addWidget(m_xAxis);

    auto *yAxis = new QGroupBox(QStringLiteral("Y axis"));
    yAxis->setAccessibleName(yAxis->title());
    m_auto->setObjectName(QStringLiteral("RBAUT"));
    m_auto->setAccessibleName(m_auto->text());
    m_manual->setObjectName(QStringLiteral("RBMAN"));
    m_manual->setAccessibleName(m_manual->text());
    m_min->setObjectName(QStringLiteral("SEMIN"));
    m_min->setAccessibleName(QStringLiteral("SEMIN"));
    m_max->setObjectName(QStringLiteral("SEMAX"));
    m_max->setAccessibleName(QStringLiteral("SEMAX"));
    // The text fields inside carry the boxes' names for screen readers.
    for (QSpinBox *box : {m_min, m_max})
        box->findChild<QLineEdit *>()->setAccessibleName(box->accessibleName());
    auto *yLayout = new QVBoxLayout(yAxis);
    yLayout->setSpacing(2);
    yLayout->setContentsMargins(6, 2, 6, 4);
    yLayout->addWidget(m_auto);
    yLayout->addWidget(m_manual);
    auto *range = new QHBoxLayout;
    range->addWidget(m_min);
    range->addWidget(new QLabel(QStringLiteral("to")));
    range->addWidget(m_max);
    yLayout->addLayout(range);
    column->addWidget(yAxis);
    column->addStretch();

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(m_plot, 1);
    layout->addWidget(options);

    applySettings();

    Preferences &prefs = m_engine.Prefs();
    for (int k = 0; k < 3; ++k) {
        connect(m_values[k], &QComboBox::currentIndexChanged, this, [this, k, &prefs](int index) {
            prefs.SetInteger(QStringLiteral("GraphValue%1").arg(k + 1), index);
            repaintPlot();
        });
    }
    connect(m_rate, &QComboBox::currentIndexChanged, this, [this, &prefs](int index) {
        prefs.SetInteger(QStringLiteral("GraphRate"), index);
        CBRATEChange();
    });
    connect(m_xAxis, &QComboBox::currentIndexChanged, this, [this, &prefs](int index) {
        prefs.SetInteger(QStringLiteral("GraphXAxis"), index);
        repaintPlot();
    });
    connect(m_auto, &QRadioButton::toggled, this, [this, &prefs](bool on) {
        prefs.SetFlag(QStringLiteral("GraphAuto"), on);
        prefs.SetFlag(QStringLiteral("GraphManual"), !on);
        repaintPlot();
    });
    // A changed bound shows at the next repaint, not at once.
    connect(m_min, &QSpinBox::valueChanged, this, [this, &prefs](int value) {
        if (m_max->value() < value)
            m_min->setValue(m_max->value());
        prefs.SetInteger(QStringLiteral("GraphYMin"), m_min->value());
    });
    connect(m_max, &QSpinBox::valueChanged, this, [this, &prefs](int value) {
        if (value < m_min->value())
            m_max->setValue(m_min->value());
        prefs.SetInteger(QStringLiteral("GraphYMax"), m_max->value());
    });
    connect(&m_timer, &QTimer::timeout, this, &GraphWindow::Timer1Timer);
    CBRATEChange();
    m_timer.start();
}

void GraphWindow::applySettings()
{
    const Preferences &prefs = m_engine.Prefs();
    for (int k = 0; k < 3; ++k)
        m_values[k]->setCurrentIndex(prefs.Integer(QStringLiteral("GraphValue%1").arg(k + 1)));
    m_rate->setCurrentIndex(prefs.Integer(QStringLiteral("GraphRate")));
    m_xAxis->setCurrentIndex(prefs.Integer(QStringLiteral("GraphXAxis")));
    m_auto->setChecked(prefs.Flag(QStringLiteral("GraphAuto")));
    m_manual->setChecked(!prefs.Flag(QStringLiteral("GraphAuto")));
    // Maximum first: the minimum is held at or below it.
    m_max->setValue(prefs.Integer(QStringLiteral("GraphYMax")));
    m_min->setValue(prefs.Integer(QStringLiteral("GraphYMin")));
}

GraphOptions GraphWindow::options() const
{
    GraphOptions options;
    for (int k = 0; k < 3; ++k)
        options.values[k] = m_values[k]->currentIndex() - 1;
    options.xAxis = m_xAxis->currentIndex();
    options.autoY = m_auto->isChecked();
    options.manualMin = m_min->value();
    options.manualMax = m_max->value();
    options.now = m_engine.clock().now();
    return options;
}

void GraphWindow::CBRATEChange()
{
    const int index = m_rate->currentIndex();
    m_timer.setInterval(index >= 0 && index < int(std::size(RateIntervals)) ? RateIntervals[index]
                                                                            : DefaultInterval);
}

void GraphWindow::Timer1Timer()
{
    const int device = m_selected();
    if (m_engine.InvalidDevice(device))
        return;
    // The key changes when samples arrive or another device is shown.
    const auto key =
        static_cast<qint32>(static_cast<quint32>(m_engine.DeviceTable()[device].HistoryCount) *
                            static_cast<quint32>(device + 2));
    if (key == m_key)
        return;
    m_key = key;
    repaintPlot();
}

void GraphWindow::repaintPlot()
{
    m_plot->update();
}

void GraphWindow::drawPlot(const ChartTarget &target)
{
    const int device = m_selected();
    if (m_engine.InvalidDevice(device) || m_engine.DeviceTable()[device].HistoryCount < 1) {
        QPainter(target.device)
            .fillRect(0, 0, target.canvasWidth(), target.canvasHeight(), Qt::white);
        return;
    }
    DrawGraph(target, m_engine.DeviceTable()[device], options());
}

bool GraphWindow::saveGraph(const QString &fileName) const
{
    const int device = m_selected();
    if (m_engine.InvalidDevice(device))
        return false;
    return SaveGraphPicture(fileName, m_engine.DeviceTable()[device], options(), m_plot->width(),
                            m_plot->height());
}

} // namespace vantor
