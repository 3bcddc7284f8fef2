#include "folders.h"

#include "platform_utils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
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

namespace {
bool CutShort(const std::error_code &ec)
{
#ifdef EDQUOT
    if (ec.value() == EDQUOT)
        return true;
#endif
    return ec == std::errc::no_space_on_device || ec == std::errc::file_too_large ||
           ec == std::errc::io_error;
}
} // namespace

bool FileCopy(const QString &source, const QString &destination, const QString &stationName,
              const QString &fileName, int structure, QString *error)
{
    QString target = destination + DataFileName(stationName, QStringLiteral(" - ") + fileName);
    if (structure == 1 && !stationName.isEmpty()) {
        const QString sub = destination + DataFileName(stationName, QString());
        if (QFileInfo(sub).isDir() || QDir().mkdir(sub))
            target = sub + QDir::separator() + fileName;
    }
    const std::filesystem::path to = QFile::encodeName(target).toStdString();
    std::error_code ec;
    if (std::filesystem::copy_file(QFile::encodeName(source).toStdString(), to,
                                   std::filesystem::copy_options::overwrite_existing, ec))
        return true;
    // A copy cut short by a full disk or a size limit is no archive copy.
    if (CutShort(ec)) {
        std::error_code ignored;
        std::filesystem::remove(to, ignored);
    }
    if (error)
        *error = target + QStringLiteral(": ") + QString::fromLocal8Bit(ec.message());
    return false;
}

QString FileTimeStamp(TDateTime dt)
{
    return FormatDateTime(QStringLiteral("yyyy-mm-dd hh-nn-ss"), dt);
}

} // namespace vantor
