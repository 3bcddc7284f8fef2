#include "connection_entry.h"

#include "platform_utils.h"

namespace vantor {

ConnectionEntry ParseConnectionEntry(const QString &entry)
{
    ConnectionEntry result;
    if (entry.isEmpty())
        return result;
    result.kind = ConnectionEntry::Invalid;
    // The kind is decided on the upper-cased text; the host keeps its case.
    if (entry.left(3).toUpper() == QLatin1String("COM")) {
        const QString rest = entry.mid(3);
        const qsizetype colon = rest.indexOf(QLatin1Char(':'));
        const int n = StrToIntDefault(colon < 0 ? rest : rest.left(colon), 0);
        if (n < 1 || n > 255)
            return result;
        result.kind = ConnectionEntry::Serial;
        result.comPort = n;
        result.speed = colon < 0 ? 0 : StrToIntDefault(rest.mid(colon + 1), 0);
        return result;
    }
    const qsizetype colon = entry.indexOf(QLatin1Char(':'));
    if (colon < 0)
        return result;
    const QString host = entry.left(colon);
    const int port = StrToIntDefault(entry.mid(colon + 1), 0);
    if (host.isEmpty() || port < 1 || port > 65535)
        return result;
    result.kind = ConnectionEntry::Tcp;
    result.host = host;
    result.port = port;
    return result;
}

} // namespace vantor
