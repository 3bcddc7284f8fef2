// The "SMTPServer" setting read as a host and a port: "host" or "host:port".
#pragma once

#include <QString>

namespace vantor {

inline constexpr int DefaultSmtpPort = 25;

struct SmtpServer {
    QString host;
    int port = DefaultSmtpPort;

    bool operator==(const SmtpServer &) const = default;
};

// A first ":" at the fourth character or later splits host from port; the
// port is the number written in at most five characters after it, 25 when
// they are not a number. An earlier ":" is part of the host name.
SmtpServer ParseSmtpServer(const QString &setting);

} // namespace vantor
