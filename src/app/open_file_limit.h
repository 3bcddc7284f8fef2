// A station keeps four files or sockets open per device (link, activity log,
// CSV and RDS logs); the usual soft limit of 1024 would stop it at about 250
// devices, so the soft limit is raised to the hard one at start.
#pragma once

namespace vantor {

// The soft limit now in force (0 where there is no such limit).
long RaiseOpenFileLimit();

} // namespace vantor
