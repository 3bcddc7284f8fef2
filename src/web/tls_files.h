// The web server's certificate and private key, read from their PEM files
// and checked to belong together before the server offers them.
#pragma once

#include <QSslConfiguration>
#include <QString>

#include <optional>

namespace vantor {

// The server's TLS configuration, or nothing with error set: a file that
// cannot be read, holds no certificate or no private key, or a key that is
// not the certificate's.
std::optional<QSslConfiguration> ReadTlsFiles(const QString &certificateFile,
                                              const QString &keyFile, QString *error);

} // namespace vantor
