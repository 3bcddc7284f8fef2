// Log files take whole lines or nothing, also when the disk fills up.
#include "file_size_limit.h"
#include "log_file.h"
#include "test_support.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vantor;
using vantor::test::FileSizeLimit;
using vantor::test::readAll;

TEST(LogFile, AFullDiskLeavesOnlyWholeLinesAndTheFileGoesOnWhenSpaceReturns)
{
    QTemporaryDir tmp;
    const QString path = tmp.path() + QStringLiteral("/groups.lumex");
    const QString line = QStringLiteral("1234ABCD5678EF90 @2024/05/01 12:00:00.00"); // + CR LF: 42
    LogFile file(path, LogFile::Open::Replace);
    ASSERT_TRUE(file.isOpen());
    ASSERT_TRUE(file.writeLine(line));
    {
        FileSizeLimit full(100);
        if (!full.active())
            GTEST_SKIP() << "no file size limit (RLIMIT_FSIZE) can be set here";
        // Flushed together: the second line would cross the limit, so neither
        // of the two stays.
        EXPECT_TRUE(file.writeLine(line, LogFile::Flush::Later));
        EXPECT_TRUE(file.writeLine(line, LogFile::Flush::Later));
        EXPECT_FALSE(file.flush());
        EXPECT_EQ(readAll(path).size(), 42);
        // One line alone fits.
        EXPECT_TRUE(file.writeLine(line));
        EXPECT_FALSE(file.writeLine(line));
        EXPECT_FALSE(file.write("text longer than the room left"));
    }
    EXPECT_TRUE(file.writeLine(line));
    file.close();
    EXPECT_EQ(readAll(path), (line + QStringLiteral("\r\n")).toLatin1().repeated(3));
}

// A file opened later is not touched until create(), keeps the lines given to
// it meanwhile, and then appends to or replaces what the file held.
TEST(LogFile, AFileOpenedLaterKeepsItsLinesAndAppendsOrReplacesAsAsked)
{
    const struct {
        LogFile::Open how;
        QByteArray expected;
    } cases[] = {
        {LogFile::Open::AppendLater, "before\r\nwaiting\r\n"},
        {LogFile::Open::ReplaceLater, "waiting\r\n"},
    };
    for (const auto &c : cases) {
        QTemporaryDir tmp;
        const QString path = tmp.path() + QStringLiteral("/D0 - 2024-05-02.log");
        {
            LogFile before(path);
            before.writeLine(QStringLiteral("before"));
        }
        LogFile file(path, c.how);
        EXPECT_TRUE(file.isOpen());
        EXPECT_TRUE(file.awaitsCreation());
        EXPECT_TRUE(file.writeLine(QStringLiteral("waiting")));
        EXPECT_EQ(readAll(path), "before\r\n") << "untouched until made";
        ASSERT_TRUE(file.create());
        EXPECT_TRUE(file.flush());
        EXPECT_EQ(readAll(path), c.expected);
    }
}
