// "vantor --web-user add|passwd|remove|list": edits the web users' file in
// the data folder. The program need not be stopped: the server reads the file
// again when it changes, and the file is replaced whole, never half written.
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

namespace vantor {

struct WebUserCommand {
    QString verb; // add, passwd, remove, list
    QString name;
    QString role; // for add
};

// Reads a new password (the error set when none came).
using PasswordReader = std::function<std::optional<QByteArray>(QString *error)>;

struct WebUserCommandResult {
    int exitCode = 0;
    QString output; // for stdout
    QString error;  // for stderr, one line
};

inline constexpr int MinWebPasswordLength = 8;

WebUserCommandResult RunWebUserCommand(const WebUserCommand &command, const QString &dataFolder,
                                       const PasswordReader &readPassword);

} // namespace vantor
