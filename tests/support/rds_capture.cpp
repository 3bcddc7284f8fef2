#include "rds_capture.h"

#include <QFile>

#include <gtest/gtest.h>

namespace vantor::test {

QString RdsCaptureFolder()
{
    return qEnvironmentVariable("VANTOR_SOURCE_DIR") + QStringLiteral("/tests/rds/data");
}

RdsCapture LoadRdsCapture(const QString &fileName)
{
    QFile file(RdsCaptureFolder() + QLatin1Char('/') + fileName);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << fileName.toStdString();
    RdsCapture capture{fileName, {}, {}};
    for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("expect "))) {
            const qsizetype space = line.indexOf(QLatin1Char(' '), 7);
            capture.expected.append({line.mid(7, space - 7), line.mid(space + 1)});
        } else if (!line.isEmpty() && !line.startsWith(QLatin1Char('#'))) {
            capture.groups.append(line);
        }
    }
    return capture;
}

QStringList RdsCaptureGroups(const QString &fileName)
{
    return LoadRdsCapture(fileName).groups;
}

} // namespace vantor::test
