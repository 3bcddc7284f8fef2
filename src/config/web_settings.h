// The "[Web]" section of "config.ini": whether the built-in web server runs,
// where it listens and the access token it asks for. The section lives beside
// the Preferences keys; saving them keeps it, as every line not written stays.
#pragma once

#include "ini_file.h"

#include <QString>

namespace vantor {

struct WebSettings {
    bool enabled = false;
    QString address = QStringLiteral("127.0.0.1");
    int port = 8080;
    QString token; // empty: none
    // "TokenRole=operator" lets the token act as well as look; any other
    // value, or none, keeps it a viewer's.
    bool tokenIsOperator = false;
    // PEM files of the server's certificate (its chain may follow) and
    // private key; with both, the server speaks HTTPS only.
    QString certificate;
    QString key;
    // "AllowPlainHttp=true": the operator accepts plain HTTP on an address
    // other than loopback, passwords and cookies readable on the way.
    bool allowPlainHttp = false;
    // "SessionIdleSeconds": a login session ends after this long unused
    // (at least 10; 1800 by default).
    int sessionIdleSeconds = 1800;
};

// The keys of "[Web]"; missing keys keep the defaults.
WebSettings ReadWebSettings(const IniFile &ini);

// "[ADDR:]PORT" as given on the command line: "8080", "0.0.0.0:8080",
// "[::1]:8080". False for anything else, or a port outside 1 ... 65535.
bool ParseListenAddress(const QString &text, QString *address, int *port);

} // namespace vantor
