// The access token check of the web server: "Authorization: Bearer TOKEN", as
// a Prometheus scrape sends it.
#pragma once

#include <QByteArray>

namespace vantor {

// Whether the header value carries the token. The comparison takes as long
// for a wrong token as for a right one of the same length, so timing tells a
// caller nothing about how much of a guess was right.
bool BearerTokenAccepted(const QByteArray &authorization, const QByteArray &token);

} // namespace vantor
