#include "activity_log.h"
#include "test_support.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vantor;
using vantor::test::readAll;

namespace {

class RecordingSink : public ActivitySink
{
public:
    int filterIndex = 0;
    QString filterText = QStringLiteral("Application");
    QStringList shown;
    int ActivityFilterIndex() const override { return filterIndex; }
    QString ActivityFilterText() const override { return filterText; }
    void AppendActivityLine(const QString &line) override { shown << line; }
};

class ActivityLogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = WithSeparator(tmp.path());
        for (const char *name : {"Tx Site", "B", "C/D: E"}) {
            TDevice d;
            d.Name = QLatin1String(name);
            devices.push_back(d);
        }
        globals.AppLog = std::make_shared<LogFile>(folder + QStringLiteral("app.log"));
        globals.AppLogOpen = true;
    }

    QString WithSeparator(const QString &p) { return p + QLatin1Char('/'); }

    void Log(int target, const QString &message)
    {
        AddToActivityLog(globals, devices, target, message, now, &sink);
    }

    QTemporaryDir tmp;
    QString folder;
    TGlobals globals;
    std::vector<TDevice> devices;
    RecordingSink sink;
    TDateTime now = ToDateTime(QDate(2024, 5, 1), QTime(13, 5, 9));
};

} // namespace

TEST_F(ActivityLogTest, TargetsDecideWhichLogsReceiveTheLine)
{
    ASSERT_TRUE(OpenDeviceLogFile(devices, 2, folder, now));
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("C_D_ E - 2024-05-01.log")));

    Log(1000 + 2, QStringLiteral("Connected to COM3"));
    EXPECT_EQ(globals.AppActivityLines,
              QStringList{QStringLiteral("2024.05.01 13:05:09 [application] Connected to COM3")});
    ASSERT_TRUE(devices[2].ActivityLines.has_value());
    EXPECT_EQ(*devices[2].ActivityLines,
              QStringList{QStringLiteral("2024.05.01 13:05:09 [C/D: E] Connected to COM3")});
    EXPECT_EQ(readAll(folder + QStringLiteral("C_D_ E - 2024-05-01.log")),
              QByteArray("2024.05.01 13:05:09 [C/D: E] Connected to COM3\r\n"));
    EXPECT_EQ(readAll(folder + QStringLiteral("app.log")),
              QByteArray("2024.05.01 13:05:09 [application] Connected to COM3\r\n"));

    // Targets that name nobody write nothing anywhere.
    for (int target : {-2, 3, 999})
        Log(target, QStringLiteral("lost"));
    EXPECT_EQ(globals.AppActivityLines.size(), 1);
    for (const TDevice &d : devices) {
        const QString all = d.ActivityLines ? d.ActivityLines->join(QString()) : QString();
        EXPECT_FALSE(all.contains(QStringLiteral("lost")));
    }

    // 1000 + an invalid index still writes the application line.
    Log(1000 + 7, QStringLiteral("app only"));
    EXPECT_EQ(globals.AppActivityLines.size(), 2);

    Log(0, QStringLiteral("device only"));
    EXPECT_EQ(globals.AppActivityLines.size(), 2);
    EXPECT_EQ(devices[0].ActivityLines->size(), 1);
}

TEST_F(ActivityLogTest, ListsKeepAtMost51LinesAndAreCutTo50)
{
    for (int i = 1; i <= 51; ++i)
        Log(-1, QStringLiteral("line %1").arg(i));
    EXPECT_EQ(globals.AppActivityLines.size(), 51);
    Log(-1, QStringLiteral("line 52"));
    ASSERT_EQ(globals.AppActivityLines.size(), 50);
    EXPECT_TRUE(globals.AppActivityLines.first().endsWith(QStringLiteral("line 3")));
    EXPECT_TRUE(globals.AppActivityLines.last().endsWith(QStringLiteral("line 52")));
    // The file keeps every line.
    EXPECT_EQ(readAll(folder + QStringLiteral("app.log")).count("\r\n"), 52);
}

TEST_F(ActivityLogTest, TheScreenShowsOnlyTheChosenSource)
{
    sink.filterIndex = 1;
    sink.filterText = QStringLiteral("Tx Site");
    Log(-1, QStringLiteral("application"));
    Log(1, QStringLiteral("for B"));
    Log(0, QStringLiteral("for Tx Site"));
    ASSERT_EQ(sink.shown.size(), 1);
    EXPECT_TRUE(sink.shown[0].endsWith(QStringLiteral("[Tx Site] for Tx Site")));
    EXPECT_EQ(devices[1].ActivityLines->size(), 1); // B's line is kept all the same

    sink.filterIndex = 0;
    sink.filterText = QStringLiteral("Application");
    Log(1000 + 1, QStringLiteral("both"));
    ASSERT_EQ(sink.shown.size(), 2);
    EXPECT_TRUE(sink.shown[1].endsWith(QStringLiteral("[application] both")));
}

TEST_F(ActivityLogTest, AClosedLogStillKeepsLinesInMemory)
{
    globals.AppLogOpen = false;
    Log(-1, QStringLiteral("memory only"));
    EXPECT_EQ(globals.AppActivityLines.size(), 1);
    EXPECT_TRUE(readAll(folder + QStringLiteral("app.log")).isEmpty());

    // A device log that cannot be opened leaves the device logging to memory.
    QString error;
    EXPECT_FALSE(OpenDeviceLogFile(devices, 0, folder + QStringLiteral("missing/"), now, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(devices[0].ActivityLogOpen);
    Log(0, QStringLiteral("still kept"));
    EXPECT_EQ(devices[0].ActivityLines->size(), 1);
    EXPECT_FALSE(OpenDeviceLogFile(devices, 3, folder, now));
}

TEST_F(ActivityLogTest, ReopeningAppendsAndANewDayGetsANewFile)
{
    ASSERT_TRUE(OpenDeviceLogFile(devices, 0, folder, now));
    Log(0, QStringLiteral("first"));
    CloseDeviceLogFile(devices[0]);
    EXPECT_FALSE(devices[0].ActivityLogOpen);
    ASSERT_TRUE(OpenDeviceLogFile(devices, 0, folder, now));
    Log(0, QStringLiteral("second"));
    EXPECT_EQ(readAll(folder + QStringLiteral("Tx Site - 2024-05-01.log")).count("\r\n"), 2);

    CloseDeviceLogFile(devices[0]);
    now += 1;
    ASSERT_TRUE(OpenDeviceLogFile(devices, 0, folder, now));
    Log(0, QStringLiteral("next day"));
    EXPECT_EQ(readAll(folder + QStringLiteral("Tx Site - 2024-05-02.log")),
              QByteArray("2024.05.02 13:05:09 [Tx Site] next day\r\n"));
}
