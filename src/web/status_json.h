// The station's state as the JSON of /api/v1/status (schema in
// docs/web-api.md); the status page shows the same document.
#pragma once

#include <QJsonObject>

namespace vantor {

class Engine;

// How many of a device's last activity lines the document carries.
inline constexpr int StatusActivityLines = 10;

QJsonObject StatusJson(Engine &engine);

} // namespace vantor
