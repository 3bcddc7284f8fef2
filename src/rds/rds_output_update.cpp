#include "rds_output_update.h"

namespace vantor {

RdsOutputFollowUp ApplyRdsOutputSettings(RdsOutputServer &server, const RdsOutputSettings &settings,
                                         bool autoStart, TGlobals &globals)
{
    RdsOutputFollowUp followUp;
    if (!settings.enabled) {
        globals.RdsOutputPort = -1;
        server.Stop();
        return followUp;
    }
    if (!server.Start(settings.port))
        return followUp;
    if (settings.port != globals.RdsOutputPort) {
        globals.RdsOutputPort = settings.port;
        followUp.announce = true;
    }
    if (settings.lumexAuto && autoStart && !globals.RdsLumexAutoStarted &&
        settings.lumexDevice >= 0) {
        globals.RdsLumexAutoStarted = true;
        followUp.launchDecoder = true;
    }
    return followUp;
}

QString RdsOutputAvailableLine(int port)
{
    return QStringLiteral("RDS output: Available on TCP port ") + QString::number(port);
}

} // namespace vantor
