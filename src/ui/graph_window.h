// Graph Window (TForm5): up to three values of the selected device against
// time, with the refresh rate, the x-axis span and the y range chosen here.
#pragma once

#include "graph_chart.h"

#include <QTimer>
#include <QWidget>

#include <array>
#include <functional>

class QComboBox;
class QRadioButton;
class QSpinBox;

namespace vantor {

class ChartBox;
class Engine;

class GraphWindow : public QWidget
{
    Q_OBJECT

public:
    GraphWindow(Engine &engine, std::function<int()> selectedDevice, QWidget *parent = nullptr);

    QComboBox *valueBox(int series) const { return m_values[series]; }
    QComboBox *rateBox() const { return m_rate; }
    QComboBox *xAxisBox() const { return m_xAxis; }
    QRadioButton *autoButton() const { return m_auto; }
    QRadioButton *manualButton() const { return m_manual; }
    QSpinBox *minimumBox() const { return m_min; }
    QSpinBox *maximumBox() const { return m_max; }
    ChartBox *plot() const { return m_plot; }
    QTimer &refreshTimer() { return m_timer; }
    qint32 repaintKey() const { return m_key; }

    // The choices as the plot draws them.
    GraphOptions options() const;
    // Takes the choices from the settings; every change is written back at once.
    void applySettings();

    void CBRATEChange();
    void Timer1Timer();
    void repaintPlot();
    // The plot of the selected device at the drawing area's size.
    bool saveGraph(const QString &fileName) const;

private:
    void drawPlot(const ChartTarget &target);

    Engine &m_engine;
    std::function<int()> m_selected;
    std::array<QComboBox *, 3> m_values{};
    QComboBox *m_rate;
    QComboBox *m_xAxis;
    QRadioButton *m_auto;
    QRadioButton *m_manual;
    QSpinBox *m_min;
    QSpinBox *m_max;
    ChartBox *m_plot;
    QTimer m_timer;
    qint32 m_key = -1;
};

} // namespace vantor
