// Where serial port COMn of a device entry lives on this machine.
#pragma once

#include <QString>

namespace vantor {

// On Windows "COMn". Elsewhere dataFolder/ports/COMn when the operator has put
// an entry there (normally a symlink to e.g. /dev/ttyUSB0; a dangling symlink
// still counts, so an unplugged adapter fails to open instead of quietly
// falling back to another port), else /dev/ttyS(n-1). An empty
// dataFolder has no operator entries.
QString serialPortPath(const QString &dataFolder, int comPort);

} // namespace vantor
