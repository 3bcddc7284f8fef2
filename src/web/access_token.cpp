#include "access_token.h"

namespace vantor {

namespace {
bool SameBytes(const QByteArray &a, const QByteArray &b)
{
    // Every byte of the longer one is looked at whatever the differences.
    const qsizetype n = std::max(a.size(), b.size());
    unsigned difference = a.size() == b.size() ? 0u : 1u;
    for (qsizetype i = 0; i < n; ++i) {
        const unsigned char x = i < a.size() ? static_cast<unsigned char>(a[i]) : 0;
        const unsigned char y = i < b.size() ? static_cast<unsigned char>(b[i]) : 0;
        difference |= static_cast<unsigned>(x ^ y);
    }
    return difference == 0;
}
} // namespace

bool TokenAccepted(const QByteArray &authorization, const QByteArray &token)
{
    if (token.isEmpty())
        return false;
    const QByteArray value = authorization.trimmed();
    const qsizetype blank = value.indexOf(' ');
    if (blank < 0)
        return false;
    const QByteArray scheme = value.left(blank).toLower();
    const QByteArray credentials = value.mid(blank + 1).trimmed();
    if (scheme == "bearer")
        return SameBytes(credentials, token);
    if (scheme != "basic")
        return false;
    const auto decoded =
        QByteArray::fromBase64Encoding(credentials, QByteArray::AbortOnBase64DecodingErrors);
    const qsizetype colon = decoded.decoded.indexOf(':');
    return decoded && colon >= 0 && SameBytes(decoded.decoded.mid(colon + 1), token);
}

} // namespace vantor
