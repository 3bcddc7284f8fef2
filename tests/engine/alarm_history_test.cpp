// The alarm history file: bounded, read again at start, filtered newest first,
// and whole after a line that could not be written.
#include "alarm_history.h"
#include "file_size_limit.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vantor;

namespace {
const QDateTime Start(QDate(2026, 12, 11), QTime(6, 0), Qt::UTC);

AlarmEvent Event(bool raised, int second, const QString &device, const QString &kind)
{
    return {raised,
            Start.addSecs(second),
            device,
            QStringLiteral("City FM"),
            QStringLiteral("98.5"),
            kind,
            raised ? QStringLiteral("10.0 kHz") : QStringLiteral("40.0 kHz"),
            raised ? QStringLiteral("AVE < 25") : QString()};
}
} // namespace

TEST(AlarmHistory, PairsRaisesWithClearsAndFiltersNewestFirst)
{
    AlarmHistory history;
    QString error;
    history.Record(Event(true, 0, "Tx A", "silence"), &error);
    history.Record(Event(true, 1, "Tx B", "silence"), &error);
    history.Record(Event(true, 2, "Tx A", "pilot"), &error);
    history.Record(Event(false, 3, "Tx A", "silence"), &error);
    history.Record(Event(false, 4, "Tx A", "rds_level"), &error); // never raised: ignored
    history.Record(Event(true, 5, "Tx A", "connection"), &error);

    const auto all = history.Entries({});
    ASSERT_EQ(all.size(), 4);
    EXPECT_EQ(all[0].kind, QStringLiteral("connection"));
    EXPECT_FALSE(all[0].active) << "a link alarm is told once";
    EXPECT_EQ(all[3].device, QStringLiteral("Tx A"));
    EXPECT_EQ(all[3].cleared, Start.addSecs(3));
    EXPECT_EQ(all[3].clearedValue, QStringLiteral("40.0 kHz"));
    EXPECT_TRUE(all[2].active) << "Tx B's silence is still on";

    const auto deviceA = history.Entries({QStringLiteral("Tx A"), QString(), 200});
    EXPECT_EQ(deviceA.size(), 3);
    const auto silences = history.Entries({QString(), QStringLiteral("silence"), 200});
    ASSERT_EQ(silences.size(), 2);
    EXPECT_EQ(silences[0].device, QStringLiteral("Tx B"));
    EXPECT_EQ(history.Entries({QStringLiteral("Tx A"), QStringLiteral("silence"), 200}).size(), 1);
    EXPECT_EQ(history.Entries({QString(), QString(), 1}).size(), 1);
    EXPECT_TRUE(history.Entries({QStringLiteral("Tx"), QString(), 200}).isEmpty())
        << "a device is matched by its whole name";
}

TEST(AlarmHistory, KeepsAcrossRestartsWithinItsBound)
{
    QTemporaryDir dir;
    QString error;
    {
        AlarmHistory history(10);
        ASSERT_TRUE(history.Open(dir.path(), &error));
        for (int i = 0; i < 25; ++i)
            ASSERT_TRUE(
                history.Record(Event(true, i, QStringLiteral("Tx %1").arg(i), "silence"), &error))
                << error.toStdString();
        EXPECT_EQ(history.Entries({QString(), QString(), 1000}).size(), 10);
    }
    // 25 lines in files of 10: the oldest set aside twice over, never more
    // than two files.
    const QStringList files = QDir(dir.path()).entryList(QDir::Files);
    EXPECT_EQ(files, (QStringList{AlarmHistory::PreviousFileName, AlarmHistory::FileName}));

    AlarmHistory again(10);
    ASSERT_TRUE(again.Open(dir.path(), &error)) << error.toStdString();
    const auto read = again.Entries({QString(), QString(), 1000});
    ASSERT_EQ(read.size(), 10);
    EXPECT_EQ(read.front().device, QStringLiteral("Tx 24"));
    EXPECT_EQ(read.back().device, QStringLiteral("Tx 15"));
    EXPECT_FALSE(read.front().active) << "its clear was never seen";
    // A clear in the new run does not close an alarm of the last run.
    again.Record(Event(false, 100, "Tx 24", "silence"), &error);
    EXPECT_FALSE(again.Entries({QStringLiteral("Tx 24"), QString(), 10})[0].cleared.isValid());
}

