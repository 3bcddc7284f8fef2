// End to end: "vantor --demo --headless" on a fresh data folder monitors with
// no hardware at all.
#include "process_helpers.h"
#include "test_support.h"

#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
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
    const QString log = data + QStringLiteral("/AppLogs/Demo Analyzer - ") +
                        QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")) +
                        QStringLiteral(".log");
    const QString recent = data + QStringLiteral("/StationLogs/Recent/");

    ASSERT_TRUE(
        waitFor([&] { return readAll(log).contains("Tuning to 94.2 - Vantor One"); }, 15000))
        << readAll(log).constData();
    EXPECT_TRUE(readAll(log).contains("Connected to 127.0.0.1:"));
    const QString csv = recent + QStringLiteral("Vantor One.csv");
    ASSERT_TRUE(waitFor([&] { return QFileInfo(csv).size() > 200; }, 15000));
    const qint64 size = QFileInfo(csv).size();
    EXPECT_TRUE(waitFor([&] { return QFileInfo(csv).size() > size; }, 5000))
        << "the CSV file grows";

    // After the measuring minute: the CSV archived, the RDS log growing, the
    // pictures saved.
    ASSERT_TRUE(waitFor(
        [&] { return QFileInfo(recent + QStringLiteral("Vantor One.lumex")).size() > 1000; },
        90000));
    const QStringList archive = FilesIn(data + QStringLiteral("/StationLogs"));
    EXPECT_EQ(archive.filter(QRegularExpression(QStringLiteral(R"(^Vantor One - [-0-9 ]+\.csv$)")))
                  .size(),
              1)
        << qPrintable(archive.join(QLatin1Char(',')));
    EXPECT_EQ(QImage(recent + QStringLiteral("Vantor One - histogram.jpg")).size(),
              QSize(640, 480));
    EXPECT_TRUE(readAll(recent + QStringLiteral("Vantor One - MAX.jpg")).startsWith("\xff\xd8"));

    ASSERT_TRUE(Terminate(program));
    EXPECT_EQ(program.exitCode(), 0);

    // A second start keeps the configuration and finds its simulator again.
    program.start(binDir() + QStringLiteral("/vantor"),
                  {QStringLiteral("--demo"), QStringLiteral("--headless"),
                   QStringLiteral("--data-dir"), data});
    ASSERT_TRUE(program.waitForStarted());
    ASSERT_TRUE(waitFor([&] { return readAll(log).count("Connected to 127.0.0.1:") == 2; }, 15000));
    ASSERT_TRUE(Terminate(program));
    EXPECT_EQ(readAll(data + QStringLiteral("/stations.ini")).count("\r\nName="), 3);
    EXPECT_TRUE(readAll(data + QStringLiteral("/devices.ini")).contains("Name=Demo Analyzer"));
}
