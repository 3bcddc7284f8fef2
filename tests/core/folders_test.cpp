#include "file_size_limit.h"
#include "folders.h"
#include "platform_utils.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vantor;
using vantor::test::readAll;
using vantor::test::writeAll;

TEST(Folders, CheckDirCreatesOneLevelOrFallsBackToTheDataFolder)
{
    QTemporaryDir tmp;
    const QString data = WithSeparator(tmp.path());
    EXPECT_EQ(CheckDir(data + QStringLiteral("AppLogs"), data), data + QStringLiteral("AppLogs/"));
    EXPECT_TRUE(QDir(data + QStringLiteral("AppLogs")).exists());
    EXPECT_EQ(CheckDir(data + QStringLiteral("AppLogs"), data), data + QStringLiteral("AppLogs/"));
    // Two levels are not made, and a plain file in the way is not a folder.
    EXPECT_EQ(CheckDir(data + QStringLiteral("a/b"), data), data);
    ASSERT_TRUE(writeAll(data + QStringLiteral("file"), "x"));
    EXPECT_EQ(CheckDir(data + QStringLiteral("file"), data), data);
}

TEST(Folders, FileTimeStamp)
{
    EXPECT_EQ(FileTimeStamp(ToDateTime(QDate(2024, 5, 1), QTime(13, 5, 9))),
              QStringLiteral("2024-05-01 13-05-09"));
}

TEST(Folders, FileCopyArchivesFlatOrPerStationAndReplaces)
{
    QTemporaryDir tmp;
    const QString dest = WithSeparator(tmp.path() + QStringLiteral("/StationLogs"));
    QDir().mkpath(dest);
    const QString source = tmp.path() + QStringLiteral("/Recent.lumex");
    ASSERT_TRUE(writeAll(source, "first"));

    const QString name = QStringLiteral("2024-05-01 13-05-09.lumex");
    EXPECT_TRUE(FileCopy(source, dest, QStringLiteral("Radio 1"), name, 0));
    EXPECT_EQ(readAll(dest + QStringLiteral("Radio 1 - ") + name), QByteArray("first"));

    EXPECT_TRUE(FileCopy(source, dest, QStringLiteral("Radio 1"), name, 1));
    EXPECT_EQ(readAll(dest + QStringLiteral("Radio 1/") + name), QByteArray("first"));

    ASSERT_TRUE(writeAll(source, "second"));
    EXPECT_TRUE(FileCopy(source, dest, QStringLiteral("Radio 1"), name, 1));
    EXPECT_EQ(readAll(dest + QStringLiteral("Radio 1/") + name), QByteArray("second"));

    // No station name: no subfolder even with the per-station layout, and a
    // visible name.
    EXPECT_TRUE(FileCopy(source, dest, QString(), name, 1));
    EXPECT_TRUE(QFile::exists(dest + QStringLiteral("_ - ") + name));

    // A missing source is a failed copy and nothing else.
    EXPECT_FALSE(
        FileCopy(tmp.path() + QStringLiteral("/none"), dest, QStringLiteral("X"), name, 0));
}

TEST(Folders, FileCopyFallsBackToTheFlatNameWhenTheSubfolderCannotBeMade)
{
    QTemporaryDir tmp;
    const QString dest = WithSeparator(tmp.path());
    const QString source = dest + QStringLiteral("src.csv");
    ASSERT_TRUE(writeAll(source, "data"));
    ASSERT_TRUE(writeAll(dest + QStringLiteral("Blocked"), "a file where the folder would go"));
    EXPECT_TRUE(FileCopy(source, dest, QStringLiteral("Blocked"), QStringLiteral("x.csv"), 1));
    EXPECT_EQ(readAll(dest + QStringLiteral("Blocked - x.csv")), QByteArray("data"));
}

TEST(Folders, FileCopyShortensALongStationNameInBothLayouts)
{
    QTemporaryDir tmp;
    const QString dest = WithSeparator(tmp.path());
    const QString source = dest + QStringLiteral("src.csv");
    ASSERT_TRUE(writeAll(source, "data"));
    const QString station = QString::fromUtf8("\xc3\x9c").repeated(200); // 400 bytes
    const QString name = QStringLiteral("2024-05-01 13-05-09.csv");
    for (int structure : {0, 1}) {
        QString error;
        EXPECT_TRUE(FileCopy(source, dest, station, name, structure, &error))
            << structure << qPrintable(error);
    }
    const QString flat = dest + DataFileName(station, QStringLiteral(" - ") + name);
    EXPECT_EQ(readAll(flat), QByteArray("data"));
    EXPECT_EQ(readAll(dest + DataFileName(station, QString()) + QLatin1Char('/') + name),
              QByteArray("data"));
}

TEST(Folders, AFailedFileCopyTellsWhyAndLeavesNoPartCopy)
{
    QTemporaryDir tmp;
    const QString dest = WithSeparator(tmp.path());
    const QString source = dest + QStringLiteral("src.csv");
    ASSERT_TRUE(writeAll(source, QByteArray(64 * 1024, 'x')));
    vantor::test::FileSizeLimit full(4096);
    if (!full.active())
        GTEST_SKIP() << "no file size limit (RLIMIT_FSIZE) can be set here";
    QString error;
    EXPECT_FALSE(
        FileCopy(source, dest, QStringLiteral("Radio 1"), QStringLiteral("x.csv"), 0, &error));
    full.lift();
    EXPECT_TRUE(error.startsWith(dest + QStringLiteral("Radio 1 - x.csv: "))) << qPrintable(error);
    EXPECT_FALSE(QFile::exists(dest + QStringLiteral("Radio 1 - x.csv")));
}
