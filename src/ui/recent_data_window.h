// Recent Data (TForm3): the selected device's latest values (VLEA), eight bar
// meters refreshed in four phases, its deviation histogram and what it decodes
// of the station's RDS.
#pragma once

#include "histogram_chart.h"

#include <QHash>
#include <QTimer>
#include <QWidget>

#include <array>
#include <functional>

class QCheckBox;
class QTabWidget;
class QTableWidget;

namespace vantor {

class BarMeter;
class ChartBox;
class Engine;
class RdsPanel;

class RecentDataWindow : public QWidget
{
    Q_OBJECT

public:
    enum Page { ValuesPage = 0, BargraphsPage = 1, HistogramPage = 2, RdsPage = 3 };

    RecentDataWindow(Engine &engine, std::function<int()> selectedDevice,
                     QWidget *parent = nullptr);

    QTabWidget *pages() const { return m_pages; }
    QTableWidget *valueList() const { return m_values; }
    ChartBox *histogramBox() const { return m_histogram; }
    QCheckBox *accumulated() const { return m_accumulated; }
    RdsPanel *rdsPanel() const { return m_rds; }
    QTimer &barTimer() { return m_barTimer; }

    // The bar meters top to bottom: MAX, L, R, Pilot, RDS, Pm, Level, Quality.
    BarMeter *meter(int index) const { return m_meters[index]; }
    static constexpr int MeterCount = 8;

    // The value list: a row set (added when new; "Histogram Data" never
    // shows), a row read, all rows cleared.
    void AddToVLEA(const QString &name, const QString &value);
    QString value(const QString &name) const;
    void clearValues();

    // Every meter to its start, the refresh slowed until the page is seen.
    void ResetBars();
    void Timer1Timer();
    void repaintHistogram();

    HistogramOptions histogramOptions() const;
    // The histogram of the selected device at the drawing area's size.
    bool saveHistogram(const QString &fileName) const;

private:
    void drawHistogram(const ChartTarget &target);
    QWidget *createBargraphsPage();
    QWidget *createHistogramPage();

    Engine &m_engine;
    std::function<int()> m_selected;
    QTabWidget *m_pages;
    QTableWidget *m_values;
    QHash<QString, int> m_rows;
    std::array<BarMeter *, MeterCount> m_meters{};
    ChartBox *m_histogram = nullptr;
    QCheckBox *m_accumulated = nullptr;
    RdsPanel *m_rds;
    QTimer m_barTimer;
    int m_phase = 0;
};

} // namespace vantor
