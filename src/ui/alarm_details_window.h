// Alarm Details (TForm4): the state of every alarm kind of the selected
// device's alarm set in force, refreshed every second. It only reads.
#pragma once

#include "model.h"

#include <QTimer>
#include <QWidget>

#include <array>
#include <functional>

class QLabel;
class QTableWidget;

namespace vantor {

class Engine;

class AlarmDetailsWindow : public QWidget
{
    Q_OBJECT

public:
    enum RowState { Quiet = 0, Pending = 1, Active = 2 };
    static constexpr int Rows = AlarmKindCount + 1;
    static constexpr int Columns = 6;

    AlarmDetailsWindow(Engine &engine, std::function<int()> selectedDevice,
                       QWidget *parent = nullptr);

    QLabel *header() const { return m_header; }
    QTableWidget *grid() const { return m_grid; }
    QString cell(int row, int column) const;
    int rowState(int row) const { return m_rowState[row]; }

    void Timer1Timer();
    void ClearGrid();

    // Room for every row and column (and the vertical scroll bar, as the
    // window is often less tall).
    QSize sizeHint() const override;

private:
    void setCell(int row, int column, const QString &text);

    Engine &m_engine;
    std::function<int()> m_selected;
    QLabel *m_header;
    QTableWidget *m_grid;
    QTimer m_timer;
    std::array<int, Rows> m_rowState{};
    int m_lastShownStation = -2;
};

} // namespace vantor
