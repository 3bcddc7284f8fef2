// The Station List editor (TDSTLIST): a grid of all stations; confirming it
// replaces the station list at once.
#pragma once

#include "editor_prompts.h"

#include <QDialog>

#include <memory>

class QMenu;
class QTableWidget;

namespace vantor {

class Engine;

class StationListDialog : public QDialog
{
    Q_OBJECT

public:
    StationListDialog(Engine &engine, QWidget *parent = nullptr);

    void SetPrompts(EditorPrompts prompts) { m_prompts = std::move(prompts); }

    // Fills the grid from the station list; false (after saying why) when
    // there is no device to work with. exec() does this first.
    bool Load();
    int exec() override;
    // Validates; on success replaces the station list and closes.
    void accept() override;

    QTableWidget *Grid() const { return m_grid; }
    void AddLine();
    void DeleteLine();
    void MoveUp();
    void MoveDown();
    // The pop-up menu of a column, null when the column offers nothing.
    std::unique_ptr<QMenu> ColumnMenu(int column);

private:
    // Why a line cannot be kept (its cell selected), or empty when it can.
    QString RowRefusal(int row);
    bool Validate();
    void ShowCellMenu(const QPoint &pos);
    void PutCaption(const QString &caption);

    Engine &m_engine;
    EditorPrompts m_prompts = EditorPrompts::Standard();
    QTableWidget *m_grid;
};

} // namespace vantor
