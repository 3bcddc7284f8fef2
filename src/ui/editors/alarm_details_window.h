// The Alarm Details window (TForm4): for the device chosen in the main window,
// the state of all nine alarm kinds of the set in force, refreshed every
// second. It only reads engine state.
#pragma once

#include <QTimer>
#include <QWidget>

#include <vector>

class QLabel;
class QTableWidget;

namespace vantor {

class Engine;

class AlarmDetailsWindow : public QWidget
{
    Q_OBJECT

public:
    enum RowStateCode { Quiet = 0, Pending = 1, Active = 2 };

    AlarmDetailsWindow(Engine &engine, QWidget *parent = nullptr);

    // One refresh, as the window's own timer runs it every second.
    void Timer1Timer();
    void ClearGrid();

    QString Header() const;
    QString CellText(int row, int column) const;
    int RowState(int row) const { return m_rowState[row]; }
    QTableWidget *Grid() const { return m_grid; }

    // The colours the grid draws a cell with.
    QColor CellBackground(int row, int column) const;
    QColor CellTextColour(int row, int column) const;

private:
    void SetCell(int row, int column, const QString &text);

    Engine &m_engine;
    QLabel *m_header;
    QTableWidget *m_grid;
    QTimer m_timer;
    std::vector<int> m_rowState;
    int m_lastShownStation = -2;
};

} // namespace vantor
