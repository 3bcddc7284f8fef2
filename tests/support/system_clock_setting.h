// For the few tests that set the real system clock to see the "clock was set"
// notice arrive. Setting the clock changes the machine the tests run on, so
// those tests run only when asked for with VANTOR_TEST_SET_CLOCK=1; the
// notice's handling is otherwise covered by injecting it.
#pragma once

#include <QString>

namespace vantor::test {

// Empty when the tests that set the clock were asked for; else why they skip.
QString ClockSettingSkipReason();

// Sets the system clock to the time it already shows: a real "clock was set"
// event that moves the time by no more than the call takes. False (errno set)
// where that is not permitted.
bool SetClockToNow();

} // namespace vantor::test
