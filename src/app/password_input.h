// Reading a password for "--web-user": from a terminal without echo, asked
// twice; from standard input's first line when it is no terminal (scripts).
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace vantor {

// The password, or nothing with error set (end of input, the two entries
// differ, a terminal that cannot be set).
std::optional<QByteArray> ReadNewPassword(QString *error);

} // namespace vantor
