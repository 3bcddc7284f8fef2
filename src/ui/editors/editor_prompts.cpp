#include "editor_prompts.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QInputDialog>
#include <QMessageBox>
#include <QSortFilterProxyModel>

namespace vantor {

namespace {
const QString Title = QStringLiteral("Vantor");
const QString ProgramsFilter = QStringLiteral("Programs (*)");

// Folders and executable files only: on Linux a program needs no extension,
// so the name filter alone cannot tell programs from other files.
class ExecutablesOnly : public QSortFilterProxyModel
{
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    void SetActive(bool active)
    {
        m_active = active;
        invalidateFilter();
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex &parent) const override
    {
        const auto *files = qobject_cast<const QFileSystemModel *>(sourceModel());
        if (!m_active || !files)
            return true;
        const QFileInfo info = files->fileInfo(files->index(row, 0, parent));
        return info.isDir() || info.isExecutable();
    }

private:
    bool m_active = false;
};
} // namespace

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
        if (filter.startsWith(ProgramsFilter)) {
            // The desktop's own chooser cannot be told to list executables only.
            dialog.setOption(QFileDialog::DontUseNativeDialog);
            auto *executables = new ExecutablesOnly(&dialog);
            dialog.setProxyModel(executables);
            executables->SetActive(true);
            QObject::connect(&dialog, &QFileDialog::filterSelected, executables,
                             [executables](const QString &chosen) {
                                 executables->SetActive(chosen == ProgramsFilter);
                             });
        }
        dialog.setAccessibleName(QStringLiteral("Open"));
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    };
    return p;
}

QString ProgramFileFilter()
{
#ifdef Q_OS_WIN
    return QStringLiteral(
        "All files (*.*);;Executable files (*.exe);;Batch files (*.bat);;Shell scripts (*.sh)");
#else
    // Executables first; "*" rather than "*.*", which would hide names without a dot.
    return ProgramsFilter + QStringLiteral(";;Shell scripts (*.sh);;All files (*)");
#endif
}

} // namespace vantor
