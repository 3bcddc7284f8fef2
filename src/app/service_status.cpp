#include "service_status.h"

namespace vantor {

namespace {
QString Counted(int count, const char *singular, const char *plural)
{
    return QString::number(count) + QLatin1Char(' ') +
           QLatin1String(count == 1 ? singular : plural);
}
} // namespace

QString ServiceStatusLine(const std::vector<TDevice> &devices)
{
    int connected = 0;
    int active = 0;
    int pending = 0;
    for (const TDevice &d : devices) {
        // The connection tick marks a link it has announced as up with -1.
        if (d.Handle >= 0 && d.ConnectCountdown == -1)
            ++connected;
        for (int kind = 0; kind < AlarmKindCount; ++kind) {
            if (d.AlarmActive[kind])
                ++active;
            else if (d.AlarmStart[kind] != 0)
                ++pending;
        }
    }
    return Counted(static_cast<int>(devices.size()), "device", "devices") + QStringLiteral(", ") +
           QString::number(connected) + QStringLiteral(" connected; ") +
           Counted(active, "alarm active", "alarms active") + QStringLiteral(", ") +
           QString::number(pending) + QStringLiteral(" pending");
}

} // namespace vantor
