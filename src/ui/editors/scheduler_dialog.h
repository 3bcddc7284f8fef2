// The Monitoring Scheduler (TDSCHED): per device, how its monitoring cycle
// starts. Edits a working copy; OK writes it back to every device.
#pragma once

#include "editor_prompts.h"
#include "model.h"

#include <QDialog>

#include <vector>

class QComboBox;
class QRadioButton;
class QTableWidget;

namespace vantor {

class Engine;

class SchedulerDialog : public QDialog
{
    Q_OBJECT

public:
    SchedulerDialog(Engine &engine, QWidget *parent = nullptr);

    void SetPrompts(EditorPrompts prompts) { m_prompts = std::move(prompts); }

    // Builds the working copy and shows the first device; false (after
    // saying why) while a changed device list waits for a restart.
    bool Load();
    int exec() override;
    void accept() override;

    QComboBox *DeviceBox() const { return m_device; }
    QRadioButton *ModeButton(int mode) const { return m_modes[mode]; }
    QTableWidget *Times() const { return m_times; }

    // Index in the working copy of the first record named name; -1 for an
    // empty name or none.
    int FindDeviceIndexByName(const QString &name) const;

private:
    void ShowSelectedDevice();
    void UpdateSch();

    Engine &m_engine;
    EditorPrompts m_prompts = EditorPrompts::Standard();
    std::vector<TSch> m_copy;
    QString m_lastShownDevice;
    QComboBox *m_device;
    QRadioButton *m_modes[3];
    QTableWidget *m_times;
};

} // namespace vantor
