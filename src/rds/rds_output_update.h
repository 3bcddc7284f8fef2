// Bringing the RDS output into line with the settings, at start-up and after
// each visit to the Preferences dialog: listening or not, announcing the port,
// and whether the decoder is due to be started automatically.
#pragma once

#include "model.h"
#include "rds_output_server.h"

#include <QString>

namespace vantor {

// The settings the RDS output reads ("RDSTCPOutput", "RDSTCPPort",
// "RDSLumexAuto", "RDSLumexDevice").
struct RdsOutputSettings {
    bool enabled = false;
    int port = 16;
    bool lumexAuto = false;
    int lumexDevice = 0;
};

// What the caller still has to do after ApplyRdsOutputSettings.
struct RdsOutputFollowUp {
    // Write RdsOutputAvailableLine(globals.RdsOutputPort) to the application
    // log, then pause 300 ms.
    bool announce = false;
    // Launch the decoder as the start-up launch.
    bool launchDecoder = false;

    bool operator==(const RdsOutputFollowUp &) const = default;
};

// Stops the server when the output is off (RdsOutputPort becomes -1), else
// makes it listen on the configured port. A port that could not be listened on
// ends the update: the server has reported why. A newly listened port is stored
// in RdsOutputPort and announced; the start-up launch is due once per run
// (RdsLumexAutoStarted is set here) when autoStart is set, it is configured and
// a monitoring device is chosen.
RdsOutputFollowUp ApplyRdsOutputSettings(RdsOutputServer &server, const RdsOutputSettings &settings,
                                         bool autoStart, TGlobals &globals);

QString RdsOutputAvailableLine(int port);

} // namespace vantor
