// The program's command line.
#pragma once

#include "web_user_command.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace vantor {

struct CommandLine {
    QString dataDir; // empty: the per-user default (or VANTOR_DATA_DIR)
    bool headless = false;
    // A station on the built-in analyzer simulator, in a folder of its own.
    bool demo = false;
    // --http [ADDR:]PORT: the web server on, there (else "[Web]" decides);
    // --http-token-file: its access token, read from that file.
    QString http;
    QString httpTokenFile;
    // --web-user VERB [NAME] [--role ROLE]: edit the web users, then exit.
    std::optional<WebUserCommand> webUser;
    // --snmp-agentx SOCKET: the AgentX subagent on, joining snmpd there.
    QString snmpAgentx;
};

struct CommandLineResult {
    std::optional<CommandLine> options; // set when the program should run
    int exitCode = 0;                   // otherwise: exit with this code
    QString output;                     // text for stdout (help, version)
    QString error;                      // one line for stderr
};

CommandLineResult ParseCommandLine(const QStringList &arguments);

// The data folder for these options: --data-dir; for the demo "Vantor Demo"
// beside the normal folder, so it never touches a real configuration; else
// VANTOR_DATA_DIR, else the per-user application data location + "Vantor".
QString ResolveDataFolder(const CommandLine &options);

} // namespace vantor
