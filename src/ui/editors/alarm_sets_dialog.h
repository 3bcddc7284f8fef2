// The Alarm Sets editor (TDALARM): set names, default addresses, and per alarm
// kind whether it is on, its limits, its duration and its tasks. It edits a
// copy of the sets and hands them back when it closes; devices take them at
// their next tuning.
#pragma once

#include "editor_prompts.h"
#include "model.h"

#include <QDialog>

#include <optional>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QTabWidget;

namespace vantor {

class Engine;
class NumberField;

class AlarmSetsDialog : public QDialog
{
    Q_OBJECT

public:
    AlarmSetsDialog(Engine &engine, QWidget *parent = nullptr);
    ~AlarmSetsDialog() override;

    void SetPrompts(EditorPrompts prompts) { m_prompts = std::move(prompts); }

    // Copies the sets from the engine and shows the last shown set. exec()
    // does this first.
    void Load();
    int exec() override;
    // "Close", Escape or the window's close box: the edits go to the engine.
    void done(int result) override;

    // Set management.
    void NewSet();
    void DeleteSet();
    void RenameSet();
    // False, after saying why, for an empty name or one already in use.
    bool CheckAlarmSetName(const QString &name);
    // The "Alarm Tasks" group is left: its controls go into the set.
    void GroupBox3Exit();
    // Any page change by the operator is refused.
    void RefusePageChange();
    // The group type list is left: a list goes into the set shown; anything
    // else is refused and the last list comes back.
    void EGTYPESExit();

    const std::vector<TAlarmSet> &Sets() const { return m_sets; }
    QComboBox *SetBox() const { return m_setBox; }
    QListWidget *Kinds() const { return m_kinds; }
    QTabWidget *Pages() const { return m_pages; }
    // A limit field by its control name, e.g. "SEPM1".
    NumberField *Field(const QString &name) const;
    QButtonGroup *SignalQuality() const { return m_quality; }
    QLineEdit *DefaultEmail() const { return m_defaultEmail; }
    QLineEdit *GroupTypes() const { return m_groupTypes; }
    QLabel *KindName() const { return m_kindName; }
    QCheckBox *SendEmailBox() const { return m_sendEmail; }
    QCheckBox *RunFileBox() const { return m_runFile; }
    QLineEdit *FileName() const { return m_fileName; }
    QLineEdit *Params() const { return m_params; }
    QCheckBox *DrivePinBox(int pin) const { return m_drivePin[pin - 1]; }
    QButtonGroup *PinPolarity(int pin) const { return m_polarity[pin - 1]; }

private:
    QWidget *BuildPage(int kind);
    QGroupBox *BuildTasks();
    void FormShow();
    void ComboBox1Change();
    void CLBALARMSClick();
    void UpdateAlarm();
    void ChooseFile();
    void FocusChanged(QWidget *old, QWidget *now);
    // Asks for a set name until it passes or the box is cancelled.
    std::optional<QString> AskName(const QString &title, const QString &prompt, QString text);

    Engine &m_engine;
    EditorPrompts m_prompts = EditorPrompts::Standard();
    std::vector<TAlarmSet> m_sets;
    int m_currentAlarmSet = -1;
    int m_lastShownAlarmSet = 0;
    // What edits the chosen set: disabled while no set is chosen.
    QList<QWidget *> m_setFields;
    // Where the task controls were loaded from, and go back to.
    int m_taskSet = -1;
    int m_taskKind = -1;

    QComboBox *m_setBox;
    QListWidget *m_kinds;
    QLabel *m_kindName;
    QTabWidget *m_pages;
    std::vector<NumberField *> m_fields; // in the order of AlarmLimitFields()
    QButtonGroup *m_quality;
    QLineEdit *m_defaultEmail;
    QLineEdit *m_groupTypes = nullptr;
    QGroupBox *m_tasks;
    QCheckBox *m_sendEmail;
    QCheckBox *m_runFile;
    QLineEdit *m_fileName;
    QLineEdit *m_params;
    QCheckBox *m_drivePin[PinCount];
    QButtonGroup *m_polarity[PinCount];
};

} // namespace vantor
