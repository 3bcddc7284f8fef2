// Loading and saving of the four settings files.
#include "engine.h"

#include "ini_file.h"
#include "settings_files.h"

#include <QFile>

namespace vantor {

QString Engine::DataFile(const char *name) const
{
    return Folders.DataFolder + QLatin1String(name);
}

void Engine::LoadSettings()
{
    m_loadNotes.clear();
    LoadDevices(IniFile(DataFile("devices.ini")), Devices, DevicesToSave, &m_loadNotes);
    LoadStations(IniFile(DataFile("stations.ini")), Stations, &m_loadNotes);
    for (int j = 0; j < static_cast<int>(Stations.size()); ++j)
        InitializeStation(j);
    LoadAlarmSets(IniFile(DataFile("alarms.ini")), AlarmSets, &m_loadNotes);
}

void Engine::InitializeStation(int station)
{
    if (InvalidStation(station))
        return;
    Stations[station].LastAlarmTime.fill(0);
    m_news.noteStations();
}

QString StationBoxText(const TStation &station)
{
    return station.Frequency + QStringLiteral(" - ") + station.Name + QStringLiteral(" (") +
           station.DeviceName + QStringLiteral(")");
}

void Engine::LoadPreferences()
{
    QStringList names;
    for (const TDevice &d : Devices)
        names << d.Name;
    m_prefs.SetDeviceNames(names);
    KeepConfigToOwner();
    m_prefs.Load(IniFile(DataFile("config.ini")));
}

// "config.ini" holds the mail server's password, so a file that others may
// read or write is narrowed to its owner at once instead of at the next save.
void Engine::KeepConfigToOwner()
{
    QFile config(DataFile("config.ini"));
    if (!config.exists())
        return;
    constexpr QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner |
                                                   QFileDevice::WriteOwner | QFileDevice::ReadUser |
                                                   QFileDevice::WriteUser;
    const QFileDevice::Permissions now = config.permissions();
    if ((now & ~ownerOnly) == 0)
        return;
    if (config.setPermissions(now & ownerOnly))
        AddToActivityLog(-1, QStringLiteral("Others could read or write ") + config.fileName() +
                                 QStringLiteral(", which holds the mail password; it is now "
                                                "readable by its owner only"));
    else
        AddToActivityLog(-1, QStringLiteral("Others can read or write ") + config.fileName() +
                                 QStringLiteral(", which holds the mail password, and it cannot "
                                                "be changed: ") +
                                 config.errorString());
}

namespace {
// Each file is written whole or not at all; the first that fails ends the save.
template <typename Write>
void WriteSettingsFile(const QString &path, Write &&write,
                       IniFile::Access access = IniFile::Access::Kept)
{
    IniFile ini(path);
    write(ini);
    if (!ini.UpdateFile(access))
        throw EngineError(QString(QStringLiteral("Unable to write to ") + path).toStdString());
}
} // namespace

void Engine::SaveSettings()
{
    WriteSettingsFile(DataFile("devices.ini"),
                      [this](IniFile &ini) { SaveDevices(ini, DevicesToSave, Devices); });
    WriteSettingsFile(DataFile("stations.ini"),
                      [this](IniFile &ini) { SaveStations(ini, Stations); });
    WriteSettingsFile(DataFile("alarms.ini"),
                      [this](IniFile &ini) { SaveAlarmSets(ini, AlarmSets); });
    // It holds the mail server's password.
    WriteSettingsFile(
        DataFile("config.ini"), [this](IniFile &ini) { m_prefs.Save(ini); },
        IniFile::Access::OwnerOnly);
}

} // namespace vantor
