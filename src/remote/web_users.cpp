#include "web_users.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <unistd.h>

namespace vantor {

namespace {
constexpr qint64 MaxFileBytes = 1024 * 1024;

bool ValidHash(const QByteArray &hash)
{
    if (!(hash.startsWith("$y$") || hash.startsWith("$2b$")) || hash.size() > 256)
        return false;
    for (const char c : hash) {
        const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                             (c >= '0' && c <= '9') || c == '.' || c == '/' || c == '$';
        if (!allowed)
            return false;
    }
    return true;
}
} // namespace

QString WebRoleName(WebRole role)
{
    return role == WebRole::Operator ? QStringLiteral("operator") : QStringLiteral("viewer");
}

std::optional<WebRole> WebRoleFromName(const QString &name)
{
    if (name == QLatin1String("operator"))
        return WebRole::Operator;
    if (name == QLatin1String("viewer"))
        return WebRole::Viewer;
    return std::nullopt;
}

QString WebUserNameProblem(const QString &name)
{
    if (name.isEmpty())
        return QStringLiteral("a user name cannot be empty");
    if (name.size() > MaxWebUserNameLength)
        return QStringLiteral("a user name has at most %1 characters").arg(MaxWebUserNameLength);
    for (const QChar c : name) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format ||
            c.isSurrogate() || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            return QStringLiteral("a user name cannot hold control characters");
        if (c == QLatin1Char(':'))
            return QStringLiteral("a user name cannot hold ':'");
    }
    if (name.front().isSpace() || name.back().isSpace())
        return QStringLiteral("a user name cannot start or end with a blank");
    return {};
}

bool WebUsers::Load(const QString &path, QString *error)
{
    m_users.clear();
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        *error = path + QStringLiteral(": ") + file.errorString();
        return false;
    }
    if (file.size() > MaxFileBytes) {
        *error = path + QStringLiteral(": larger than any user list (%1 bytes)").arg(file.size());
        return false;
    }
    const QList<QByteArray> lines = file.readAll().split('\n');
    QList<WebUser> users;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        if (line.isEmpty())
            continue;
        const auto malformed = [&](const QString &why) {
            *error = QStringLiteral("%1, line %2: %3").arg(path).arg(i + 1).arg(why);
            return false;
        };
        const QList<QByteArray> fields = line.split(':');
        if (fields.size() != 3)
            return malformed(QStringLiteral("not NAME:ROLE:HASH"));
        WebUser user;
        user.name = QString::fromUtf8(fields[0]);
        if (const QString problem = WebUserNameProblem(user.name); !problem.isEmpty())
            return malformed(problem);
        const auto role = WebRoleFromName(QString::fromLatin1(fields[1]));
        if (!role)
            return malformed(QStringLiteral("the role is neither viewer nor operator"));
        user.role = *role;
        user.hash = fields[2];
        if (!ValidHash(user.hash))
            return malformed(QStringLiteral("the password hash is not a yescrypt or bcrypt hash"));
        for (const WebUser &other : users)
            if (other.name == user.name)
                return malformed(QStringLiteral("the user ") + user.name +
                                 QStringLiteral(" is listed twice"));
        if (users.size() == MaxWebUsers)
            return malformed(QStringLiteral("more than %1 users").arg(MaxWebUsers));
        users.append(user);
    }
    m_users = users;
    return true;
}

bool WebUsers::Save(const QString &path, QString *error) const
{
    QSaveFile file(path);
    // The temporary file is owner-only from its creation; setting the
    // permissions again keeps a target that was once wider from passing its
    // permissions on.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        *error = path + QStringLiteral(": ") + file.errorString();
        file.cancelWriting();
        return false;
    }
    QByteArray text;
    for (const WebUser &user : m_users)
        text +=
            user.name.toUtf8() + ':' + WebRoleName(user.role).toLatin1() + ':' + user.hash + '\n';
    if (file.write(text) != text.size() || ::fsync(file.handle()) != 0) {
        *error = path + QStringLiteral(": ") + file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *error = path + QStringLiteral(": ") + file.errorString();
        return false;
    }
    return true;
}

const WebUser *WebUsers::Find(const QString &name) const
{
    for (const WebUser &user : m_users)
        if (user.name == name)
            return &user;
    return nullptr;
}

bool WebUsers::Add(const WebUser &user)
{
    if (Find(user.name) || m_users.size() >= MaxWebUsers)
        return false;
    m_users.append(user);
    return true;
}

bool WebUsers::SetHash(const QString &name, const QByteArray &hash)
{
    for (WebUser &user : m_users)
        if (user.name == name) {
            user.hash = hash;
            return true;
        }
    return false;
}

bool WebUsers::Remove(const QString &name)
{
    return m_users.removeIf([&](const WebUser &user) { return user.name == name; }) > 0;
}

} // namespace vantor
