// The users of the web server and their roles, kept in "web-users" in the
// data folder: one line "NAME:ROLE:HASH" per user, owner-only (0600). The
// program only reads it; "vantor --web-user" edits it.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace vantor {

enum class WebRole { Viewer, Operator };

// "viewer", "operator".
QString WebRoleName(WebRole role);
std::optional<WebRole> WebRoleFromName(const QString &name);

struct WebUser {
    QString name;
    WebRole role = WebRole::Viewer;
    QByteArray hash; // crypt's text: "$y$..." or "$2b$..."
};

inline constexpr int MaxWebUserNameLength = 64;
inline constexpr int MaxWebUsers = 1000;
inline const QString WebUsersFileName = QStringLiteral("web-users");

// Empty when name can be a user's name, else why not: 1 to 64 characters,
// no control characters, no ':', no blank at either end.
QString WebUserNameProblem(const QString &name);

class WebUsers
{
public:
    // Reads the file; a missing file is no users. False with error set when
    // the file cannot be read or a line is malformed: the file is then left
    // as it is, and nobody is let in by it.
    bool Load(const QString &path, QString *error);
    // Writes the whole file anew (a temporary file renamed over it), owner-only.
    bool Save(const QString &path, QString *error) const;

    const WebUser *Find(const QString &name) const;
    const QList<WebUser> &users() const { return m_users; }
    // False when the name is taken or the store is full.
    bool Add(const WebUser &user);
    bool SetHash(const QString &name, const QByteArray &hash);
    bool Remove(const QString &name);

private:
    QList<WebUser> m_users;
};

} // namespace vantor
