#include "webhook_settings.h"

namespace vantor {

std::vector<WebhookTarget> ReadWebhooks(const IniFile &ini)
{
    const QString section = QStringLiteral("Webhook");
    std::vector<WebhookTarget> targets;
    for (int slot = 1; slot <= WebhookSlots; ++slot) {
        WebhookTarget target{
            ini.ReadString(section, QStringLiteral("URL%1").arg(slot), QString()).trimmed(),
            ini.ReadString(section, QStringLiteral("Secret%1").arg(slot), QString())};
        if (!target.url.isEmpty())
            targets.push_back(std::move(target));
    }
    return targets;
}

} // namespace vantor
