// The one-line summary a service manager shows for the running station:
// how many devices it drives, how many are connected, and its alarms.
#pragma once

#include "model.h"

#include <QString>

#include <vector>

namespace vantor {

// For example "3 devices, 2 connected; 1 alarm active, 2 pending".
QString ServiceStatusLine(const std::vector<TDevice> &devices);

} // namespace vantor
