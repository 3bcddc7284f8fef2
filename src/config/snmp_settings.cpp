#include "snmp_settings.h"

namespace vantor {

SnmpSettings ReadSnmpSettings(const IniFile &ini)
{
    const QString section = QStringLiteral("SNMP");
    SnmpSettings settings;
    settings.enabled = ini.ReadBool(section, QStringLiteral("Enable"), false);
    settings.agentxSocket = ini.ReadString(section, QStringLiteral("AgentXSocket"), QString());
    return settings;
}

} // namespace vantor
