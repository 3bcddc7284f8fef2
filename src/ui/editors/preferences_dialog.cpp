#include "preferences_dialog.h"

#include "editor_widgets.h"
#include "engine.h"
#include "number_field.h"
#include "preferences.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vantor {

namespace {
QString Key(const char *key)
{
    return QString::fromLatin1(key);
}

QWidget *Row(QWidget *parent, std::initializer_list<QWidget *> widgets)
{
    auto *row = new QWidget(parent);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QWidget *w : widgets)
        layout->addWidget(w);
    layout->addStretch();
    return row;
}
} // namespace

PreferencesDialog::PreferencesDialog(Engine &engine, QWidget *parent)
    : QDialog(parent), m_engine(engine), m_prefs(engine.Prefs())
{
    setWindowTitle(QStringLiteral("Preferences"));
    setAccessibleName(windowTitle());
    // The test message goes out in the background; its outcome comes later.
    m_testMailer = [this](Engine &e, std::function<void(const QString &)> report) {
        connect(&e, &Engine::TestEmailFinished, this, std::move(report), Qt::SingleShotConnection);
        e.SendTestEmail();
    };
    auto *layout = new QVBoxLayout(this);
    m_pages = Named(new QTabWidget(this), QStringLiteral("Preferences"));
    m_pages->addTab(EmailPage(), QStringLiteral("Email"));
    m_pages->addTab(ConnectionPage(), QStringLiteral("Connection"));
    m_pages->addTab(RdsPage(), QStringLiteral("RDS Output"));
    m_pages->addTab(LoggingPage(), QStringLiteral("Logging"));
    m_pages->addTab(GraphsPage(), QStringLiteral("Graphs and Files"));
    m_networkPage = NetworkPage();
    m_pages->addTab(m_networkPage, QStringLiteral("SNMP and Webhooks"));
    layout->addWidget(m_pages);
    auto *buttons = new QDialogButtonBox(this);
    QPushButton *close = buttons->addButton(QStringLiteral("Close"), QDialogButtonBox::AcceptRole);
    close->setAccessibleName(QStringLiteral("Close"));
    close->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    resize(640, 520);
}

PreferencesDialog::~PreferencesDialog() = default;

QLineEdit *PreferencesDialog::TextField(const QString &key, const QString &name)
{
    auto *edit = Named(new QLineEdit(this), name);
    connect(edit, &QLineEdit::textEdited, this,
            [this, key](const QString &text) { m_prefs.SetText(key, text); });
    m_bindings.push_back({key, edit, [this, key, edit] { edit->setText(m_prefs.Text(key)); }});
    return edit;
}

QCheckBox *PreferencesDialog::FlagBox(const QString &key, const QString &caption)
{
    auto *box = Named(new QCheckBox(caption, this), caption);
    connect(box, &QCheckBox::toggled, this, [this, key](bool on) { m_prefs.SetFlag(key, on); });
    m_bindings.push_back({key, box, [this, key, box] { box->setChecked(m_prefs.Flag(key)); }});
    return box;
}

NumberField *PreferencesDialog::Number(const QString &key, const QString &name)
{
    const PreferenceEntry *entry = FindPreferenceEntry(key);
    auto *field =
        new NumberField(entry->min, entry->max, 1, NumberField::WhenEmptied::Minimum, this);
    field->setAccessibleName(name);
    connect(field, &QSpinBox::valueChanged, this,
            [this, key](int value) { m_prefs.SetInteger(key, value); });
    m_bindings.push_back(
        {key, field, [this, key, field] { field->setValue(m_prefs.Integer(key)); }});
    return field;
}

QComboBox *PreferencesDialog::Items(const QString &key, const QString &name,
                                    const QStringList &items)
{
    auto *box = Named(new QComboBox(this), name);
    box->addItems(items);
    connect(box, &QComboBox::currentIndexChanged, this,
            [this, key](int index) { m_prefs.SetInteger(key, index); });
    m_bindings.push_back(
        {key, box, [this, key, box] { box->setCurrentIndex(m_prefs.Integer(key)); }});
    return box;
}

