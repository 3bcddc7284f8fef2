// The status line systemd shows: what counts as connected, active and
// pending, and the numbers' words.
#include "service_status.h"

#include <gtest/gtest.h>

using namespace vantor;

namespace {
TDevice Device(int handle, int connectCountdown)
{
    TDevice d;
    d.Handle = handle;
    d.ConnectCountdown = connectCountdown;
    return d;
}
} // namespace

TEST(ServiceStatusLine, CountsDevicesLinksAndAlarms)
{
    EXPECT_EQ(ServiceStatusLine({}),
              QStringLiteral("0 devices, 0 connected; 0 alarms active, 0 pending"));

    // Registered and announced up; registered and waiting to retry; never
    // registered (a countdown of -1 alone is not a link).
    std::vector<TDevice> devices{Device(0, -1), Device(1, 12), Device(-1, -1)};
    EXPECT_EQ(ServiceStatusLine(devices),
              QStringLiteral("3 devices, 1 connected; 0 alarms active, 0 pending"));

    // An active alarm also keeps its start time; it counts once, as active.
    devices[0].AlarmStart[AlarmSilence] = 45000.5;
    devices[0].AlarmActive[AlarmSilence] = true;
    devices[1].AlarmStart[AlarmPilot] = 45000.6;
    EXPECT_EQ(ServiceStatusLine(devices),
              QStringLiteral("3 devices, 1 connected; 1 alarm active, 1 pending"));

    devices[1].AlarmActive[AlarmPilot] = true;
    EXPECT_EQ(ServiceStatusLine(devices),
              QStringLiteral("3 devices, 1 connected; 2 alarms active, 0 pending"));
    devices.resize(1);
    EXPECT_EQ(ServiceStatusLine(devices),
              QStringLiteral("1 device, 1 connected; 1 alarm active, 0 pending"));
}
