// A started engine on a fixed clock and the fake device library, with one
// device connected and measuring on a station, for the targets that feed the
// engine. It is made once per process: starting an engine writes folders and
// logs, far too slow for every input.
#pragma once

#include "engine.h"
#include "engine_tables.h"
#include "fake_clock.h"
#include "fake_device_library.h"

#include <QCoreApplication>
#include <QTemporaryDir>

namespace vantor::fuzz {

class FuzzStation
{
public:
    static FuzzStation &Instance();

    // Back to a freshly tuned device, so one input's effects do not leak into
    // the next one's run.
    void Reset();

    FakeClock clock;
    FakeDeviceLibrary library;
    HeadlessView view;
    Engine engine;

private:
    FuzzStation();

    QTemporaryDir m_folder;
};

} // namespace vantor::fuzz
