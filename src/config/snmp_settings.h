// The "[SNMP]" section of "config.ini": whether the station joins the
// machine's snmpd as an AgentX subagent, and at which socket.
#pragma once

#include "ini_file.h"

#include <QString>

namespace vantor {

struct SnmpSettings {
    bool enabled = false;
    QString agentxSocket; // empty: net-snmp's own default (/var/agentx/master)
};

SnmpSettings ReadSnmpSettings(const IniFile &ini);

} // namespace vantor
