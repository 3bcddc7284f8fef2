#include "image_save_dialog.h"

#include <QFileDialog>

namespace vantor {

QString AskPictureFileName(QWidget *parent, const QString &folder)
{
    QFileDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("SDB"));
    dialog.setAccessibleName(QStringLiteral("SDB"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("jpg"));
    dialog.setNameFilters(
        {QStringLiteral("JPEG file (*.jpg)"), QStringLiteral("Bitmap file (*.bmp)")});
    dialog.setDirectory(folder);
    dialog.setSizeGripEnabled(true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace vantor