TEST(AlarmHistory, MalformedLinesAreSkippedAndTold)
{
    QTemporaryDir dir;
    QFile file(QDir(dir.path()).filePath(AlarmHistory::FileName));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("{\"event\":\"raised\",\"time\":\"2026-12-11T06:00:00.000Z\",\"device\":\"Tx\","
               "\"kind\":\"silence\",\"value\":\"1\",\"limit\":\"AVE < 25\"}\n"
               "{\"event\":\"raised\",\"time\":\"2026-12-11T06:0\n"
               "not json\n"
               "{\"event\":\"exploded\",\"time\":\"2026-12-11T06:00:00.000Z\",\"kind\":\"x\"}\n"
               "{\"event\":\"cleared\",\"time\":\"2026-12-11T06:01:00.000Z\",\"device\":\"Tx\","
               "\"kind\":\"silence\",\"value\":\"40\"}\n");
    file.close();
    AlarmHistory history;
    QString error;
    EXPECT_FALSE(history.Open(dir.path(), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("3 malformed lines"))) << error.toStdString();
    const auto entries = history.Entries({});
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries[0].cleared, Start.addSecs(60));
}

TEST(AlarmHistory, ALineThatCouldNotBeWrittenDoesNotSpoilTheNext)
{
    QTemporaryDir dir;
    AlarmHistory history;
    QString error;
    ASSERT_TRUE(history.Open(dir.path(), &error));
    ASSERT_TRUE(history.Record(Event(true, 0, "Tx A", "silence"), &error));
    const qint64 size = QFileInfo(QDir(dir.path()).filePath(AlarmHistory::FileName)).size();
    {
        const test::FileSizeLimit full(size + 20);
        EXPECT_FALSE(history.Record(Event(true, 1, "Tx B", "silence"), &error));
        EXPECT_FALSE(error.isEmpty());
    }
    ASSERT_TRUE(history.Record(Event(true, 2, "Tx C", "silence"), &error));
    AlarmHistory again;
    EXPECT_FALSE(again.Open(dir.path(), &error)) << "the cut line is told";
    const auto read = again.Entries({});
    ASSERT_EQ(read.size(), 2);
    EXPECT_EQ(read[0].device, QStringLiteral("Tx C"));
    EXPECT_EQ(read[1].device, QStringLiteral("Tx A"));
}

TEST(AlarmHistory, JsonGivesEachEntryWithNullsForWhatIsMissing)
{
    AlarmHistory history;
    QString error;
    history.Record(Event(true, 0, "Tx \"A\"", "silence"), &error);
    history.Record(Event(false, 90, "Tx \"A\"", "silence"), &error);
    AlarmEvent link = Event(true, 100, "Tx B", "connection");
    link.value.clear();
    link.limit.clear();
    history.Record(link, &error);
    const QJsonDocument document = QJsonDocument::fromJson(AlarmHistoryJson(history.Entries({})));
    const QJsonArray alarms = document.object().value(QStringLiteral("alarms")).toArray();
    ASSERT_EQ(alarms.size(), 2);
    const QJsonObject cleared = alarms[1].toObject();
    EXPECT_EQ(cleared.value(QStringLiteral("device")).toString(), QStringLiteral("Tx \"A\""));
    EXPECT_EQ(cleared.value(QStringLiteral("raised")).toString(),
              QStringLiteral("2026-12-11T06:00:00.000Z"));
    EXPECT_EQ(cleared.value(QStringLiteral("cleared")).toString(),
              QStringLiteral("2026-12-11T06:01:30.000Z"));
    EXPECT_EQ(cleared.value(QStringLiteral("limit")).toString(), QStringLiteral("AVE < 25"));
    EXPECT_EQ(cleared.value(QStringLiteral("frequency_mhz")).toString(), QStringLiteral("98.5"));
    const QJsonObject linkAlarm = alarms[0].toObject();
    EXPECT_EQ(linkAlarm.value(QStringLiteral("kind")).toString(), QStringLiteral("connection"));
    EXPECT_TRUE(linkAlarm.value(QStringLiteral("cleared")).isNull());
    EXPECT_TRUE(linkAlarm.value(QStringLiteral("limit")).isNull());
    EXPECT_FALSE(linkAlarm.value(QStringLiteral("active")).toBool());
}
