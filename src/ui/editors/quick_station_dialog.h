// Quick station entry (TDQUICK): a one-off station from a frequency, a device
// and a mode, tuned at once without joining the station list.
#pragma once

#include "editor_prompts.h"

#include <QDialog>

class QComboBox;

namespace vantor {

class Engine;

class QuickStationDialog : public QDialog
{
    Q_OBJECT

public:
    QuickStationDialog(Engine &engine, QWidget *parent = nullptr);

    void SetPrompts(EditorPrompts prompts) { m_prompts = std::move(prompts); }

    // Fills the lists; false (after saying why) when there is no device.
    // exec() does this first.
    bool Load();
    int exec() override;
    // "Tune": tunes the chosen device when one is chosen, then closes.
    void accept() override;

    QComboBox *Frequencies() const { return m_frequency; }
    QComboBox *DeviceBox() const { return m_device; }
    QComboBox *Modes() const { return m_mode; }

private:
    Engine &m_engine;
    EditorPrompts m_prompts = EditorPrompts::Standard();
    QComboBox *m_frequency;
    QComboBox *m_device;
    QComboBox *m_mode;
};

} // namespace vantor