QButtonGroup *PreferencesDialog::Options(const QString &key, const QStringList &captions,
                                         QWidget *parent)
{
    auto *group = new QButtonGroup(parent);
    auto *layout = new QVBoxLayout(parent);
    for (int i = 0; i < captions.size(); ++i) {
        auto *b = Named(new QRadioButton(captions[i], parent), captions[i]);
        group->addButton(b, i);
        layout->addWidget(b);
    }
    connect(group, &QButtonGroup::idClicked, this,
            [this, key](int id) { m_prefs.SetInteger(key, id); });
    m_bindings.push_back({key, parent, [this, key, group] {
                              const int id = m_prefs.Integer(key);
                              group->setExclusive(false);
                              for (QAbstractButton *b : group->buttons())
                                  b->setChecked(group->id(b) == id);
                              group->setExclusive(true);
                          }});
    return group;
}

QWidget *PreferencesDialog::EmailPage()
{
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(FlagBox(Key("Enable"), QStringLiteral("Enable Email function")));
    layout->addWidget(FlagBox(Key("SendDailyReports"), QStringLiteral("Send daily reports")));
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("From address"),
                 TextField(Key("From"), QStringLiteral("From address")));
    form->addRow(QStringLiteral("Subject"), TextField(Key("Subject"), QStringLiteral("Subject")));
    form->addRow(QStringLiteral("Signature"),
                 TextField(Key("Signature"), QStringLiteral("Signature")));
    form->addRow(QStringLiteral("SMTP server[:port]"),
                 TextField(Key("SMTPServer"), QStringLiteral("SMTP server[:port]")));
    form->addRow(FlagBox(Key("Authenticate"), QStringLiteral("Requires authentication:")));
    form->addRow(QStringLiteral("Username"),
                 TextField(Key("Username"), QStringLiteral("Username")));
    QLineEdit *password = TextField(Key("Password"), QStringLiteral("Password"));
    password->setEchoMode(QLineEdit::Password);
    form->addRow(QStringLiteral("Password"), password);
    form->addRow(FlagBox(Key("TLS"), QStringLiteral("Secure (TLS)")));
    const QString retry = QStringLiteral("Retry while the server is away [min]");
    form->addRow(retry, Number(Key("RetryMinutes"), retry));
    layout->addLayout(form);
    auto *test = new QGroupBox(QStringLiteral("Email Test"), page);
    auto *testLayout = new QHBoxLayout(test);
    testLayout->addWidget(new QLabel(QStringLiteral("To"), test));
    testLayout->addWidget(TextField(Key("To"), QStringLiteral("To")), 1);
    QPushButton *send = Button(QStringLiteral("Send Email"), test);
    testLayout->addWidget(send);
    connect(send, &QPushButton::clicked, this, &PreferencesDialog::SendTestEmail);
    layout->addWidget(test);
    layout->addStretch();
    return page;
}

QWidget *PreferencesDialog::ConnectionPage()
{
    auto *page = new QWidget(this);
    auto *form = new QFormLayout(page);
    const QString timeout = QStringLiteral("Connection timeout [s]");
    const QString attempts = QStringLiteral("Connection attempts before email notification");
    const QString bytes = QStringLiteral("Bytes sent without response before email notification");
    const QString delay = QStringLiteral("Minimum delay between two alarms of the same type [min]");
    form->addRow(timeout, Number(Key("ConnectionTimeout"), timeout));
    form->addRow(attempts, Number(Key("ConnectionAttempts"), attempts));
    form->addRow(bytes, Number(Key("ConnectionBytes"), bytes));
    QCheckBox *ignore =
        FlagBox(Key("IgnoreValues"), QStringLiteral("Ignore values when signal quality is below:"));
    form->addRow(ignore, Items(Key("QualityValue"), QStringLiteral("Signal quality"),
                               {QStringLiteral("Excellent (5)"), QStringLiteral("Good (4)")}));
    form->addRow(delay, Number(Key("SameAlarmDelay"), delay));
    return page;
}

