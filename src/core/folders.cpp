#include "folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>

namespace vantor {

QString WithSeparator(const QString &folder)
{
    QString f = QDir::toNativeSeparators(folder);
    if (!f.endsWith(QDir::separator()))
        f += QDir::separator();
    return f;
}

QString CheckDir(const QString &folder, const QString &dataFolder)
{
    const QString plain = QDir::toNativeSeparators(folder);
    const QFileInfo info(plain);
    if (info.isDir())
        return WithSeparator(plain);
    if (!info.exists() && QDir().mkdir(plain))
        return WithSeparator(plain);
    return dataFolder;
}

bool FileCopy(const QString &source, const QString &destination, const QString &stationName,
              const QString &fileName, int structure)
{
    QString separator = QStringLiteral(" - ");
    if (structure == 1 && !stationName.isEmpty()) {
        const QString sub = destination + stationName;
        if (QFileInfo(sub).isDir() || QDir().mkdir(sub))
            separator = QDir::separator();
    }
    const QString target = destination + stationName + separator + fileName;
    std::error_code ec;
    return std::filesystem::copy_file(QFile::encodeName(source).toStdString(),
                                      QFile::encodeName(target).toStdString(),
                                      std::filesystem::copy_options::overwrite_existing, ec);
}

QString FileTimeStamp(TDateTime dt)
{
    return FormatDateTime(QStringLiteral("yyyy-mm-dd hh-nn-ss"), dt);
}

} // namespace vantor
