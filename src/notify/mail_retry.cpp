#include "mail_retry.h"

#include <algorithm>

namespace vantor {

namespace {

// The class digit of the server's last reply, carried as "(server: NNN ...)"
// at the end of a status; 0 when the server said nothing.
int ServerReplyClass(const QString &status)
{
    static const QLatin1String marker("(server: ");
    const qsizetype at = status.lastIndexOf(marker);
    if (at < 0 || at + marker.size() >= status.size())
        return 0;
    const QChar digit = status.at(at + marker.size());
    return digit.isDigit() ? digit.digitValue() : 0;
}

} // namespace

bool TransientMailFailure(const QString &status)
{
    const int reply = ServerReplyClass(status);
    if (reply == 4)
        return true;
    if (reply == 5)
        return false;
    return status.startsWith(QLatin1String("connection refused")) ||
           status.startsWith(QLatin1String("server not found")) ||
           status.startsWith(QLatin1String("time-out")) ||
           // The connection dropped without a word from the server.
           (status.startsWith(QLatin1String("sending failed")) && reply == 0);
}

int RetryDelayMs(int attempt, int firstMs, int longestMs)
{
    qint64 delay = firstMs;
    for (int k = 1; k < attempt && delay < longestMs; ++k)
        delay *= 2;
    return static_cast<int>(std::min<qint64>(delay, longestMs));
}

QString GivenUpStatus(int attempts, const QString &lastStatus)
{
    return QStringLiteral("given up after %1 attempts, the last: ").arg(attempts) + lastStatus;
}

} // namespace vantor
