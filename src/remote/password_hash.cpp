#include "password_hash.h"

#include <crypt.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace vantor {

namespace {
// Method prefixes in order of preference; a count of 0 takes the library's
// default cost for each.
const char *const Methods[] = {"$y$", "$2b$"};

// crypt's own answer for "no hash": a text starting with '*'.
bool FailedHash(const char *text)
{
    return text == nullptr || text[0] == '*' || text[0] == '\0';
}
} // namespace

bool ConstantTimeEquals(const QByteArray &a, const QByteArray &b)
{
    if (a.size() != b.size())
        return false;
    unsigned char difference = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}

QByteArray HashPassword(const QByteArray &password, QString *error)
{
    // crypt reads a C string: a NUL inside would cut the password short.
    if (password.contains('\0')) {
        *error = QStringLiteral("a password cannot hold a NUL character");
        return {};
    }
    auto data = std::make_unique<crypt_data>();
    for (const char *method : Methods) {
        char setting[CRYPT_GENSALT_OUTPUT_SIZE];
        // No random bytes given: the library takes them from the system's
        // random source itself.
        if (FailedHash(crypt_gensalt_rn(method, 0, nullptr, 0, setting, sizeof setting)))
            continue;
        std::memset(data.get(), 0, sizeof(crypt_data));
        const char *hash = crypt_rn(password.constData(), setting, data.get(), sizeof(crypt_data));
        if (!FailedHash(hash))
            return QByteArray(hash);
    }
    *error = QStringLiteral("the system's crypt makes neither yescrypt nor bcrypt hashes (%1)")
                 .arg(QString::fromLocal8Bit(std::strerror(errno)));
    return {};
}

bool PasswordMatches(const QByteArray &password, const QByteArray &hash)
{
    if (password.contains('\0') || hash.contains('\0') ||
        !(hash.startsWith("$y$") || hash.startsWith("$2b$")))
        return false;
    auto data = std::make_unique<crypt_data>();
    const char *again =
        crypt_rn(password.constData(), hash.constData(), data.get(), sizeof(crypt_data));
    return !FailedHash(again) && ConstantTimeEquals(QByteArray(again), hash);
}

} // namespace vantor
