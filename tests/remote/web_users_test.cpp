// The web users' file: what a name may be, what a file must hold to be
// believed, and that it stays owner-only through every save.
#include "password_hash.h"
#include "web_users.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace vantor;

namespace {
const QByteArray SomeHash = "$y$j9T$abcdefghijklmnop$0123456789abcdefghijklmnopqrstuvwxyzABCDE";

void Write(const QString &path, const QByteArray &text)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

mode_t Mode(const QString &path)
{
    struct stat st {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    return st.st_mode & 07777;
}
} // namespace

TEST(WebUsers, NamesAreBoundedPrintableAndFreeOfColons)
{
    const struct {
        QString name;
        bool valid;
    } cases[] = {
        {QStringLiteral("alice"), true},        {QStringLiteral("Ops Team 2"), true},
        {QStringLiteral("jürgen"), true},       {QString(64, QLatin1Char('a')), true},
        {QString(65, QLatin1Char('a')), false}, {QString(), false},
        {QStringLiteral("a:b"), false},         {QStringLiteral("a\nb"), false},
        {QStringLiteral("a\tb"), false},        {QStringLiteral("a\x7f"), false},
        {QStringLiteral("a\u202eb"), false}, // a right-to-left override
        {QStringLiteral(" alice"), false},      {QStringLiteral("alice "), false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(WebUserNameProblem(c.name).isEmpty(), c.valid) << c.name.toStdString();
}

TEST(WebUsers, SavedUsersLoadAgainFromAnOwnerOnlyFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(WebUsersFileName);
    // A file someone made readable to all becomes owner-only at the next save.
    Write(path, "");
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ReadOther | QFileDevice::ReadGroup));
    WebUsers users;
    QString error;
    ASSERT_TRUE(users.Load(path, &error)) << error.toStdString();
    ASSERT_TRUE(users.Add({QStringLiteral("alice"), WebRole::Operator, SomeHash}));
    ASSERT_TRUE(users.Add({QStringLiteral("Bob Ward"), WebRole::Viewer, "$2b$05$abc"}));
    EXPECT_FALSE(users.Add({QStringLiteral("alice"), WebRole::Viewer, SomeHash}));
    ASSERT_TRUE(users.Save(path, &error)) << error.toStdString();
    EXPECT_EQ(Mode(path), 0600u);

    WebUsers again;
    ASSERT_TRUE(again.Load(path, &error)) << error.toStdString();
    ASSERT_EQ(again.users().size(), 2);
    ASSERT_TRUE(again.Find(QStringLiteral("Bob Ward")));
    EXPECT_EQ(again.Find(QStringLiteral("Bob Ward"))->role, WebRole::Viewer);
    EXPECT_EQ(again.Find(QStringLiteral("alice"))->hash, SomeHash);
    EXPECT_EQ(again.Find(QStringLiteral("alice"))->role, WebRole::Operator);

    EXPECT_TRUE(again.Remove(QStringLiteral("alice")));
    EXPECT_FALSE(again.Remove(QStringLiteral("alice")));
    ASSERT_TRUE(again.Save(path, &error));
    EXPECT_EQ(Mode(path), 0600u);
    ASSERT_TRUE(users.Load(path, &error));
    EXPECT_EQ(users.users().size(), 1);
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size() == 1)
        << "no temporary file stays behind";
}

TEST(WebUsers, AMalformedFileIsRefusedWholeWithItsLine)
{
    const struct {
        QByteArray text;
        const char *why;
    } cases[] = {
        {"alice:operator\n", "two fields"},
        {"alice:admin:" + SomeHash + "\n", "unknown role"},
        {"alice:operator:plaintext\n", "no hash"},
        {"alice:operator:$1$abcdefgh$.Hl3mBJW8DUGn/Xx4A0.70\n", "a fast hash"},
        {"alice:operator:" + SomeHash + " x\n", "a blank in the hash"},
        {":operator:" + SomeHash + "\n", "no name"},
        {"alice:operator:" + SomeHash + "\nalice:viewer:" + SomeHash + "\n", "a name twice"},
        {"alice:operator:" + SomeHash + ":extra\n", "four fields"},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath(WebUsersFileName);
    for (const auto &c : cases) {
        Write(path, c.text);
        WebUsers users;
        QString error;
        EXPECT_FALSE(users.Load(path, &error)) << c.why;
        EXPECT_TRUE(error.contains(QStringLiteral("line "))) << c.why;
        EXPECT_TRUE(users.users().isEmpty()) << c.why;
    }
    Write(path, "\nalice:operator:" + SomeHash + "\n\n");
    WebUsers users;
    QString error;
    EXPECT_TRUE(users.Load(path, &error)) << "blank lines are allowed";
    EXPECT_EQ(users.users().size(), 1);
}

TEST(WebUsers, AMissingFileIsNoUsersAnUnreadableOneAnError)
{
    QTemporaryDir dir;
    WebUsers users;
    QString error;
    EXPECT_TRUE(users.Load(dir.filePath(QStringLiteral("none")), &error));
    EXPECT_TRUE(users.users().isEmpty());
    EXPECT_FALSE(users.Load(dir.path(), &error)) << "a folder in the file's place";
    EXPECT_FALSE(error.isEmpty());
}
