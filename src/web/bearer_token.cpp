#include "bearer_token.h"

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

bool BearerTokenAccepted(const QByteArray &authorization, const QByteArray &token)
{
    if (token.isEmpty())
        return false;
    const QByteArray value = authorization.trimmed();
    const QByteArray scheme = "bearer ";
    if (value.size() < scheme.size() || value.left(scheme.size()).toLower() != scheme)
        return false;
    return SameBytes(value.mid(scheme.size()).trimmed(), token);
}

} // namespace vantor
