// An engine on the fake clock with prompts that a test reads and answers in
// place of the operator.
#pragma once

#include "editor_prompts.h"
#include "engine_fixture.h"

#include <QApplication>
#include <QFocusEvent>
#include <QTest>
#include <QWidget>

#include <deque>

namespace vantor::test {

struct RecordedPrompts {
    QStringList messages;
    QStringList questions;
    bool answer = true;
    // Input box answers in turn; nothing left means "Cancel".
    std::deque<QString> inputs;
    QStringList inputTitles;
    QStringList proposed;
    QString fileChoice;
    QStringList fileFilters;

    EditorPrompts Prompts()
    {
        EditorPrompts p;
        p.inform = [this](QWidget *, const QString &text) { messages << text; };
        p.ask = [this](QWidget *, const QString &q) {
            questions << q;
            return answer;
        };
        p.input = [this](QWidget *, const QString &title, const QString &,
                         const QString &text) -> std::optional<QString> {
            inputTitles << title;
            proposed << text;
            if (inputs.empty())
                return std::nullopt;
            QString next = inputs.front();
            inputs.pop_front();
            return next;
        };
        p.openFile = [this](QWidget *, const QString &filter) {
            fileFilters << filter;
            return fileChoice;
        };
        return p;
    }
};

class EditorFixture : public EngineFixture
{
protected:
    RecordedPrompts prompts;
};

// The operator leaves a field.
inline void Leave(QWidget *w)
{
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(w, &out);
}

} // namespace vantor::test
