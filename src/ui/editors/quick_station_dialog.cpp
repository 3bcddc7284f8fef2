#include "quick_station_dialog.h"

#include "editor_widgets.h"
#include "engine.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLocale>
#include <QVBoxLayout>

namespace vantor {

namespace {
const QString FrequencyKey = QStringLiteral("ImmediateFrequency");
}

QuickStationDialog::QuickStationDialog(Engine &engine, QWidget *parent)
    : QDialog(parent), m_engine(engine)
{
    setWindowTitle(QStringLiteral("Quick station entry"));
    setAccessibleName(windowTitle());
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    m_frequency = Named(new QComboBox(this), QStringLiteral("Frequency"));
    m_device = Named(new QComboBox(this), QStringLiteral("Device"));
    m_mode = Named(new QComboBox(this), QStringLiteral("Mode"));
    m_mode->addItems({QStringLiteral("Measuring"), QStringLiteral("RDS decoding"),
                      QStringLiteral("Full (K30 only)")});
    const QChar point = QLocale::system().decimalPoint().at(0);
    for (int tenths = 640; tenths <= 1080; ++tenths)
        m_frequency->addItem(QStringLiteral("%1%2%3").arg(tenths / 10).arg(point).arg(tenths % 10));
    form->addRow(QStringLiteral("Frequency"), m_frequency);
    form->addRow(QStringLiteral("Device"), m_device);
    form->addRow(QStringLiteral("Mode"), m_mode);
    layout->addLayout(form);
    layout->addWidget(OkCancelButtons(this, QStringLiteral("Tune")));
    // The choice is kept like the list's own selection, whether tuned or not.
    connect(m_frequency, &QComboBox::currentIndexChanged, this,
            [this](int index) { m_engine.Prefs().SetInteger(FrequencyKey, index); });
}

bool QuickStationDialog::Load()
{
    if (const QString refusal = m_engine.StationEditorRefusal(); !refusal.isEmpty()) {
        m_prompts.inform(parentWidget(), refusal);
        return false;
    }
    m_frequency->setCurrentIndex(m_engine.Prefs().Integer(FrequencyKey));
    // Only devices the connection manager has handled can be chosen.
    m_device->clear();
    const int selected = m_engine.view().SelectedDevice();
    for (int i = 0; i < static_cast<int>(m_engine.DeviceTable().size()); ++i) {
        if (m_engine.DeviceTable()[i].Handle < 0)
            continue;
        m_device->addItem(m_engine.DeviceTable()[i].Name, i);
        if (i == selected)
            m_device->setCurrentIndex(m_device->count() - 1);
    }
    if (m_device->findData(selected) < 0)
        m_device->setCurrentIndex(-1);
    return true;
}

int QuickStationDialog::exec()
{
    return Load() ? QDialog::exec() : int(Rejected);
}

void QuickStationDialog::accept()
{
    QDialog::accept();
    if (m_device->currentIndex() < 0 || m_frequency->currentIndex() < 0)
        return;
    m_engine.TuneQuickStation(m_device->currentData().toInt(), m_frequency->currentText(),
                              m_mode->currentIndex());
}

} // namespace vantor
