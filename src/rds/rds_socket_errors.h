// Texts of the RDS output's socket failures: each failure is described by the
// classic text of the Windows Sockets error code it stands for, so the log
// reads the same on every platform.
#pragma once

#include <QAbstractSocket>
#include <QString>

namespace vantor {

// The Windows Sockets text for a socket failure; "Not a WinSock error ?" for a
// failure that has no Windows Sockets code.
QString SocketErrorText(QAbstractSocket::SocketError error);

// The application log line of a failure of the RDS output server.
QString RdsOutputErrorLine(const QString &text);

} // namespace vantor
