#include "editor_widgets.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>

namespace vantor {

QPushButton *Button(const QString &caption, QWidget *parent)
{
    auto *b = new QPushButton(caption, parent);
    b->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    b->setAutoDefault(false);
    return b;
}

QDialogButtonBox *OkCancelButtons(QDialog *dialog, const QString &okCaption)
{
    auto *box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QPushButton *ok = box->button(QDialogButtonBox::Ok);
    if (!okCaption.isEmpty())
        ok->setText(okCaption);
    ok->setDefault(true);
    ok->setAccessibleName(ok->text().remove(QLatin1Char('&')));
    QPushButton *cancel = box->button(QDialogButtonBox::Cancel);
    cancel->setAutoDefault(false);
    cancel->setAccessibleName(cancel->text().remove(QLatin1Char('&')));
    QObject::connect(box, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return box;
}

QString CellText(const QTableWidget *grid, int row, int column)
{
    const QTableWidgetItem *item = grid->item(row, column);
    return item ? item->text() : QString();
}

void SetCellText(QTableWidget *grid, int row, int column, const QString &text)
{
    if (QTableWidgetItem *item = grid->item(row, column))
        item->setText(text);
    else
        grid->setItem(row, column, new QTableWidgetItem(text));
}

void SelectCell(QTableWidget *grid, int row, int column)
{
    grid->setCurrentCell(row, column);
    grid->scrollToItem(grid->item(row, column));
    grid->setFocus();
}

void CommitCellEdit(QTableWidget *grid)
{
    // Open cell editors live on the viewport; commitData is the view's own
    // slot and ignores widgets that edit no cell.
    const auto children = grid->viewport()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    for (QWidget *editor : children) {
        if (editor->isVisible())
            QMetaObject::invokeMethod(grid, "commitData", Q_ARG(QWidget *, editor));
    }
}

void FitColumnsToHeadings(QTableWidget *grid, int minimumWidth)
{
    const QFontMetrics metrics(grid->horizontalHeader()->font());
    for (int c = 0; c < grid->columnCount(); ++c) {
        const QTableWidgetItem *heading = grid->horizontalHeaderItem(c);
        const int text = heading ? metrics.horizontalAdvance(heading->text()) : 0;
        grid->setColumnWidth(c, std::max(minimumWidth, text + 24));
    }
}

void SwapRows(QTableWidget *grid, int a, int b)
{
    for (int c = 0; c < grid->columnCount(); ++c) {
        const QString t = CellText(grid, a, c);
        SetCellText(grid, a, c, CellText(grid, b, c));
        SetCellText(grid, b, c, t);
    }
}

} // namespace vantor
