// The engine's tables open for writing, for tests, benchmarks and fuzz
// targets that set up a state no operator reaches in one step. The program
// itself reads them through Engine's const accessors and changes them only
// through its operations.
#pragma once

#include "engine.h"

#include <vector>

namespace vantor {

class EngineTables
{
public:
    explicit EngineTables(Engine &engine)
        : Devices(engine.Devices), DevicesToSave(engine.DevicesToSave), Stations(engine.Stations),
          AlarmSets(engine.AlarmSets), Folders(engine.Folders), G(engine.G)
    {}

    // Named as the engine names them, so a test reads as the engine's code does.
    std::vector<TDevice> &Devices;
    std::vector<TDeviceToSave> &DevicesToSave;
    std::vector<TStation> &Stations;
    std::vector<TAlarmSet> &AlarmSets;
    FolderSet &Folders;
    TGlobals &G;
};

inline EngineTables Tables(Engine &engine)
{
    return EngineTables(engine);
}

} // namespace vantor
