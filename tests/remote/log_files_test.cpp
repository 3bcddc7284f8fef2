// The log files offered for download: what a listing holds, and that no
// request's text reaches a file outside it, however it is spelled.
#include "log_files.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vantor;

namespace {
class LogFilesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Write(QStringLiteral("data/config.ini"), "[Mail]\r\nPassword=secret\r\n");
        Write(QStringLiteral("data/web-users"), "alice:operator:$y$x\n");
        Write(QStringLiteral("data/AppLogs/app.log"), "application\n");
        Write(QStringLiteral("data/AppLogs/Tx Site - 2026-12-10.log"), "activity 10\n");
        Write(QStringLiteral("data/AppLogs/Tx Site - 2026-12-11.log"), "activity 11\n");
        Write(QStringLiteral("data/StationLogs/City FM - 2026-12-10 18-00-00.csv"), "csv\n");
        Write(QStringLiteral("data/StationLogs/City FM - 2026-12-10 18-00-00.lumex"), "rds\n");
        Write(QStringLiteral("data/StationLogs/City FM - 2026-12-10 18-00-00.jpg"), "picture");
        Write(QStringLiteral("data/StationLogs/Recent/City FM.csv"), "current csv\n");
        Write(QStringLiteral("data/StationLogs/Jazz/2026-12-10 19-00-00.csv"), "jazz\n");
        Write(QStringLiteral("data/StationLogs/.hidden.csv"), "hidden\n");
        Write(QStringLiteral("outside/secret.csv"), "secret\n");
        Write(QStringLiteral("outside/Linked/secret.csv"), "secret\n");
        Link(QStringLiteral("outside/secret.csv"),
             QStringLiteral("data/StationLogs/Recent/leak.csv"));
        Link(QStringLiteral("outside/Linked"), QStringLiteral("data/StationLogs/Linked"));
        Link(QStringLiteral("data/config.ini"), QStringLiteral("data/StationLogs/config.csv"));
    }

    QString Path(const QString &relative) const { return m_dir.filePath(relative); }
    void Write(const QString &relative, const QByteArray &content)
    {
        QDir().mkpath(QFileInfo(Path(relative)).absolutePath());
        QFile file(Path(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    void Link(const QString &target, const QString &link)
    {
        ASSERT_TRUE(QFile::link(Path(target), Path(link)));
    }
    QStringList Names(const QList<LogFileEntry> &files) const
    {
        QStringList names;
        for (const LogFileEntry &file : files)
            names << file.name;
        names.sort();
        return names;
    }

    QTemporaryDir m_dir;
};
} // namespace

TEST_F(LogFilesTest, ListsTheLogsOfDevicesAndStationsAndNothingElse)
{
    const QList<LogFileEntry> files = ListLogFiles(Path(QStringLiteral("data")));
    EXPECT_EQ(Names(files), (QStringList{
                                "AppLogs/Tx Site - 2026-12-10.log",
                                "AppLogs/Tx Site - 2026-12-11.log",
                                "StationLogs/City FM - 2026-12-10 18-00-00.csv",
                                "StationLogs/City FM - 2026-12-10 18-00-00.lumex",
                                "StationLogs/Jazz/2026-12-10 19-00-00.csv",
                                "StationLogs/Recent/City FM.csv",
                            }));
    const auto current = FindLogFile(files, QStringLiteral("StationLogs/Recent/City FM.csv"));
    ASSERT_TRUE(current);
    EXPECT_TRUE(current->current);
    EXPECT_EQ(current->kind, LogFileKind::Csv);
    EXPECT_EQ(current->subject, QStringLiteral("City FM"));
    EXPECT_EQ(current->size, 12);

    EXPECT_EQ(Names(FilterLogFiles(files, {QStringLiteral("City FM"), std::nullopt})),
              (QStringList{"StationLogs/City FM - 2026-12-10 18-00-00.csv",
                           "StationLogs/City FM - 2026-12-10 18-00-00.lumex",
                           "StationLogs/Recent/City FM.csv"}));
    EXPECT_EQ(Names(FilterLogFiles(files, {QString(), LogFileKind::Rds})),
              (QStringList{"StationLogs/City FM - 2026-12-10 18-00-00.lumex"}));
    EXPECT_EQ(
        Names(FilterLogFiles(files, {QStringLiteral("Tx Site"), LogFileKind::Activity})),
        (QStringList{"AppLogs/Tx Site - 2026-12-10.log", "AppLogs/Tx Site - 2026-12-11.log"}));
    EXPECT_EQ(Names(FilterLogFiles(files, {QStringLiteral("Jazz"), std::nullopt})),
              (QStringList{"StationLogs/Jazz/2026-12-10 19-00-00.csv"}));

    const QJsonArray listed = QJsonDocument::fromJson(LogFilesJson(files))
                                  .object()
                                  .value(QStringLiteral("files"))
                                  .toArray();
    ASSERT_EQ(listed.size(), files.size());
    EXPECT_FALSE(QString::fromUtf8(LogFilesJson(files)).contains(m_dir.path()))
        << "the listing tells no path of the machine";
}

TEST_F(LogFilesTest, OnlyAListedNameExactlyAsListedFindsAFile)
{
    const QList<LogFileEntry> files = ListLogFiles(Path(QStringLiteral("data")));
    const QStringList refused = {
        QStringLiteral("config.ini"),
        QStringLiteral("../data/config.ini"),
        QStringLiteral("StationLogs/../config.ini"),
        QStringLiteral("StationLogs/Recent/../../config.ini"),
        QStringLiteral("StationLogs%2F..%2Fconfig.ini"),
        QStringLiteral("StationLogs%2FRecent%2FCity%20FM.csv"),
        QStringLiteral("StationLogs\\Recent\\City FM.csv"),
        QStringLiteral("StationLogs//Recent/City FM.csv"),
        QStringLiteral("./StationLogs/Recent/City FM.csv"),
        QStringLiteral("/StationLogs/Recent/City FM.csv"),
        QStringLiteral("stationlogs/recent/city fm.csv"),
        QStringLiteral("StationLogs/Recent/City FM.csv") + QChar(0),
        Path(QStringLiteral("data/StationLogs/Recent/City FM.csv")),
        QStringLiteral("/etc/passwd"),
        QStringLiteral("StationLogs/Recent/leak.csv"),
        QStringLiteral("StationLogs/Linked/secret.csv"),
        QStringLiteral("StationLogs/config.csv"),
        QStringLiteral("StationLogs/.hidden.csv"),
        QStringLiteral("AppLogs/app.log"),
        QString(),
    };
    for (const QString &name : refused)
        EXPECT_FALSE(FindLogFile(files, name)) << name.toStdString();

    const auto found = FindLogFile(files, QStringLiteral("StationLogs/Recent/City FM.csv"));
    ASSERT_TRUE(found);
    QString error;
    const auto file = OpenListedLogFile(*found, &error);
    ASSERT_TRUE(file) << error.toStdString();
    EXPECT_EQ(file->readAll(), "current csv\n");
    EXPECT_EQ(ContentDispositionFor(*found),
              "attachment; filename=\"City FM.csv\"; filename*=UTF-8''City%20FM.csv");
}

TEST_F(LogFilesTest, AFileTurnedIntoALinkAfterTheListingIsNotOpened)
{
    const QList<LogFileEntry> files = ListLogFiles(Path(QStringLiteral("data")));
    const auto found = FindLogFile(files, QStringLiteral("StationLogs/Recent/City FM.csv"));
    ASSERT_TRUE(found);
    ASSERT_TRUE(QFile::remove(found->path));
    Link(QStringLiteral("data/config.ini"), QStringLiteral("data/StationLogs/Recent/City FM.csv"));
    QString error;
    EXPECT_FALSE(OpenListedLogFile(*found, &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(LogFilesTest, ALinkedDataFolderIsListedThroughItsRealPlace)
{
    Link(QStringLiteral("data"), QStringLiteral("data-link"));
    const QList<LogFileEntry> files = ListLogFiles(Path(QStringLiteral("data-link")));
    EXPECT_EQ(files.size(), 6);
    EXPECT_TRUE(ListLogFiles(Path(QStringLiteral("none"))).isEmpty());
}
