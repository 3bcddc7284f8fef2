// Recent Activity (TForm2): the latest activity lines of the application or
// of one device, and the traffic and uptime statistics.
#pragma once

#include <QWidget>

class QComboBox;
class QPlainTextEdit;
class QTableWidget;

namespace vantor {

class Engine;

class RecentActivityWindow : public QWidget
{
    Q_OBJECT

public:
    explicit RecentActivityWindow(Engine &engine, QWidget *parent = nullptr);

    // The filter box CBFIL: "Application", then the devices as they register.
    QComboBox *filterBox() const { return m_filter; }
    QPlainTextEdit *memo() const { return m_memo; }
    QTableWidget *statistics() const { return m_stats; }

    int filterIndex() const;
    QString filterText() const;
    // Moves the filter and shows that source.
    void setFilterIndex(int index);
    void addDevice(const QString &name);

    // A line of the source shown; the memo keeps 50 or 51 lines.
    void appendLine(const QString &line);
    // Shows the source chosen in the filter (CBFILChange).
    void CBFILChange();

    // Writes a statistics cell of row 1 when its text differs.
    void setStatistic(int column, const QString &text);

private:
    void scrollToEnd();

    Engine &m_engine;
    QComboBox *m_filter;
    QPlainTextEdit *m_memo;
    QTableWidget *m_stats;
};

} // namespace vantor
