// The access token check of the web server: "Authorization: Bearer TOKEN", as
// a Prometheus scrape sends it, or HTTP Basic with the token as the password,
// which is what a browser asks its user for and then sends with every request.
#pragma once

#include <QByteArray>

namespace vantor {

// Whether the header value carries the token (Basic: any user name). The comparison takes as long
// for a wrong token as for a right one of the same length, so timing tells a
// caller nothing about how much of a guess was right.
bool TokenAccepted(const QByteArray &authorization, const QByteArray &token);

} // namespace vantor
