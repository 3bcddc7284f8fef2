#include "fuzz_scratch.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

namespace vantor::fuzz {

QString ScratchPath()
{
    static const QString shm = QStringLiteral("/dev/shm");
    static const QTemporaryDir dir((QDir(shm).exists() ? shm : QDir::tempPath()) +
                                   QStringLiteral("/vantor-fuzz-XXXXXX"));
    if (!dir.isValid())
        std::abort();
    return dir.filePath(QStringLiteral("scratch.ini"));
}

void WriteScratch(const QByteArray &bytes)
{
    QFile file(ScratchPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        std::abort();
}

QByteArray ReadScratch()
{
    QFile file(ScratchPath());
    if (!file.open(QIODevice::ReadOnly))
        std::abort();
    return file.readAll();
}

} // namespace vantor::fuzz
