#include "email_copy.h"

#include <QFileInfo>
#include <QSaveFile>

namespace vantor {

QString EmailCopyFileName(const QDateTime &sent, int copy)
{
    const QString second = sent.toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"));
    if (copy <= 1)
        return second + QStringLiteral(".eml");
    return second + QStringLiteral("_%1.eml").arg(copy, 3, 10, QLatin1Char('0'));
}

bool SaveEmailCopy(const QString &folder, const QDateTime &sent, const QByteArray &message)
{
    int copy = 1;
    while (QFileInfo::exists(folder + EmailCopyFileName(sent, copy)))
        ++copy;
    // Written aside and renamed, so a failed write never leaves half a copy.
    QSaveFile file(folder + EmailCopyFileName(sent, copy));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(message);
    return file.commit();
}

} // namespace vantor