QWidget *PreferencesDialog::RdsPage()
{
    auto *page = new QWidget(this);
    auto *form = new QFormLayout(page);
    QCheckBox *output =
        FlagBox(Key("RDSTCPOutput"), QStringLiteral("Enable RDS output on TCP port:"));
    form->addRow(output, Number(Key("RDSTCPPort"), QStringLiteral("RDS output TCP port")));
    m_deviceBox = Items(Key("RDSLumexDevice"), QStringLiteral("Monitoring device"), {});
    form->addRow(QStringLiteral("Monitoring device"), m_deviceBox);
    form->addRow(FlagBox(Key("RDSLumexAuto"),
                         QStringLiteral("Run RDS Lumex automatically on Vantor start-up")));
    QLineEdit *path = TextField(Key("RDSLumexPath"), QStringLiteral("RDS Lumex exe file path"));
    QPushButton *browse = Button(QStringLiteral("..."), page);
    browse->setAccessibleName(QStringLiteral("Choose RDS Lumex file"));
    connect(browse, &QPushButton::clicked, this, &PreferencesDialog::ChooseDecoder);
    auto *pathRow = new QHBoxLayout;
    pathRow->addWidget(path, 1);
    pathRow->addWidget(browse);
    form->addRow(QStringLiteral("RDS Lumex exe file path"), pathRow);
    form->addRow(QStringLiteral("Programme type names"),
                 Items(Key("RDSPtyNames"), QStringLiteral("Programme type names"),
                       {QStringLiteral("RDS"), QStringLiteral("RBDS (North America)")}));
    auto *link = new QLabel(
        QStringLiteral("<a href=\"https://www.example.com/rds-lumex\">Download RDS Lumex here</a>"),
        page);
    link->setOpenExternalLinks(true);
    link->setTextInteractionFlags(Qt::TextBrowserInteraction);
    link->setAccessibleName(QStringLiteral("Download RDS Lumex here"));
    form->addRow(link);
    return page;
}

QWidget *PreferencesDialog::LoggingPage()
{
    auto *page = new QWidget(this);
    auto *form = new QFormLayout(page);
    form->addRow(FlagBox(Key("LogHistogram"), QStringLiteral("Log Histogram Data")));
    form->addRow(FlagBox(Key("SaveHistogram"), QStringLiteral("Save Histogram Bitmap")));
    form->addRow(FlagBox(Key("LogRDS"), QStringLiteral("Log RDS")));
    form->addRow(FlagBox(Key("LogMeasuring"), QStringLiteral("Log Measurement:")));
    const QString period = QStringLiteral("Logging period [s]");
    form->addRow(period, Number(Key("LoggingPeriod"), period));
    QLineEdit *composition = TextField(Key("LineComposition"), QStringLiteral("Line composition"));
    form->addRow(QStringLiteral("Line composition"), composition);

    auto *presets = new QLabel(QStringLiteral("<a href=\"#\">Presets</a>"), page);
    presets->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    presets->setFocusPolicy(Qt::StrongFocus);
    presets->setAccessibleName(QStringLiteral("Presets"));
    m_presets = new QMenu(this);
    m_presets->setAccessibleName(QStringLiteral("Presets"));
    enum class Preset { Default, Full };
    auto preset = [this, composition](Preset which) {
        if (which == Preset::Full)
            m_prefs.ApplyFullPreset();
        else
            m_prefs.ApplyDefaultPreset();
        composition->setText(m_prefs.Text(Key("LineComposition")));
    };
    connect(m_presets->addAction(QStringLiteral("Default")), &QAction::triggered, this,
            [preset] { preset(Preset::Default); });
    connect(m_presets->addAction(QStringLiteral("Full")), &QAction::triggered, this,
            [preset] { preset(Preset::Full); });
    m_presets->addSeparator();
    m_presets->addAction(QStringLiteral("Cancel"));
    connect(presets, &QLabel::linkActivated, this, [this, presets] {
        m_presets->popup(presets->mapToGlobal(QPoint(0, presets->height())));
    });
    form->addRow(QString(), presets);

    auto *deviation = new QGroupBox(QStringLiteral("FM deviation limit [kHz]"), page);
    auto *devLayout = new QHBoxLayout(deviation);
    devLayout->addWidget(Number(Key("DeviationLimit"), QStringLiteral("Deviation limit [kHz]")));
    devLayout->addWidget(new QLabel(QStringLiteral("+"), deviation));
    devLayout->addWidget(Number(Key("DeviationTolerance"), QStringLiteral("+")));
    devLayout->addStretch();
    form->addRow(deviation);
    form->addRow(Row(page, {FlagBox(Key("DeleteOld"), QStringLiteral("Delete files older than")),
                            Number(Key("DeleteOlderThan"), QStringLiteral("days")),
                            new QLabel(QStringLiteral("days"), page)}));
    return page;
}

