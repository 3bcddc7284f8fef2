#include "web_user_command.h"

#include "password_hash.h"
#include "web_users.h"

#include <QDir>

namespace vantor {

namespace {
WebUserCommandResult Failed(const QString &text)
{
    return {1, QString(), QStringLiteral("vantor: ") + text};
}

std::optional<QByteArray> NewHash(const PasswordReader &readPassword, QString *error)
{
    const auto password = readPassword(error);
    if (!password)
        return std::nullopt;
    if (QString::fromUtf8(*password).size() < MinWebPasswordLength) {
        *error = QStringLiteral("a password has at least %1 characters").arg(MinWebPasswordLength);
        return std::nullopt;
    }
    QByteArray hash = HashPassword(*password, error);
    if (hash.isEmpty())
        return std::nullopt;
    return hash;
}
} // namespace

WebUserCommandResult RunWebUserCommand(const WebUserCommand &command, const QString &dataFolder,
                                       const PasswordReader &readPassword)
{
    if (!QDir().mkpath(dataFolder))
        return Failed(QStringLiteral("cannot create the data folder ") +
                      QDir::toNativeSeparators(dataFolder));
    const QString path = QDir(dataFolder).filePath(WebUsersFileName);
    WebUsers users;
    QString error;
    if (!users.Load(path, &error))
        return Failed(error);

    if (command.verb == QLatin1String("list")) {
        WebUserCommandResult result;
        for (const WebUser &user : users.users())
            result.output +=
                user.name + QLatin1Char('\t') + WebRoleName(user.role) + QLatin1Char('\n');
        return result;
    }
    if (const QString problem = WebUserNameProblem(command.name); !problem.isEmpty())
        return {2, QString(), QStringLiteral("vantor: ") + problem};

    QString done;
    if (command.verb == QLatin1String("add")) {
        const auto role = WebRoleFromName(command.role);
        if (!role)
            return {2, QString(), QStringLiteral("vantor: --role is operator or viewer")};
        if (users.Find(command.name))
            return Failed(QStringLiteral("the user ") + command.name +
                          QStringLiteral(" exists already (passwd changes the password)"));
        const auto hash = NewHash(readPassword, &error);
        if (!hash)
            return Failed(error);
        if (!users.Add({command.name, *role, *hash}))
            return Failed(QStringLiteral("at most %1 users").arg(MaxWebUsers));
        done = QStringLiteral("added");
    } else if (command.verb == QLatin1String("passwd") || command.verb == QLatin1String("remove")) {
        if (!users.Find(command.name))
            return Failed(QStringLiteral("no user ") + command.name);
        if (command.verb == QLatin1String("remove")) {
            users.Remove(command.name);
            done = QStringLiteral("removed");
        } else {
            const auto hash = NewHash(readPassword, &error);
            if (!hash)
                return Failed(error);
            users.SetHash(command.name, *hash);
            done = QStringLiteral("password changed");
        }
    } else {
        return {2, QString(),
                QStringLiteral("vantor: --web-user takes add, passwd, remove or list")};
    }
    if (!users.Save(path, &error))
        return Failed(error);
    return {0,
            QStringLiteral("web user ") + command.name + QStringLiteral(": ") + done +
                QLatin1Char('\n'),
            QString()};
}

} // namespace vantor
