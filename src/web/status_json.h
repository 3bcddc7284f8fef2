// The station's state as the JSON of /api/v1/status (schema in
// docs/web-api.md); the status page shows the same document. Written straight
// as text: the page asks for it every second, for hundreds of devices.
#pragma once

#include <QByteArray>

namespace vantor {

class Engine;

// How many of a device's last activity lines the document carries.
inline constexpr int StatusActivityLines = 10;

QByteArray StatusJson(Engine &engine);
// The station list: {"stations":[{"name","frequency_mhz","device"}]}.
QByteArray StationsJson(const Engine &engine);
// One device's entry of the document, as its "devices" list has it.
QByteArray DeviceStatusJson(Engine &engine, int device);

} // namespace vantor
