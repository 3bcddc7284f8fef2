// The overview of every device in one compact row each, as the overview page
// shows it: link, station, mode and its countdown, the key values as numbers
// with their units, and one state per alarm kind of the engine's table.
#pragma once

#include <QByteArray>

namespace vantor {

class Engine;

QByteArray OverviewJson(Engine &engine);

} // namespace vantor
