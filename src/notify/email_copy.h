// The copy of every sent message kept in the EmailsSent folder, named by the
// second it was sent in.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace vantor {

// "yyyy-mm-dd hh-nn-ss.eml" from the wall-clock fields of sent.
QString EmailCopyFileName(const QDateTime &sent);

// Writes message to folder (ending with a separator) under the copy name of
// sent, replacing a copy of the same second; false when it could not be
// written.
bool SaveEmailCopy(const QString &folder, const QDateTime &sent, const QByteArray &message);

} // namespace vantor
