// What the engine asks of the windows: the device chosen in the main window,
// the Recent Activity filter, and the operator by message boxes.
#pragma once

#include "engine_view.h"

class QWidget;

namespace vantor {

class MainWindow;

class WindowView final : public EngineView
{
public:
    // The windows come after the engine; until attached, nothing is shown.
    void attach(MainWindow *window) { m_window = window; }

    int ActivityFilterIndex() const override;
    QString ActivityFilterText() const override;
    void AppendActivityLine(const QString &line) override;
    int SelectedDevice() const override;
    bool Interactive() const override { return true; }
    void ShowMessage(const QString &text) override;
    bool Confirm(const QString &question) override;

private:
    MainWindow *m_window = nullptr;
};

} // namespace vantor
