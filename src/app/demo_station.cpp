#include "demo_station.h"

#include "ini_file.h"
#include "model.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace vantor {

namespace {

const QString DemoDevice = QStringLiteral("Demo Analyzer");
const QString General = QStringLiteral("General");
const QString Loopback = QStringLiteral("127.0.0.1");

struct DemoStationEntry {
    const char *name;
    const char *frequency;
    const char *ps;
    const char *pi;
};

// Frequencies the simulator's built-in scenario plays: two clean stations and
// one that overmodulates with its clock running ahead.
const DemoStationEntry Stations[] = {
    {"Vantor One", "94.2", "VANTOR 1", "A201"},
    {"City FM", "98.5", "CITY FM", "A202"},
    {"Loud FM", "101.1", "LOUD FM", "A203"},
};

bool Save(IniFile &ini, QString *error, IniFile::Access access = IniFile::Access::Kept)
{
    if (ini.UpdateFile(access))
        return true;
    *error = QStringLiteral("cannot write ") + ini.path();
    return false;
}

bool WriteDemoConfiguration(const QString &folder, QString *error)
{
    IniFile devices(folder + QStringLiteral("devices.ini"));
    devices.WriteInteger(General, QStringLiteral("DeviceCount"), 1);
    devices.WriteString(QStringLiteral("Device0"), QStringLiteral("Name"), DemoDevice);
    devices.WriteString(QStringLiteral("Device0"), QStringLiteral("Connection"),
                        Loopback + QStringLiteral(":0"));
    devices.WriteInteger(QStringLiteral("Device0"), QStringLiteral("SchedulingMode"), 1);

    IniFile stations(folder + QStringLiteral("stations.ini"));
    stations.WriteInteger(General, QStringLiteral("StationCount"), int(std::size(Stations)));
    for (int j = 0; j < int(std::size(Stations)); ++j) {
        const QString s = QStringLiteral("Station") + QString::number(j);
        stations.WriteString(s, QStringLiteral("Name"), QLatin1String(Stations[j].name));
        stations.WriteString(s, QStringLiteral("Frequency"), QLatin1String(Stations[j].frequency));
        stations.WriteString(s, QStringLiteral("DeviceName"), DemoDevice);
        stations.WriteString(s, QStringLiteral("PS"), QLatin1String(Stations[j].ps));
        stations.WriteString(s, QStringLiteral("PI"), QLatin1String(Stations[j].pi));
        stations.WriteString(s, QStringLiteral("ModeOrder"), QStringLiteral("Measuring/RDS"));
        stations.WriteInteger(s, QStringLiteral("Measuring"), 1);
        stations.WriteInteger(s, QStringLiteral("RDS"), 1);
        stations.WriteString(s, QStringLiteral("AlarmSetName"), QStringLiteral("Demo"));
    }

    // Alarms that the loud station trips within its visit.
    IniFile alarms(folder + QStringLiteral("alarms.ini"));
    const QString a = QStringLiteral("AlarmSet0");
    alarms.WriteInteger(General, QStringLiteral("AlarmSetCount"), 1);
    alarms.WriteString(a, QStringLiteral("Name"), QStringLiteral("Demo"));
    for (const char *kind : {"SD", "PI", "TM", "OM", "SQ", "RF"}) {
        alarms.WriteBool(a, QLatin1String(kind) + QStringLiteral("_Enabled"), true);
        alarms.WriteInteger(a, QLatin1String(kind) + QStringLiteral("_Duration"), 20);
    }
    alarms.WriteInteger(a, QStringLiteral("TM_MaxError"), 5);
    alarms.WriteInteger(a, QStringLiteral("OM_MaxHoldLimit"), 85);

    IniFile config(folder + QStringLiteral("config.ini"));
    config.WriteBool(General, QStringLiteral("SaveHistogram"), true);
    config.WriteBool(General, QStringLiteral("LogGraph1"), true);
    config.WriteBool(General, QStringLiteral("LogGraph10"), true);
    // The Graph Window opens on MAX, Level and Pilot, refreshed every second.
    config.WriteInteger(General, QStringLiteral("GraphValue1"), 1);
    config.WriteInteger(General, QStringLiteral("GraphValue2"), 10);
    config.WriteInteger(General, QStringLiteral("GraphValue3"), 6);
    config.WriteInteger(General, QStringLiteral("GraphRate"), 0);

    return Save(devices, error) && Save(stations, error) && Save(alarms, error) &&
           Save(config, error, IniFile::Access::OwnerOnly);
}

} // namespace

DemoStation::DemoStation() : m_simulator(sim::Scenario::builtIn(), 1) {}

bool DemoStation::prepare(const QString &dataFolder, QString *error)
{
    const QString folder = QDir(dataFolder).absolutePath() + QLatin1Char('/');
    if (!QFileInfo::exists(folder + QStringLiteral("devices.ini")) &&
        !WriteDemoConfiguration(folder, error))
        return false;

    IniFile devices(folder + QStringLiteral("devices.ini"));
    const QString section = QStringLiteral("Device0");
    const QString connection = devices.ReadString(section, QStringLiteral("Connection"), {});
    const int wanted = connection.startsWith(Loopback + QLatin1Char(':'))
                           ? connection.mid(Loopback.size() + 1).toInt()
                           : 0;
    m_port = wanted > 0 ? m_simulator.listenTcp(QHostAddress::LocalHost, quint16(wanted)) : -1;
    if (m_port < 0)
        m_port = m_simulator.listenTcp(QHostAddress::LocalHost, 0);
    if (m_port < 0) {
        *error =
            QStringLiteral("the analyzer simulator cannot listen: ") + m_simulator.errorString();
        return false;
    }
    if (m_port != wanted) {
        devices.WriteString(section, QStringLiteral("Connection"),
                            Loopback + QLatin1Char(':') + QString::number(m_port));
        return Save(devices, error);
    }
    return true;
}

QString DemoDataFolder()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(base).absoluteFilePath(QStringLiteral("Vantor Demo"));
}

} // namespace vantor
