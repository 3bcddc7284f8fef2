// One station event as the JSON document a webhook receives (schema in
// docs/webhooks.md).
#pragma once

#include "station_events.h"

#include <QByteArray>

namespace vantor {

QByteArray StationEventJson(const StationEvent &event);

} // namespace vantor
