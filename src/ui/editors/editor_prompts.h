// How the editors speak to the operator: messages, yes/no questions, input
// boxes and file choices. Dialogs hold a copy, so tests can answer in place
// of the operator instead of hunting modal boxes.
#pragma once

#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace vantor {

struct EditorPrompts {
    std::function<void(QWidget *parent, const QString &text)> inform;
    std::function<bool(QWidget *parent, const QString &question)> ask;
    // The text entered, or nothing when the box was cancelled.
    std::function<std::optional<QString>(QWidget *parent, const QString &title,
                                         const QString &prompt, const QString &text)>
        input;
    // An existing file chosen with the filter, or empty when none was chosen.
    std::function<QString(QWidget *parent, const QString &filter)> openFile;

    // Message boxes, input boxes and the file dialog of the desktop.
    static EditorPrompts Standard();
};

// The filter of the file choices for programs to run: on Linux executables
// first, names without an extension included.
QString ProgramFileFilter();

} // namespace vantor
