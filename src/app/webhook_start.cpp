#include "webhook_start.h"

#include "engine.h"
#include "station_event_json.h"
#include "webhook_settings.h"

#include <QDir>

namespace vantor {

StationWebhooks StartWebhooks(Engine &engine, const QString &dataFolder,
                              const WebhookTiming &timing)
{
    const std::vector<WebhookTarget> targets =
        ReadWebhooks(IniFile(QDir(dataFolder).filePath(QStringLiteral("config.ini"))));
    if (targets.empty())
        return {};
    std::vector<WebhookSender::Receiver> receivers;
    for (const WebhookTarget &target : targets)
        receivers.push_back({target.url, target.secret.toUtf8()});
    StationWebhooks hooks;
    hooks.watcher = std::make_unique<StationEventWatcher>(engine);
    hooks.sender = std::make_unique<WebhookSender>(std::move(receivers), timing);
    QObject::connect(hooks.watcher.get(), &StationEventWatcher::happened, hooks.sender.get(),
                     [sender = hooks.sender.get()](const StationEvent &event) {
                         sender->Post(StationEventJson(event));
                     });
    QObject::connect(hooks.sender.get(), &WebhookSender::gaveUp, &engine,
                     [&engine](const QString &line) { engine.AddToActivityLog(-1, line); });
    engine.AddToActivityLog(-1, QStringLiteral("Webhooks: %1 receivers").arg(targets.size()));
    return hooks;
}

} // namespace vantor
