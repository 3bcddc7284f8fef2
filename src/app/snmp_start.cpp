#include "snmp_start.h"

#include "snmp_settings.h"

#include <QDir>

namespace vantor {

std::unique_ptr<SnmpAgent> StartSnmp(Engine &engine, const QString &dataFolder,
                                     const CommandLine &options)
{
    SnmpSettings settings =
        ReadSnmpSettings(IniFile(QDir(dataFolder).filePath(QStringLiteral("config.ini"))));
    if (!options.snmpAgentx.isEmpty()) {
        settings.enabled = true;
        settings.agentxSocket = options.snmpAgentx;
    }
    if (!settings.enabled)
        return nullptr;
    return std::make_unique<SnmpAgent>(engine, settings.agentxSocket);
}

} // namespace vantor
