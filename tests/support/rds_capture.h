// The off-air RDS captures of tests/rds/data (its README names each source):
// the groups as a receiver delivers them, and what the source states was sent.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

namespace vantor::test {

struct RdsCapture {
    QString name;
    QStringList groups;                          // 16 hex digits, "----" for a lost block
    QList<std::pair<QString, QString>> expected; // "expect KEY VALUE" lines
};

// The folder of the captures.
QString RdsCaptureFolder();

// One capture by its file name in that folder; a file that cannot be read
// fails the test and gives an empty capture.
RdsCapture LoadRdsCapture(const QString &fileName);

// Only the groups of a capture.
QStringList RdsCaptureGroups(const QString &fileName);

} // namespace vantor::test
