// The station's figures in the Prometheus text exposition format: per device
// its latest values, link, mode, traffic, alarms and e-mails; per station the
// deviation histogram; per process CPU, memory, descriptors and start time.
#pragma once

#include "process_figures.h"
#include "webhook_sender.h"

#include <QByteArray>

namespace vantor {

class Engine;

// webhooks: the totals of the station's webhook sender (none: no webhook is
// set, and nothing was posted).
QByteArray MetricsText(Engine &engine, const ProcessFigures &process,
                       const WebhookTotals &webhooks = {});

} // namespace vantor
