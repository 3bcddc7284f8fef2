// What the engine asks of whoever shows it. Everything the engine has to tell
// goes out as Engine signals (see engine_news.h); through this interface it
// only asks: the device selected, the activity filter shown, and the operator
// (a message, a yes/no question).
#pragma once

#include "activity_log.h"

#include <QString>

namespace vantor {

class EngineView : public ActivitySink
{
public:
    // The device chosen in the main window's device box, -1 for none.
    virtual int SelectedDevice() const = 0;
    // Whether messages reach an operator; when false the engine logs them.
    virtual bool Interactive() const = 0;
    // A message for the operator.
    virtual void ShowMessage(const QString &text) = 0;
    // A yes/no question to the operator; false when nobody can answer.
    virtual bool Confirm(const QString &question) = 0;
};

// The view of a station running without windows: no device is selected, no
// filter is shown, nobody answers.
class HeadlessView : public EngineView
{
public:
    int ActivityFilterIndex() const override { return -1; }
    QString ActivityFilterText() const override { return {}; }
    void AppendActivityLine(const QString &) override {}
    int SelectedDevice() const override { return -1; }
    bool Interactive() const override { return false; }
    void ShowMessage(const QString &) override {}
    bool Confirm(const QString &) override { return false; }
};

} // namespace vantor
