// Running the program and the simulator as processes for end-to-end tests.
#pragma once

#include <QDir>
#include <QProcess>
#include <QString>

namespace vantor::test {

// The analyzer simulator as a process on a free loopback port, with a control
// port.
class SimulatorProcess
{
public:
    ~SimulatorProcess();
    // Starts it; false when it did not report its ports.
    bool start(const QStringList &extraArguments = {});
    int port() const { return m_port; }
    // Sends one control command and returns the answer lines up to the one
    // starting "OK" or "ERR".
    QStringList control(const QString &command);

private:
    QProcess m_process;
    int m_port = -1;
    int m_controlPort = -1;
};

// "devices.ini" with one device, "Tx Site", on the simulator's port, scheduled
// in an endless loop.
QByteArray OneDeviceIni(int simulatorPort);

// Sends SIGTERM and waits for the exit; false when it did not end.
bool Terminate(QProcess &process, int timeoutMs = 15000);

// The plain files directly in folder, sorted.
QStringList FilesIn(const QString &folder);

// A device's activity log in the data folder: its daily files, oldest first,
// read at the time of the call, so a test running across midnight sees the
// lines of both days.
QByteArray DeviceLog(const QString &dataFolder, const QString &device);

// The measuring visits of a station that the archive holds: its CSV files
// directly in "StationLogs" (the flat layout), oldest first. A copy's name
// appears before its content does, so only copies with content count.
QStringList ArchivedVisitCsv(const QString &dataFolder, const QString &station);

// A visit's CSV file with "datetime" first in its line composition: the lines
// below the header and the whole seconds from the first line's time to the
// last's. A station that lost no second wrote seconds + 1 lines.
struct CsvSeconds {
    int lines = 0;
    qint64 seconds = -1;
};
CsvSeconds CountCsvSeconds(const QString &file);
// Empty when the finished visit's CSV file covers at least minSeconds with a
// line for every second (give or take the one a late tick stamps with the
// second before); otherwise what it holds.
QString MissedCsvSeconds(const QString &file, int minSeconds = 50);

} // namespace vantor::test