QWidget *PreferencesDialog::GraphsPage()
{
    auto *page = new QWidget(this);
    auto *layout = new QGridLayout(page);
    auto *size = new QGroupBox(QStringLiteral("Graph bitmaps"), page);
    auto *sizeForm = new QFormLayout(size);
    sizeForm->addRow(QStringLiteral("Width"), Number(Key("GraphWidth"), QStringLiteral("Width")));
    sizeForm->addRow(QStringLiteral("Height"),
                     Number(Key("GraphHeight"), QStringLiteral("Height")));
    layout->addWidget(size, 0, 0);
    auto *format = new QGroupBox(QStringLiteral("Default format"), page);
    Options(Key("GraphExt"),
            {QStringLiteral("Bitmap (*.bmp)"), QStringLiteral("Compressed (*.jpg)")}, format);
    layout->addWidget(format, 1, 0);
    auto *structure = new QGroupBox(QStringLiteral("Station Logs Structure"), page);
    Options(
        Key("Structure"),
        {QStringLiteral("All stations in the same folder (%1)")
             .arg(QDir::toNativeSeparators(QStringLiteral("StationLogs/station name - file name"))),
         QStringLiteral("Create subfolder for each station (%1)")
             .arg(QDir::toNativeSeparators(QStringLiteral("StationLogs/station name/file name")))},
        structure);
    layout->addWidget(structure, 2, 0, 1, 2);
    layout->addWidget(
        FlagBox(Key("KeepGraphs"), QStringLiteral("Keep older bitmaps in Station Logs")), 3, 0, 1,
        2);
    auto *graphs = new QGroupBox(QStringLiteral("Save graphs at the end of measuring"), page);
    auto *graphsLayout = new QVBoxLayout(graphs);
    m_graphList = Named(new QListWidget(graphs), QStringLiteral("Save graphs"));
    for (int n = 0; n < NamedColumnCount; ++n) {
        auto *item = new QListWidgetItem(MeasurementColumns[n], m_graphList);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    graphsLayout->addWidget(m_graphList);
    layout->addWidget(graphs, 0, 1, 2, 1);
    connect(m_graphList, &QListWidget::itemChanged, this, [this](QListWidgetItem *item) {
        m_prefs.SetFlag(QStringLiteral("LogGraph%1").arg(m_graphList->row(item) + 1),
                        item->checkState() == Qt::Checked);
    });
    return page;
}

QWidget *PreferencesDialog::Control(const QString &key) const
{
    for (const Binding &b : m_bindings) {
        if (b.key == key)
            return b.widget;
    }
    return nullptr;
}

void PreferencesDialog::Load()
{
    {
        const QSignalBlocker block(m_deviceBox);
        m_deviceBox->clear();
        m_deviceBox->addItems(m_prefs.DeviceNames());
    }
    for (const Binding &b : m_bindings) {
        const QSignalBlocker block(b.widget);
        b.show();
    }
    const QSignalBlocker block(m_graphList);
    for (int n = 0; n < NamedColumnCount; ++n)
        m_graphList->item(n)->setCheckState(
            m_prefs.Flag(QStringLiteral("LogGraph%1").arg(n + 1)) ? Qt::Checked : Qt::Unchecked);
}

int PreferencesDialog::exec()
{
    Load();
    return QDialog::exec();
}

void PreferencesDialog::done(int result)
{
    // A number still being typed counts as it will once the field is left.
    for (const Binding &b : m_bindings) {
        if (auto *field = qobject_cast<NumberField *>(b.widget))
            field->interpretText();
    }
    if (!CheckWebhookUrls())
        return;
    QDialog::done(result);
    m_engine.UpdateRdsOutput(false);
}

void PreferencesDialog::SendTestEmail()
{
    m_testMailer(m_engine, [this](const QString &text) { m_prompts.inform(this, text); });
}

void PreferencesDialog::ChooseDecoder()
{
    const QString file = m_prompts.openFile(this, ProgramFileFilter());
    if (file.isEmpty())
        return;
    m_prefs.SetText(QStringLiteral("RDSLumexPath"), file);
    for (const Binding &b : m_bindings) {
        if (b.key == QLatin1String("RDSLumexPath"))
            b.show();
    }
}

} // namespace vantor
