// The copy of every sent message kept in the EmailsSent folder, named by the
// second it was sent in.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace vantor {

// "yyyy-mm-dd hh-nn-ss.eml" from the wall-clock fields of sent; a later copy
// of the same second (copy 2, 3, …) gets "_002", "_003", … before ".eml", so
// that the copies of a second sort by name in the order they were sent, after
// the first and before the next second.
QString EmailCopyFileName(const QDateTime &sent, int copy = 1);

// Writes message to folder (ending with a separator) under the first copy
// name of sent that is still free, keeping the copies sent before it in the
// same second; false when it could not be written.
bool SaveEmailCopy(const QString &folder, const QDateTime &sent, const QByteArray &message);

} // namespace vantor
