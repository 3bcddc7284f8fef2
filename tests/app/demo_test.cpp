// End to end: "vantor --demo --headless" on a fresh data folder monitors with
// no hardware at all. What a whole measuring visit leaves behind is the
// measuring visit test's; this one checks what the demo adds: its own
// settings, its built-in simulator, found again on the next start.
#include "process_helpers.h"
#include "test_support.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vantor::test;

TEST(Demo, RunsAStationOnTheBuiltInSimulator)
{
    QTemporaryDir tmp;
    const QString data = tmp.path() + QStringLiteral("/demo");
    QProcess program;
    program.start(binDir() + QStringLiteral("/vantor"),
                  {QStringLiteral("--demo"), QStringLiteral("--headless"),
                   QStringLiteral("--data-dir"), data});
    ASSERT_TRUE(program.waitForStarted());
    const auto log = [&] { return DeviceLog(data, QStringLiteral("Demo Analyzer")); };

    ASSERT_TRUE(waitFor([&] { return log().contains("Tuning to 94.2 - Vantor One"); }, 15000))
        << log().constData();
    EXPECT_TRUE(log().contains("Connected to 127.0.0.1:"));
    // Measuring on the simulator's values: the CSV file grows line by line.
    const QString csv = data + QStringLiteral("/StationLogs/Recent/Vantor One.csv");
    ASSERT_TRUE(waitFor([&] { return QFileInfo(csv).size() > 200; }, 15000));
    const qint64 size = QFileInfo(csv).size();
    EXPECT_TRUE(waitFor([&] { return QFileInfo(csv).size() > size; }, 5000))
        << "the CSV file grows";

    ASSERT_TRUE(Terminate(program));
    EXPECT_EQ(program.exitCode(), 0);

    // A second start keeps the configuration and finds its simulator again.
    program.start(binDir() + QStringLiteral("/vantor"),
                  {QStringLiteral("--demo"), QStringLiteral("--headless"),
                   QStringLiteral("--data-dir"), data});
    ASSERT_TRUE(program.waitForStarted());
    ASSERT_TRUE(waitFor([&] { return log().count("Connected to 127.0.0.1:") == 2; }, 15000));
    ASSERT_TRUE(Terminate(program));
    EXPECT_EQ(readAll(data + QStringLiteral("/stations.ini")).count("\r\nName="), 3);
    EXPECT_TRUE(readAll(data + QStringLiteral("/devices.ini")).contains("Name=Demo Analyzer"));
}
