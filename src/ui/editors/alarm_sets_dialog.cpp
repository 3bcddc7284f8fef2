#include "alarm_sets_dialog.h"

#include "alarm_limit_fields.h"
#include "editor_widgets.h"
#include "engine.h"
#include "number_field.h"
#include "rds_alarm_rules.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vantor {

namespace {
// The limit pages: tabs hidden, the page follows the list of alarms only.
class LockedPages : public QTabWidget
{
public:
    LockedPages(std::function<void()> refused, QWidget *parent)
        : QTabWidget(parent), m_refused(std::move(refused))
    {
        tabBar()->hide();
    }

protected:
    void keyPressEvent(QKeyEvent *e) override
    {
        const bool ctrl = e->modifiers() & Qt::ControlModifier;
        if (ctrl && (e->key() == Qt::Key_Tab || e->key() == Qt::Key_Backtab ||
                     e->key() == Qt::Key_PageUp || e->key() == Qt::Key_PageDown)) {
            m_refused();
            return;
        }
        QTabWidget::keyPressEvent(e);
    }

private:
    std::function<void()> m_refused;
};

bool Inside(const QWidget *w, const QWidget *container)
{
    return w && (w == container || container->isAncestorOf(w));
}
} // namespace

AlarmSetsDialog::AlarmSetsDialog(Engine &engine, QWidget *parent)
    : QDialog(parent), m_engine(engine)
{
    setWindowTitle(QStringLiteral("Alarm Sets"));
    setAccessibleName(windowTitle());
    auto *layout = new QHBoxLayout(this);

    auto *left = new QVBoxLayout;
    auto *setLabel = new QLabel(QStringLiteral("Alarm Set:"), this);
    m_setBox = Named(new QComboBox(this), QStringLiteral("Alarm Set:"));
    setLabel->setBuddy(m_setBox);
    left->addWidget(setLabel);
    left->addWidget(m_setBox);
    auto *manage = new QHBoxLayout;
    QPushButton *newSet = Button(QStringLiteral("New..."), this);
    QPushButton *deleteSet = Button(QStringLiteral("Delete"), this);
    QPushButton *renameSet = Button(QStringLiteral("Rename..."), this);
    manage->addWidget(newSet);
    manage->addWidget(deleteSet);
    manage->addWidget(renameSet);
    left->addLayout(manage);
    auto *kindsLabel = new QLabel(QStringLiteral("Alarms:"), this);
    m_kinds = Named(new QListWidget(this), QStringLiteral("Alarms:"));
    kindsLabel->setBuddy(m_kinds);
    for (const QString &name : AlarmKindNames) {
        auto *item = new QListWidgetItem(name, m_kinds);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    left->addWidget(kindsLabel);
    left->addWidget(m_kinds, 1);
    auto *emailGroup = new QGroupBox(QStringLiteral("Default Email"), this);
    auto *emailLayout = new QVBoxLayout(emailGroup);
    m_defaultEmail = Named(new QLineEdit(emailGroup), QStringLiteral("Default Email"));
    emailLayout->addWidget(m_defaultEmail);
    left->addWidget(emailGroup);
    layout->addLayout(left);

    auto *right = new QVBoxLayout;
    auto *properties = new QGroupBox(QStringLiteral("Alarm Properties"), this);
    auto *propLayout = new QVBoxLayout(properties);
    m_kindName = new QLabel(properties);
    QFont bold = m_kindName->font();
    bold.setBold(true);
    m_kindName->setFont(bold);
    propLayout->addWidget(m_kindName);
    m_pages = Named(new LockedPages([this] { RefusePageChange(); }, properties),
                    QStringLiteral("Alarm Properties"));
    for (int kind = 0; kind < AlarmKindCount; ++kind)
        m_pages->addTab(BuildPage(kind), AlarmKindNames[kind]);
    propLayout->addWidget(m_pages);
    right->addWidget(properties);
    QWidget *tasks = BuildTasks();
    right->addWidget(tasks);
    m_setFields = {m_kinds, emailGroup, properties, tasks, deleteSet, renameSet};
    auto *close = new QDialogButtonBox(this);
    QPushButton *closeButton =
        close->addButton(QStringLiteral("Close"), QDialogButtonBox::AcceptRole);
    closeButton->setAccessibleName(QStringLiteral("Close"));
    closeButton->setDefault(true);
    right->addWidget(close);
    layout->addLayout(right, 1);

    connect(close, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(newSet, &QPushButton::clicked, this, &AlarmSetsDialog::NewSet);
    connect(deleteSet, &QPushButton::clicked, this, &AlarmSetsDialog::DeleteSet);
    connect(renameSet, &QPushButton::clicked, this, &AlarmSetsDialog::RenameSet);
    connect(m_setBox, &QComboBox::currentIndexChanged, this, &AlarmSetsDialog::ComboBox1Change);
    connect(m_kinds, &QListWidget::currentRowChanged, this, &AlarmSetsDialog::CLBALARMSClick);
    connect(qApp, &QApplication::focusChanged, this, &AlarmSetsDialog::FocusChanged);

    m_kinds->setCurrentRow(0);
    resize(760, 520);
}

AlarmSetsDialog::~AlarmSetsDialog() = default;

QWidget *AlarmSetsDialog::BuildPage(int kind)
{
    auto *page = new QWidget;
    auto *form = new QFormLayout(page);
    const auto fields = AlarmLimitFields();
    for (size_t i = 0; i < fields.size(); ++i) {
        const AlarmLimitField &f = fields[i];
        if (f.page != kind)
            continue;
        if (kind == AlarmSignalQuality && !f.limit) {
            auto *group = new QGroupBox(QStringLiteral("Minimum signal quality allowed"), page);
            auto *groupLayout = new QVBoxLayout(group);
            m_quality = new QButtonGroup(this);
            const QString items[4] = {QStringLiteral("2 - Useless"), QStringLiteral("3 - Poor"),
                                      QStringLiteral("4 - Good"), QStringLiteral("5 - Excellent")};
            for (int q = 0; q < 4; ++q) {
                auto *b = Named(new QRadioButton(items[q], group), items[q]);
                m_quality->addButton(b, q);
                groupLayout->addWidget(b);
            }
            m_quality->button(0)->setChecked(true);
            form->addRow(group);
        }
        const QString label = QString::fromLatin1(f.label);
        auto *field =
            new NumberField(f.min, f.max, f.step, NumberField::WhenEmptied::ZeroOnLeaving, page);
        field->setObjectName(QString::fromLatin1(f.name));
        field->setAccessibleName(label);
        field->setValue(f.initial);
        m_fields.push_back(field);
        if (qstrcmp(f.name, "SEOM3") == 0)
            form->addRow(new QLabel(QStringLiteral("or"), page));
        form->addRow(label, field);
        if (kind == AlarmRfLevel && f.limit)
            form->addRow(new QLabel(QStringLiteral("K20 and K30 only."), page));
    }
    if (kind == AlarmPsMismatch) {
        auto *note = new QLabel(QStringLiteral("The names expected are the station's \"RDS PS\" "
                                               "in the Station List: up to four, separated by "
                                               "\"|\", \"*\" for any one character."),
                                page);
        note->setWordWrap(true);
        form->insertRow(0, note);
    }
    if (kind == AlarmGroupTypesMissing) {
        const QString label = QStringLiteral("Group types that must arrive:");
        m_groupTypes = Named(new QLineEdit(page), label);
        m_groupTypes->setObjectName(QStringLiteral("EGTYPES"));
        m_groupTypes->setPlaceholderText(QStringLiteral("0A 2A 4A"));
        form->insertRow(0, label, m_groupTypes);
        connect(m_groupTypes, &QLineEdit::editingFinished, this, &AlarmSetsDialog::EGTYPESExit);
    }
    return page;
}

QGroupBox *AlarmSetsDialog::BuildTasks()
{
    m_tasks = new QGroupBox(QStringLiteral("Alarm Tasks"), this);
    auto *grid = new QGridLayout(m_tasks);
    m_sendEmail =
        Named(new QCheckBox(QStringLiteral("Send Email"), m_tasks), QStringLiteral("Send Email"));
    m_runFile = Named(new QCheckBox(QStringLiteral("Run/Open file:"), m_tasks),
                      QStringLiteral("Run/Open file:"));
    m_fileName = Named(new QLineEdit(m_tasks), QStringLiteral("File to run"));
    QPushButton *browse = Button(QStringLiteral("..."), m_tasks);
    browse->setAccessibleName(QStringLiteral("Choose file"));
    auto *paramsLabel = new QLabel(QStringLiteral("Parameters:"), m_tasks);
    m_params = Named(new QLineEdit(m_tasks), QStringLiteral("Parameters:"));
    paramsLabel->setBuddy(m_params);
    grid->addWidget(m_sendEmail, 0, 0, 1, 3);
    grid->addWidget(m_runFile, 1, 0);
    grid->addWidget(m_fileName, 1, 1);
    grid->addWidget(browse, 1, 2);
    grid->addWidget(paramsLabel, 2, 0);
    grid->addWidget(m_params, 2, 1, 1, 2);
    for (int pin = 1; pin <= PinCount; ++pin) {
        const QString caption = QStringLiteral("Drive Alarm %1 Output").arg(pin);
        m_drivePin[pin - 1] = Named(new QCheckBox(caption, m_tasks), caption);
        auto *row = new QHBoxLayout;
        m_polarity[pin - 1] = new QButtonGroup(this);
        const QString levels[2] = {QStringLiteral("L"), QStringLiteral("H")};
        for (int level = 0; level < 2; ++level) {
            auto *b = Named(new QRadioButton(levels[level], m_tasks),
                            QStringLiteral("Alarm %1 Output ").arg(pin) + levels[level]);
            m_polarity[pin - 1]->addButton(b, level);
            row->addWidget(b);
        }
        m_polarity[pin - 1]->button(0)->setChecked(true);
        row->addStretch();
        grid->addWidget(m_drivePin[pin - 1], 2 + pin, 0);
        grid->addLayout(row, 2 + pin, 1, 1, 2);
    }
    connect(browse, &QPushButton::clicked, this, &AlarmSetsDialog::ChooseFile);
    return m_tasks;
}

NumberField *AlarmSetsDialog::Field(const QString &name) const
{
    for (NumberField *f : m_fields) {
        if (f->objectName() == name)
            return f;
    }
    return nullptr;
}

void AlarmSetsDialog::Load()
{
    m_sets = m_engine.AlarmSetTable();
    FormShow();
}

int AlarmSetsDialog::exec()
{
    Load();
    return QDialog::exec();
}

void AlarmSetsDialog::done(int result)
{
    GroupBox3Exit();
    m_lastShownAlarmSet = m_setBox->currentIndex();
    UpdateAlarm();
    m_engine.ReplaceAlarmSets(m_sets);
    QDialog::done(result);
}

void AlarmSetsDialog::FormShow()
{
    {
        const QSignalBlocker block(m_setBox);
        m_setBox->clear();
        for (const TAlarmSet &s : m_sets)
            m_setBox->addItem(s.Name);
        m_setBox->setCurrentIndex(m_lastShownAlarmSet < m_setBox->count() ? m_lastShownAlarmSet
                                                                          : -1);
    }
    m_currentAlarmSet = -1;
    m_taskSet = -1;
    ComboBox1Change();
    CLBALARMSClick();
}

void AlarmSetsDialog::ComboBox1Change()
{
    GroupBox3Exit();
    UpdateAlarm();
    const int index = m_setBox->currentIndex();
    const bool chosen = index >= 0 && index < static_cast<int>(m_sets.size());
    for (QWidget *field : m_setFields)
        field->setEnabled(chosen);
    if (!chosen)
        return;
    const TAlarmSet &s = m_sets[index];
    for (int kind = 0; kind < AlarmKindCount; ++kind)
        m_kinds->item(kind)->setCheckState(s.Basic[kind].Enabled ? Qt::Checked : Qt::Unchecked);
    m_defaultEmail->setText(s.DefaultEmail);
    const auto fields = AlarmLimitFields();
    for (size_t i = 0; i < fields.size(); ++i)
        m_fields[i]->setValue(AlarmFieldValue(fields[i], s));
    if (QAbstractButton *b = m_quality->button(s.SQ_SignalQuality))
        b->setChecked(true);
    m_groupTypes->setText(s.GT_GroupTypes);
    m_currentAlarmSet = index;
    CLBALARMSClick();
}

void AlarmSetsDialog::CLBALARMSClick()
{
    const int kind = m_kinds->currentRow();
    if (kind < 0)
        return;
    GroupBox3Exit();
    m_pages->setCurrentIndex(kind);
    m_kindName->setText(QLatin1Char(' ') + AlarmKindNames[kind]);
    const int set = m_setBox->currentIndex();
    if (set < 0 || set >= static_cast<int>(m_sets.size()))
        return;
    const TBasic &b = m_sets[set].Basic[kind];
    m_sendEmail->setChecked(b.SendEmail);
    m_runFile->setChecked(b.RunFile);
    m_fileName->setText(b.FileName);
    m_params->setText(b.Params);
    for (int pin = 1; pin <= PinCount; ++pin) {
        m_drivePin[pin - 1]->setChecked(b.DrivePin(pin));
        if (QAbstractButton *level = m_polarity[pin - 1]->button(b.PinPolarity(pin)))
            level->setChecked(true);
    }
    m_taskSet = set;
    m_taskKind = kind;
}

void AlarmSetsDialog::GroupBox3Exit()
{
    if (m_taskSet < 0 || m_taskSet >= static_cast<int>(m_sets.size()) || m_taskKind < 0)
        return;
    TBasic &b = m_sets[m_taskSet].Basic[m_taskKind];
    b.SendEmail = m_sendEmail->isChecked();
    b.RunFile = m_runFile->isChecked();
    b.FileName = m_fileName->text();
    b.Params = m_params->text();
    for (int pin = 1; pin <= PinCount; ++pin) {
        b.SetDrivePin(pin, m_drivePin[pin - 1]->isChecked());
        b.SetPinPolarity(pin, std::max(0, m_polarity[pin - 1]->checkedId()));
    }
}

void AlarmSetsDialog::FocusChanged(QWidget *old, QWidget *now)
{
    if (Inside(old, m_tasks) && !Inside(now, m_tasks))
        GroupBox3Exit();
}

void AlarmSetsDialog::UpdateAlarm()
{
    if (m_currentAlarmSet < 0 || m_currentAlarmSet >= static_cast<int>(m_sets.size()))
        return;
    TAlarmSet &s = m_sets[m_currentAlarmSet];
    for (int kind = 0; kind < AlarmKindCount; ++kind)
        s.Basic[kind].Enabled = m_kinds->item(kind)->checkState() == Qt::Checked;
    s.DefaultEmail = m_defaultEmail->text();
    const auto fields = AlarmLimitFields();
    for (size_t i = 0; i < fields.size(); ++i) {
        // A value still being typed counts as it will once the field is left.
        m_fields[i]->interpretText();
        StoreAlarmField(fields[i], s, m_fields[i]->value());
    }
    s.SQ_SignalQuality = std::max(0, m_quality->checkedId());
    // A list that is no list of group types keeps the one stored; leaving
    // the field has told the operator so.
    if (ParseGroupTypes(m_groupTypes->text()))
        s.GT_GroupTypes = m_groupTypes->text().simplified();
}

void AlarmSetsDialog::EGTYPESExit()
{
    const int set = m_currentAlarmSet;
    if (set < 0 || set >= static_cast<int>(m_sets.size()))
        return;
    if (ParseGroupTypes(m_groupTypes->text())) {
        m_sets[set].GT_GroupTypes = m_groupTypes->text().simplified();
        return;
    }
    m_prompts.inform(this, QStringLiteral("Invalid group type list! Example: 0A 2A 4A"));
    m_groupTypes->setText(m_sets[set].GT_GroupTypes);
}

bool AlarmSetsDialog::CheckAlarmSetName(const QString &name)
{
    if (name.isEmpty()) {
        m_prompts.inform(this, QStringLiteral("Invalid name!"));
        return false;
    }
    for (const TAlarmSet &s : m_sets) {
        if (s.Name == name) {
            m_prompts.inform(this, QStringLiteral("This name is already in use!"));
            return false;
        }
    }
    return true;
}

std::optional<QString> AlarmSetsDialog::AskName(const QString &title, const QString &prompt,
                                                QString text)
{
    for (;;) {
        const std::optional<QString> entered = m_prompts.input(this, title, prompt, text);
        if (!entered || CheckAlarmSetName(*entered))
            return entered;
        text = *entered;
    }
}

void AlarmSetsDialog::NewSet()
{
    GroupBox3Exit();
    const auto name = AskName(QStringLiteral("New Alarm Set"), QStringLiteral("Alarm Set Name"),
                              QStringLiteral("MyAlarmSet%1").arg(m_sets.size() + 1));
    if (!name)
        return;
    UpdateAlarm();
    // Only the tasks are the new set's own: the enabled flags, limits,
    // durations and default address still shown are written into it at the
    // next UpdateAlarm.
    TAlarmSet set;
    set.Name = *name;
    for (TBasic &b : set.Basic) {
        b = TBasic();
        b.SendEmail = true;
    }
    m_sets.push_back(set);
    const int index = static_cast<int>(m_sets.size()) - 1;
    {
        const QSignalBlocker block(m_setBox);
        m_setBox->addItem(*name);
        m_setBox->setCurrentIndex(index);
    }
    // The new set starts as a copy of what the controls show.
    m_currentAlarmSet = index;
    m_taskSet = index;
    m_taskKind = m_kinds->currentRow();
    GroupBox3Exit();
}

void AlarmSetsDialog::DeleteSet()
{
    const int index = m_setBox->currentIndex();
    if (index < 0)
        return;
    GroupBox3Exit();
    if (!m_prompts.ask(this, QStringLiteral("Delete the item?")))
        return;
    UpdateAlarm();
    m_sets.erase(m_sets.begin() + index);
    // The set that takes its place, or the one before when it was the last.
    m_lastShownAlarmSet = std::min(index, static_cast<int>(m_sets.size()) - 1);
    FormShow();
}

void AlarmSetsDialog::RenameSet()
{
    const int index = m_setBox->currentIndex();
    if (index < 0)
        return;
    GroupBox3Exit();
    const auto name =
        AskName(QStringLiteral("Rename Alarm Set"), QStringLiteral("Enter new alarm set name"),
                QStringLiteral("MyAlarmSet"));
    if (!name)
        return;
    UpdateAlarm();
    m_sets[index].Name = *name;
    m_lastShownAlarmSet = index;
    FormShow();
}

void AlarmSetsDialog::RefusePageChange()
{
    m_prompts.inform(this, QStringLiteral("Make your selection in the list of alarms"));
}

void AlarmSetsDialog::ChooseFile()
{
    const QString file = m_prompts.openFile(this, ProgramFileFilter());
    if (!file.isEmpty())
        m_fileName->setText(file);
}

} // namespace vantor
