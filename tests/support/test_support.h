// Small helpers shared by the test suites: file reading and waiting on the
// event loop for a condition instead of sleeping.
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

namespace vantor::test {

// Runs the event loop until pred() holds or timeoutMs passes; returns pred().
bool waitFor(const std::function<bool()> &pred, int timeoutMs = 5000);

QByteArray readAll(const QString &path);
bool writeAll(const QString &path, const QByteArray &data);

// Directory of the built executables (vantor, analyzer-sim).
QString binDir();

} // namespace vantor::test
