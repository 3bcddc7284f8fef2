#include "rds_socket_errors.h"

namespace vantor {

QString SocketErrorText(QAbstractSocket::SocketError error)
{
    // Qt folds the system's error numbers into these kinds; each kind takes the
    // Windows Sockets code that the same failure raises there (code in front).
    switch (error) {
    case QAbstractSocket::SocketAccessError: // 10013
        return QStringLiteral("Permission denied");
    case QAbstractSocket::OperationError: // 10022
        return QStringLiteral("Invalid argument");
    case QAbstractSocket::SocketResourceError: // 10024
        return QStringLiteral("Too many open files");
    case QAbstractSocket::TemporaryError: // 10035
        return QStringLiteral("Operation would block");
    case QAbstractSocket::UnfinishedSocketOperationError: // 10036
        return QStringLiteral("Operation now in progress");
    case QAbstractSocket::DatagramTooLargeError: // 10040
        return QStringLiteral("Message too long");
    case QAbstractSocket::UnsupportedSocketOperationError: // 10047
        return QStringLiteral("Address family not supported by protocol family");
    case QAbstractSocket::AddressInUseError: // 10048
        return QStringLiteral("Address already in use");
    case QAbstractSocket::SocketAddressNotAvailableError: // 10049
        return QStringLiteral("Can't assign requested address");
    case QAbstractSocket::NetworkError: // 10050
        return QStringLiteral("Network is down");
    case QAbstractSocket::RemoteHostClosedError: // 10054
        return QStringLiteral("Connection reset by peer");
    case QAbstractSocket::SocketTimeoutError: // 10060
        return QStringLiteral("Connection timed out");
    case QAbstractSocket::ConnectionRefusedError: // 10061
        return QStringLiteral("Connection refused");
    case QAbstractSocket::HostNotFoundError: // 11001
        return QStringLiteral("Host not found");
    default:
        return QStringLiteral("Not a WinSock error ?");
    }
}

QString RdsOutputErrorLine(const QString &text)
{
    return QStringLiteral("RDS output: ") + text;
}

} // namespace vantor
