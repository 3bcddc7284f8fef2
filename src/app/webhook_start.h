// The webhooks of a running station: "[Webhook]" of "config.ini". Every alarm
// raised or cleared and every link lost or regained goes to each receiver
// as one JSON post; a post given up is told in "app.log".
#pragma once

#include "station_events.h"
#include "webhook_sender.h"

#include <memory>

namespace vantor {

struct StationWebhooks {
    std::unique_ptr<StationEventWatcher> watcher;
    std::unique_ptr<WebhookSender> sender;
};

// Nothing runs when no webhook is set.
StationWebhooks StartWebhooks(Engine &engine, const QString &dataFolder,
                              const WebhookTiming &timing = {});

} // namespace vantor
