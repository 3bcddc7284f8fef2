// The SNMP subagent of a running station: "[SNMP]" of "config.ini",
// overridden by --snmp-agentx.
#pragma once

#include "command_line.h"
#include "snmp_agent.h"

#include <memory>

namespace vantor {

// Null when SNMP is off.
std::unique_ptr<SnmpAgent> StartSnmp(Engine &engine, const QString &dataFolder,
                                     const CommandLine &options);

} // namespace vantor
