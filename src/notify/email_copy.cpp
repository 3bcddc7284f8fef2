#include "email_copy.h"

#include <QSaveFile>

namespace vantor {

QString EmailCopyFileName(const QDateTime &sent)
{
    return sent.toString(QStringLiteral("yyyy-MM-dd HH-mm-ss")) + QStringLiteral(".eml");
}

bool SaveEmailCopy(const QString &folder, const QDateTime &sent, const QByteArray &message)
{
    // Written aside and renamed, so a failed write never leaves half a copy
    // in place of an earlier one of the same second.
    QSaveFile file(folder + EmailCopyFileName(sent));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(message);
    return file.commit();
}

} // namespace vantor
