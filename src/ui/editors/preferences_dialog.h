// The Preferences dialog (TFPref): every system-wide setting, edited live in
// the engine's Preferences, so a change takes effect at once (SNMP and the
// webhooks at the next start). Closing it brings the RDS output into line with
// the settings; it stays open while a webhook address is not http or https.
// The file is written only by "Save Settings".
#pragma once

#include "editor_prompts.h"

#include <QDialog>

#include <functional>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QTabWidget;

namespace vantor {

class Engine;
class NumberField;
class Preferences;

class PreferencesDialog : public QDialog
{
    Q_OBJECT

public:
    // Sends the test message and reports the text to show through the callback.
    using TestMailer = std::function<void(Engine &, std::function<void(const QString &)>)>;

    PreferencesDialog(Engine &engine, QWidget *parent = nullptr);
    ~PreferencesDialog() override;

    void SetPrompts(EditorPrompts prompts) { m_prompts = std::move(prompts); }
    void SetTestMailer(TestMailer mailer) { m_testMailer = std::move(mailer); }

    // Shows the settings as they are now. exec() does this first.
    void Load();
    int exec() override;
    void done(int result) override;

    // "Send Email" of the group "Email Test".
    void SendTestEmail();
    QMenu *PresetsMenu() const { return m_presets; }
    // The "..." beside the decoder path.
    void ChooseDecoder();

    QTabWidget *Pages() const { return m_pages; }
    // The control holding a setting, by its key in "config.ini".
    QWidget *Control(const QString &key) const;

private:
    struct Binding {
        QString key;
        QWidget *widget;
        std::function<void()> show; // the model's value into the control
    };

    QWidget *EmailPage();
    QWidget *ConnectionPage();
    QWidget *RdsPage();
    QWidget *LoggingPage();
    QWidget *GraphsPage();
    QWidget *NetworkPage(); // preferences_network_page.cpp
    // Each webhook address is one the posts can go to; otherwise says why
    // not and shows the field.
    bool CheckWebhookUrls();

    QLineEdit *TextField(const QString &key, const QString &name);
    QCheckBox *FlagBox(const QString &key, const QString &caption);
    NumberField *Number(const QString &key, const QString &name);
    QComboBox *Items(const QString &key, const QString &name, const QStringList &items);
    QButtonGroup *Options(const QString &key, const QStringList &captions, QWidget *parent);

    Engine &m_engine;
    Preferences &m_prefs;
    EditorPrompts m_prompts = EditorPrompts::Standard();
    TestMailer m_testMailer;
    std::vector<Binding> m_bindings;
    QTabWidget *m_pages;
    QMenu *m_presets;
    QComboBox *m_deviceBox = nullptr;
    QListWidget *m_graphList = nullptr;
    QWidget *m_networkPage = nullptr;
};

} // namespace vantor
