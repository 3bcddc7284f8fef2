// Reading and writing of the device, station and alarm-set tables in their
// INI files. The functions touch only the tables and the INI contents; the
// engine decides which files and when.
#pragma once

#include "ini_file.h"
#include "model.h"

#include <vector>

namespace vantor {

// "devices.ini": fills devices (name, connection, e-mail, schedule) and the
// list as it will next be saved.
void LoadDevices(const IniFile &ini, std::vector<TDevice> &devices,
                 std::vector<TDeviceToSave> &devicesToSave);
void LoadStations(const IniFile &ini, std::vector<TStation> &stations);
void LoadAlarmSets(const IniFile &ini, std::vector<TAlarmSet> &alarmSets);

// Names, connections and e-mails come from the edited list, schedules from the
// running device at the same position.
void SaveDevices(IniFile &ini, const std::vector<TDeviceToSave> &devicesToSave,
                 const std::vector<TDevice> &devices);
void SaveStations(IniFile &ini, const std::vector<TStation> &stations);
void SaveAlarmSets(IniFile &ini, const std::vector<TAlarmSet> &alarmSets);

} // namespace vantor
