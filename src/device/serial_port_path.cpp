#include "serial_port_path.h"

#include <QDir>
#include <QFileInfo>

namespace vantor {

QString serialPortPath(const QString &dataFolder, int comPort)
{
#ifdef Q_OS_WIN
    Q_UNUSED(dataFolder)
    return QStringLiteral("COM%1").arg(comPort);
#else
    if (!dataFolder.isEmpty()) {
        const QString operatorEntry =
            QDir(dataFolder).filePath(QStringLiteral("ports/COM%1").arg(comPort));
        const QFileInfo entry(operatorEntry);
        if (entry.exists() || entry.isSymLink())
            return operatorEntry;
    }
    return QStringLiteral("/dev/ttyS%1").arg(comPort - 1);
#endif
}

} // namespace vantor
