// The station runner passes the notice that the system clock was set on to the
// engine, which logs it. The notice is injected: a real one needs the clock
// set (headless process test, with VANTOR_TEST_SET_CLOCK=1).
#include "fake_device_library.h"
#include "station_runner.h"
#include "test_support.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vantor;
using namespace vantor::test;

TEST(StationRunner, ANoticeThatTheClockWasSetIsLogged)
{
    QTemporaryDir tmp;
    HeadlessView view;
    StationRunner runner(std::make_unique<FakeDeviceLibrary>(), view);
    runner.start(tmp.path(), tmp.path() + QStringLiteral("/station"));
    const QLatin1String notice("System time has changed");
    ASSERT_FALSE(
        runner.engine().Globals().AppActivityLines.join(QLatin1Char('\n')).contains(notice));

    emit runner.timeWatcher().timeChanged();
    EXPECT_TRUE(
        runner.engine().Globals().AppActivityLines.join(QLatin1Char('\n')).contains(notice));
    int exitCode = -1;
    runner.shutDown([&exitCode](int code) { exitCode = code; });
    EXPECT_TRUE(waitFor([&] { return exitCode == 0; }));
}
