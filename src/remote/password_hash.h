// Password hashes of the web users, made and checked by the system's crypt:
// yescrypt, or bcrypt where the library has no yescrypt. Both are slow on
// purpose (tens of milliseconds), so callers keep them off the engine's loop.
#pragma once

#include <QByteArray>
#include <QString>

namespace vantor {

// A new salted hash of password; empty with error set when the library
// could make none.
QByteArray HashPassword(const QByteArray &password, QString *error);

// Whether password gives hash. The hash is compared in constant time, and a
// malformed or unknown hash matches nothing.
bool PasswordMatches(const QByteArray &password, const QByteArray &hash);

// Equality of two byte strings in a time that depends only on their lengths.
bool ConstantTimeEquals(const QByteArray &a, const QByteArray &b);

} // namespace vantor
