// End to end: the headless program and the simulator as two processes, one
// combined measuring-and-RDS visit of one minute, and the files it leaves.
#include "process_helpers.h"
#include "test_support.h"

#include <QDateTime>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vantor::test;

TEST(MeasuringVisit, LeavesCsvRdsHistogramAndPicturesWithTheirArchiveCopies)
{
    SimulatorProcess simulator;
    ASSERT_TRUE(simulator.start({QStringLiteral("--seed"), QStringLiteral("5")}));
    QTemporaryDir tmp;
    const QString data = tmp.path() + QStringLiteral("/station");
    QDir().mkpath(data);
    ASSERT_TRUE(writeAll(data + QStringLiteral("/devices.ini"), OneDeviceIni(simulator.port())));
    ASSERT_TRUE(
        writeAll(data + QStringLiteral("/stations.ini"),
                 "[General]\r\nStationCount=2\r\n[Station0]\r\nName=City FM\r\nFrequency=98.5\r\n"
                 "DeviceName=Tx Site\r\nMeasuring=1\r\nRDS=-1\r\n"
                 "[Station1]\r\nName=Loud FM\r\nFrequency=101.1\r\nDeviceName=Tx Site\r\n"
                 "Measuring=10\r\nRDS=0\r\n"));
    ASSERT_TRUE(
        writeAll(data + QStringLiteral("/config.ini"),
                 "[General]\r\nSaveHistogram=1\r\nLogGraph1=1\r\nLogGraph10=1\r\nGraphExt=0\r\n"
                 "KeepGraphs=1\r\nGraphWidth=320\r\nGraphHeight=200\r\n"));
    QProcess program;
    program.start(binDir() + QStringLiteral("/vantor"),
                  {QStringLiteral("--headless"), QStringLiteral("--data-dir"), data});
    ASSERT_TRUE(program.waitForStarted());

    const QString recent = data + QStringLiteral("/StationLogs/Recent/");
    const QString archive = data + QStringLiteral("/StationLogs/");
    // City FM's visit ends after a minute; the program then works on Loud FM.
    ASSERT_TRUE(waitFor(
        [&] { return FilesIn(archive).filter(QStringLiteral("City FM")).size() >= 6; }, 100000))
        << qPrintable(FilesIn(archive).join(QLatin1Char(',')));
    ASSERT_TRUE(Terminate(program));
    EXPECT_EQ(program.exitCode(), 0);

    // The CSV file: the line composition as its header, then a line a second
    // with the simulator's values (City FM: level 58.5 dBuV, quality 5).
    const QList<QByteArray> csv = readAll(recent + QStringLiteral("City FM.csv")).split('\n');
    ASSERT_GT(csv.size(), 50);
    EXPECT_EQ(csv[0],
              "\"datetime\";\"Signal Quality\";\"Level\";\"MAX\";\"Pilot\";\"RDS\";\"Pm\"\r");
    const QRegularExpression row(QStringLiteral(
        R"re(^"(\d{4}\.\d\d\.\d\d \d\d:\d\d:\d\d)";"5";"(5[6-9]\.\d)";"(\d+\.\d)";.*\r$)re"));
    // A line is due a second after the last one was due, and carries the
    // moment it was written: when the due moment sits just before a second's
    // turn, a late tick stamps two lines with one second and skips the next.
    // Over the visit the lines still keep to one a second.
    QDateTime first;
    QDateTime previous;
    int rows = 0;
    for (const QByteArray &line : csv.mid(1)) {
        if (line.isEmpty())
            continue;
        const auto m = row.match(QString::fromLatin1(line));
        ASSERT_TRUE(m.hasMatch()) << line.constData();
        const QDateTime t =
            QDateTime::fromString(m.captured(1), QStringLiteral("yyyy.MM.dd HH:mm:ss"));
        if (previous.isValid()) {
            EXPECT_GE(previous.secsTo(t), 0);
            EXPECT_LE(previous.secsTo(t), 2);
        } else {
            first = t;
        }
        previous = t;
        ++rows;
    }
    EXPECT_GE(rows, 50);
    EXPECT_NEAR(first.secsTo(previous), rows - 1, 2);

    // The RDS log: the station's groups with the receiving moment.
    const QList<QByteArray> rds = readAll(recent + QStringLiteral("City FM.lumex")).split('\n');
    ASSERT_GT(rds.size(), 300);
    const QRegularExpression group(
        QStringLiteral(R"(^(A202|----)[0-9A-F-]{12} @\d{4}/\d\d/\d\d \d\d:\d\d:\d\d\.\d\d\r$)"));
    int matched = 0;
    for (const QByteArray &line : rds.mid(0, rds.size() - 1))
        matched += group.match(QString::fromLatin1(line)).hasMatch();
    EXPECT_GT(matched, (rds.size() - 1) * 9 / 10);

    // The histogram data file is the analyzer's text as received.
    const QByteArray histogram = readAll(recent + QStringLiteral("City FM - histogram.csv"));
    EXPECT_EQ(histogram.size(), 122 * 14);

    // Pictures as bitmaps at the configured size.
    for (const char *name :
         {"City FM - histogram.bmp", "City FM - MAX.bmp", "City FM - Level.bmp"}) {
        const QString file = recent + QLatin1String(name);
        EXPECT_TRUE(readAll(file).startsWith("BM")) << name;
        EXPECT_EQ(QImage(file).size(), QSize(320, 200)) << name;
    }

    // Archive copies under the finishing moment's stamp.
    const QStringList archived = FilesIn(archive);
    const QRegularExpression stamp(QStringLiteral(R"(\d{4}-\d\d-\d\d \d\d-\d\d-\d\d)"));
    for (const char *pattern :
         {"^City FM - %1\\.csv$", "^City FM - %1\\.lumex$", "^City FM - %1 - histogram\\.csv$",
          "^City FM - histogram - %1\\.bmp$", "^City FM - MAX - %1\\.bmp$",
          "^City FM - Level - %1\\.bmp$"}) {
        const QRegularExpression re(QString::fromLatin1(pattern).arg(stamp.pattern()));
        EXPECT_FALSE(archived.filter(re).isEmpty())
            << pattern << " in " << qPrintable(archived.join(QLatin1Char(',')));
    }
}
