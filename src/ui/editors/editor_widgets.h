// Small helpers the editors share: accessible names, grid cells, the OK and
// Cancel button row.
#pragma once

#include <QString>

class QAbstractButton;
class QDialog;
class QDialogButtonBox;
class QPushButton;
class QTableWidget;
class QWidget;

namespace vantor {

// Gives widget its accessible name and returns it.
template <typename W> W *Named(W *widget, const QString &name)
{
    widget->setAccessibleName(name);
    return widget;
}

// A push button whose accessible name is its caption.
QPushButton *Button(const QString &caption, QWidget *parent);

// OK (the default button, "Enter") and Cancel ("Escape") wired to the dialog.
QDialogButtonBox *OkCancelButtons(QDialog *dialog, const QString &okCaption = QString());

QString CellText(const QTableWidget *grid, int row, int column);
void SetCellText(QTableWidget *grid, int row, int column, const QString &text);
// Moves the cursor to the cell and gives the grid the focus.
void SelectCell(QTableWidget *grid, int row, int column);
// Takes a cell editor's text into the grid before the cells are read.
void CommitCellEdit(QTableWidget *grid);
// Widens every column at least to its heading, without reading the rows.
void FitColumnsToHeadings(QTableWidget *grid, int minimumWidth);
// Swaps the texts of two rows.
void SwapRows(QTableWidget *grid, int a, int b);

} // namespace vantor
