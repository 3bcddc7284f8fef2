// The Preferences page for the network operations centre: the SNMP subagent
// ("[SNMP]") and the webhook receivers ("[Webhook]"), both read when the
// program starts.
#include "preferences_dialog.h"

#include "editor_widgets.h"
#include "preferences.h"
#include "webhook_settings.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace vantor {

namespace {
QString UrlKey(int slot)
{
    return QStringLiteral("URL%1").arg(slot);
}

// Why the address cannot take the posts, or nothing when it can (an empty
// one is no receiver).
QString UrlRefusal(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return QString();
    const QUrl url(trimmed, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")) ||
        url.host().isEmpty())
        return QStringLiteral("is not an http:// or https:// address with a host name");
    return QString();
}
} // namespace

QWidget *PreferencesDialog::NetworkPage()
{
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);

    auto *snmp = new QGroupBox(QStringLiteral("SNMP"), page);
    snmp->setAccessibleName(snmp->title());
    auto *snmpForm = new QFormLayout(snmp);
    snmpForm->addRow(FlagBox(QStringLiteral("SNMPEnable"),
                             QStringLiteral("Answer SNMP as an AgentX subagent of snmpd")));
    QLineEdit *socket = TextField(QStringLiteral("AgentXSocket"), QStringLiteral("AgentX socket"));
    socket->setPlaceholderText(QStringLiteral("net-snmp's default (/var/agentx/master)"));
    snmpForm->addRow(QStringLiteral("AgentX socket"), socket);
    layout->addWidget(snmp);

    auto *hooks = new QGroupBox(QStringLiteral("Webhooks"), page);
    hooks->setAccessibleName(hooks->title());
    auto *hooksForm = new QFormLayout(hooks);
    for (int slot = 1; slot <= WebhookSlots; ++slot) {
        const QString url = QStringLiteral("URL %1").arg(slot);
        QLineEdit *address = TextField(UrlKey(slot), url);
        address->setPlaceholderText(QStringLiteral("https://"));
        hooksForm->addRow(url, address);
        const QString secret = QStringLiteral("Secret %1").arg(slot);
        QLineEdit *key = TextField(QStringLiteral("Secret%1").arg(slot), secret);
        key->setEchoMode(QLineEdit::Password);
        key->setPlaceholderText(QStringLiteral("none: posts are not signed"));
        hooksForm->addRow(secret, key);
    }
    layout->addWidget(hooks);

    auto *note = new QLabel(QStringLiteral("Changes here take effect at the next start."), page);
    note->setAccessibleName(note->text());
    layout->addWidget(note);
    layout->addStretch();
    return page;
}

bool PreferencesDialog::CheckWebhookUrls()
{
    for (int slot = 1; slot <= WebhookSlots; ++slot) {
        const QString url = m_prefs.Text(UrlKey(slot));
        if (const QString refusal = UrlRefusal(url); !refusal.isEmpty()) {
            m_pages->setCurrentWidget(m_networkPage);
            Control(UrlKey(slot))->setFocus();
            m_prompts.inform(this, QStringLiteral("Webhook URL %1 \"%2\" %3.")
                                       .arg(QString::number(slot), url, refusal));
            return false;
        }
    }
    return true;
}

} // namespace vantor
