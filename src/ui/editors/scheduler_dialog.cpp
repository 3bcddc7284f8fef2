#include "scheduler_dialog.h"

#include "editor_widgets.h"
#include "engine.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace vantor {

SchedulerDialog::SchedulerDialog(Engine &engine, QWidget *parent)
    : QDialog(parent), m_engine(engine)
{
    setWindowTitle(QStringLiteral("Monitoring Scheduler"));
    setAccessibleName(windowTitle());
    auto *layout = new QVBoxLayout(this);

    auto *top = new QHBoxLayout;
    auto *label = new QLabel(QStringLiteral("Select device:"), this);
    m_device = Named(new QComboBox(this), QStringLiteral("Select device:"));
    QFont bold = m_device->font();
    bold.setBold(true);
    m_device->setFont(bold);
    m_device->setMinimumWidth(200);
    label->setBuddy(m_device);
    top->addWidget(label);
    top->addWidget(m_device, 1);
    layout->addLayout(top);

    auto *group = new QGroupBox(QStringLiteral("Monitoring Cycle Initialization"), this);
    auto *groupLayout = new QVBoxLayout(group);
    const QString captions[3] = {QStringLiteral("Manually"),
                                 QStringLiteral("Automatically - Infinite loop"),
                                 QStringLiteral("Automatically - In predefined days and times:")};
    for (int m = 0; m < 3; ++m) {
        m_modes[m] = Named(new QRadioButton(captions[m], group), captions[m]);
        groupLayout->addWidget(m_modes[m]);
    }
    m_modes[0]->setChecked(true);

    m_times = Named(new QTableWidget(WeekDayCount, 2, group), QStringLiteral("Start times"));
    m_times->setHorizontalHeaderLabels(
        {QStringLiteral("Day"), QStringLiteral("Start times (h:nn, separated by spaces)")});
    m_times->verticalHeader()->hide();
    m_times->setColumnWidth(0, 100);
    m_times->horizontalHeader()->setStretchLastSection(true);
    const QString days[WeekDayCount] = {QStringLiteral("Monday"),    QStringLiteral("Tuesday"),
                                        QStringLiteral("Wednesday"), QStringLiteral("Thursday"),
                                        QStringLiteral("Friday"),    QStringLiteral("Saturday"),
                                        QStringLiteral("Sunday")};
    for (int d = 0; d < WeekDayCount; ++d) {
        auto *item = new QTableWidgetItem(days[d]);
        item->setFlags(Qt::ItemIsEnabled);
        m_times->setItem(d, 0, item);
        SetCellText(m_times, d, 1, QString());
    }
    m_times->setMinimumHeight(m_times->horizontalHeader()->sizeHint().height() +
                              m_times->verticalHeader()->length() + 4);
    groupLayout->addWidget(m_times);
    layout->addWidget(group);
    layout->addWidget(OkCancelButtons(this));

    connect(m_device, &QComboBox::currentIndexChanged, this, &SchedulerDialog::ShowSelectedDevice);
    resize(440, 400);
}

bool SchedulerDialog::Load()
{
    if (m_engine.Globals().RestartRequired) {
        m_prompts.inform(parentWidget(), QStringLiteral("Application restart required"));
        return false;
    }
    m_copy = m_engine.ScheduleCopy();
    m_lastShownDevice.clear();
    const QSignalBlocker block(m_device);
    m_device->clear();
    for (const TSch &s : m_copy)
        m_device->addItem(s.DeviceName);
    m_device->setCurrentIndex(m_copy.empty() ? -1 : 0);
    ShowSelectedDevice();
    m_times->setCurrentCell(0, 1);
    return true;
}

int SchedulerDialog::exec()
{
    return Load() ? QDialog::exec() : int(Rejected);
}

int SchedulerDialog::FindDeviceIndexByName(const QString &name) const
{
    if (name.isEmpty())
        return -1;
    for (int i = 0; i < static_cast<int>(m_copy.size()); ++i) {
        if (m_copy[i].DeviceName == name)
            return i;
    }
    return -1;
}

void SchedulerDialog::UpdateSch()
{
    const int i = FindDeviceIndexByName(m_lastShownDevice);
    if (i < 0)
        return;
    TSch &s = m_copy[i];
    s.SchedulingMode = m_modes[2]->isChecked() ? 2 : (m_modes[1]->isChecked() ? 1 : 0);
    for (int d = 0; d < WeekDayCount; ++d)
        s.Days[d].Times = CellText(m_times, d, 1);
}

void SchedulerDialog::ShowSelectedDevice()
{
    UpdateSch();
    const int i = FindDeviceIndexByName(m_device->currentText());
    if (i < 0)
        return;
    const TSch &s = m_copy[i];
    m_modes[s.SchedulingMode == 1 || s.SchedulingMode == 2 ? s.SchedulingMode : 0]->setChecked(
        true);
    for (int d = 0; d < WeekDayCount; ++d)
        SetCellText(m_times, d, 1, s.Days[d].Times);
    m_lastShownDevice = m_device->currentText();
}

namespace {
// Whether every entry of a day's list is a time of day written h:nn or hh:nn.
bool ListsOnlyTimes(const QString &text)
{
    static const QRegularExpression separators(QStringLiteral("[\\s,;]+"));
    static const QRegularExpression time(QStringLiteral("^([01]?[0-9]|2[0-3]):[0-5][0-9]$"));
    const QStringList entries = text.split(separators, Qt::SkipEmptyParts);
    return std::all_of(entries.begin(), entries.end(),
                       [](const QString &entry) { return time.match(entry).hasMatch(); });
}
} // namespace

void SchedulerDialog::accept()
{
    CommitCellEdit(m_times);
    UpdateSch();
    for (const TSch &s : m_copy) {
        for (int d = 0; d < WeekDayCount; ++d) {
            if (ListsOnlyTimes(s.Days[d].Times))
                continue;
            m_device->setCurrentText(s.DeviceName);
            SelectCell(m_times, d, 1);
            m_prompts.inform(this, QStringLiteral("Enter start times as h:nn, for example "
                                                  "6:00 18:30!"));
            return;
        }
    }
    m_engine.ApplySchedules(m_copy);
    QDialog::accept();
}

} // namespace vantor
