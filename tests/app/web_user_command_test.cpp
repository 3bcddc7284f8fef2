// "--web-user": its command line, what each verb does to the users' file and
// what it says, and the program reading the password from standard input.
#include "command_line.h"
#include "password_hash.h"
#include "test_support.h"
#include "web_user_command.h"
#include "web_users.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vantor;

namespace {
PasswordReader Gives(const char *password)
{
    return [password](QString *) { return std::optional<QByteArray>(password); };
}

std::optional<QByteArray> NoPassword(QString *error)
{
    *error = QStringLiteral("no password on standard input");
    return std::nullopt;
}

WebUsers Stored(const QString &folder)
{
    WebUsers users;
    QString error;
    EXPECT_TRUE(users.Load(QDir(folder).filePath(WebUsersFileName), &error));
    return users;
}
} // namespace

TEST(WebUserCommandLine, VerbsTakeTheirNameAndRole)
{
    const struct {
        QStringList args;
        int exitCode; // -1: parsed
    } cases[] = {
        {{"--web-user", "add", "alice", "--role", "operator"}, -1},
        {{"--web-user", "passwd", "alice"}, -1},
        {{"--web-user", "remove", "alice"}, -1},
        {{"--web-user", "list"}, -1},
        {{"--web-user", "add", "alice"}, 2},                        // no role
        {{"--web-user", "passwd", "alice", "--role", "viewer"}, 2}, // a role where none goes
        {{"--web-user", "list", "alice"}, 2},
        {{"--web-user", "remove"}, 2},
        {{"--web-user", "remove", "a", "b"}, 2},
        {{"--role", "viewer"}, 2},
        {{"alice"}, 2},
    };
    for (const auto &c : cases) {
        const auto r = ParseCommandLine(QStringList{QStringLiteral("vantor")} + c.args);
        EXPECT_EQ(r.options ? -1 : r.exitCode, c.exitCode) << c.args.join(u' ').toStdString();
    }
    const auto r = ParseCommandLine(
        {"vantor", "--data-dir", "/srv/s", "--web-user", "add", "alice", "--role", "viewer"});
    ASSERT_TRUE(r.options && r.options->webUser);
    EXPECT_EQ(r.options->webUser->verb, QStringLiteral("add"));
    EXPECT_EQ(r.options->webUser->name, QStringLiteral("alice"));
    EXPECT_EQ(r.options->webUser->role, QStringLiteral("viewer"));
}

TEST(WebUserCommand, AddChangeAndRemoveAUser)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("data"));
    auto r = RunWebUserCommand({"add", "alice", "operator"}, folder, Gives("first password"));
    EXPECT_EQ(r.exitCode, 0) << r.error.toStdString();
    EXPECT_EQ(r.output, QStringLiteral("web user alice: added\n"));
    ASSERT_TRUE(Stored(folder).Find(QStringLiteral("alice")));
    const QByteArray firstHash = Stored(folder).Find(QStringLiteral("alice"))->hash;
    EXPECT_TRUE(PasswordMatches("first password", firstHash));
    EXPECT_EQ(QFileInfo(QDir(folder).filePath(WebUsersFileName)).permissions(),
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
                  QFileDevice::WriteUser);

    r = RunWebUserCommand({"add", "alice", "viewer"}, folder, Gives("another password"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.error.contains(QStringLiteral("exists already")));

    r = RunWebUserCommand({"passwd", "alice", {}}, folder, Gives("second password"));
    EXPECT_EQ(r.exitCode, 0) << r.error.toStdString();
    EXPECT_TRUE(PasswordMatches("second password", Stored(folder).users().front().hash));
    EXPECT_FALSE(PasswordMatches("first password", Stored(folder).users().front().hash));
    EXPECT_EQ(Stored(folder).users().front().role, WebRole::Operator) << "passwd keeps the role";

    r = RunWebUserCommand({"add", "bob", "viewer"}, folder, Gives("bobs password"));
    ASSERT_EQ(r.exitCode, 0);
    r = RunWebUserCommand({"list", {}, {}}, folder, &NoPassword);
    EXPECT_EQ(r.output, QStringLiteral("alice\toperator\nbob\tviewer\n"));

    r = RunWebUserCommand({"remove", "alice", {}}, folder, &NoPassword);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_FALSE(Stored(folder).Find(QStringLiteral("alice")));
    EXPECT_TRUE(Stored(folder).Find(QStringLiteral("bob")));
}

TEST(WebUserCommand, RefusalsLeaveTheFileAsItWas)
{
    QTemporaryDir dir;
    const QString folder = dir.path();
    ASSERT_EQ(RunWebUserCommand({"add", "bob", "viewer"}, folder, Gives("bobs password")).exitCode,
              0);
    const struct {
        WebUserCommand command;
        PasswordReader reader;
        int exitCode;
        const char *says;
    } cases[] = {
        {{"add", "a:b", "viewer"}, Gives("long enough"), 2, "':'"},
        {{"add", "carol", "admin"}, Gives("long enough"), 2, "operator or viewer"},
        {{"add", "carol", "viewer"}, Gives("short"), 1, "at least 8"},
        {{"add", "carol", "viewer"}, &NoPassword, 1, "no password"},
        {{"passwd", "carol", {}}, Gives("long enough"), 1, "no user carol"},
        {{"remove", "carol", {}}, &NoPassword, 1, "no user carol"},
        {{"rename", "bob", {}}, &NoPassword, 2, "add, passwd, remove or list"},
    };
    const QByteArray before = Stored(folder).users().front().hash;
    for (const auto &c : cases) {
        const auto r = RunWebUserCommand(c.command, folder, c.reader);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.says;
        EXPECT_TRUE(r.error.contains(QLatin1String(c.says))) << r.error.toStdString();
        ASSERT_EQ(Stored(folder).users().size(), 1) << c.says;
        EXPECT_EQ(Stored(folder).users().front().hash, before) << c.says;
    }
}

TEST(WebUserCommand, TheProgramReadsThePasswordFromAPipe)
{
    QTemporaryDir dir;
    QProcess vantor;
    vantor.start(test::binDir() + QStringLiteral("/vantor"),
                 {"--data-dir", dir.path(), "--web-user", "add", "ops", "--role", "operator"});
    ASSERT_TRUE(vantor.waitForStarted());
    vantor.write("piped password\n");
    vantor.closeWriteChannel();
    ASSERT_TRUE(vantor.waitForFinished(30000));
    EXPECT_EQ(vantor.exitCode(), 0) << vantor.readAllStandardError().toStdString();
    const WebUser *ops = Stored(dir.path()).Find(QStringLiteral("ops"));
    ASSERT_TRUE(ops);
    EXPECT_TRUE(PasswordMatches("piped password", ops->hash));

    vantor.start(test::binDir() + QStringLiteral("/vantor"),
                 {"--data-dir", dir.path(), "--web-user", "passwd", "ops"});
    ASSERT_TRUE(vantor.waitForStarted());
    vantor.closeWriteChannel();
    ASSERT_TRUE(vantor.waitForFinished(30000));
    EXPECT_EQ(vantor.exitCode(), 1);
    EXPECT_TRUE(vantor.readAllStandardError().contains("no password on standard input"));
}
