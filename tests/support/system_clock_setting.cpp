#include "system_clock_setting.h"

#include <cerrno>
#include <cstring>
#include <ctime>

namespace vantor::test {

QString ClockSettingSkipReason()
{
    if (qEnvironmentVariable("VANTOR_TEST_SET_CLOCK") == QLatin1String("1"))
        return {};
    return QStringLiteral("this test sets the system clock (to the time it shows); run with "
                          "VANTOR_TEST_SET_CLOCK=1 to include it");
}

bool SetClockToNow()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return clock_settime(CLOCK_REALTIME, &now) == 0;
}

} // namespace vantor::test
