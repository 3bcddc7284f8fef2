#include "webhook_start.h"

#include "engine.h"
#include "station_event_json.h"
#include "webhook_settings.h"

#include <QDir>
#include <QFile>

#include <algorithm>

namespace vantor {

StationWebhooks StartWebhooks(Engine &engine, const QString &dataFolder,
                              const WebhookTiming &timing)
{
    const QString config = QDir(dataFolder).filePath(QStringLiteral("config.ini"));
    const std::vector<WebhookTarget> targets = ReadWebhooks(IniFile(config));
    if (targets.empty())
        return {};
    // A secret written into the file by hand must not stay readable by others.
    const bool secrets = std::any_of(targets.begin(), targets.end(),
                                     [](const WebhookTarget &t) { return !t.secret.isEmpty(); });
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                            QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                            QFileDevice::WriteOther | QFileDevice::ExeOther;
    if (secrets && (QFile::permissions(config) & others)) {
        const bool tightened =
            QFile::setPermissions(config, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        engine.AddToActivityLog(-1, tightened ? QStringLiteral("config.ini holds webhook secrets: "
                                                               "made readable by its owner only")
                                              : QStringLiteral("config.ini holds webhook secrets "
                                                               "but could not be made private"));
    }
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
