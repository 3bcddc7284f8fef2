#include "editor_prompts.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace vantor {

namespace {
const QString Title = QStringLiteral("Vantor");
}

EditorPrompts EditorPrompts::Standard()
{
    EditorPrompts p;
    p.inform = [](QWidget *parent, const QString &text) {
        QMessageBox::information(parent, Title, text);
    };
    p.ask = [](QWidget *parent, const QString &question) {
        return QMessageBox::question(parent, Title, question, QMessageBox::Yes | QMessageBox::No) ==
               QMessageBox::Yes;
    };
    p.input = [](QWidget *parent, const QString &title, const QString &prompt,
                 const QString &text) -> std::optional<QString> {
        bool ok = false;
        const QString entered =
            QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, text, &ok);
        if (!ok)
            return std::nullopt;
        return entered;
    };
    p.openFile = [](QWidget *parent, const QString &filter) {
        QFileDialog dialog(parent, QString(), QString(), filter);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setAccessibleName(QStringLiteral("Open"));
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    };
    return p;
}

QString ProgramFileFilter()
{
    return QStringLiteral(
        "All files (*.*);;Executable files (*.exe);;Batch files (*.bat);;Shell scripts (*.sh)");
}

} // namespace vantor
