// A working station without hardware: a demo configuration (one analyzer,
// three stations, an alarm set, short visits in an endless loop) and the
// analyzer simulator inside the program on a loopback port.
#pragma once

#include "analyzer-sim/simulator.h"

#include <QString>

namespace vantor {

class DemoStation
{
public:
    DemoStation();

    // Writes the demo configuration when dataFolder has no "devices.ini" yet,
    // then starts the simulator: on the port the demo device names when that
    // is free, otherwise on a free one, which the device is then pointed at.
    // False with a message when the simulator cannot listen.
    bool prepare(const QString &dataFolder, QString *error);

    int port() const { return m_port; }

private:
    sim::Simulator m_simulator;
    int m_port = -1;
};

// Name of the demo folder beside the normal per-user data folder.
QString DemoDataFolder();

} // namespace vantor
