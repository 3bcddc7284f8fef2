// Reading and writing of the device, station and alarm-set tables in their
// INI files. The functions touch only the tables and the INI contents; the
// engine decides which files and when.
#pragma once

#include "ini_file.h"
#include "model.h"

#include <vector>

namespace vantor {

// The largest count taken as written whatever sections the file holds.
inline constexpr int MaxCountWithoutSections = 100;

// "devices.ini": fills devices (name, connection, e-mail, schedule) and the
// list as it will next be saved.
//
// Each table is as long as its count key says ("DeviceCount", "StationCount",
// "AlarmSetCount" in [General]); entries whose section is missing get default
// values. A count above MaxCountWithoutSections is taken only as far as the
// file has sections: one past the highest numbered section of its kind
// ("Device7" allows 8), leaving out sections numbered MaxCountWithoutSections
// or more beyond the number of sections of the kind. A count cut back that way
// adds one line to notes.
void LoadDevices(const IniFile &ini, std::vector<TDevice> &devices,
                 std::vector<TDeviceToSave> &devicesToSave, QStringList *notes = nullptr);
void LoadStations(const IniFile &ini, std::vector<TStation> &stations,
                  QStringList *notes = nullptr);
void LoadAlarmSets(const IniFile &ini, std::vector<TAlarmSet> &alarmSets,
                   QStringList *notes = nullptr);

// Names, connections and e-mails come from the edited list, schedules from the
// running device at the same position.
void SaveDevices(IniFile &ini, const std::vector<TDeviceToSave> &devicesToSave,
                 const std::vector<TDevice> &devices);
void SaveStations(IniFile &ini, const std::vector<TStation> &stations);
void SaveAlarmSets(IniFile &ini, const std::vector<TAlarmSet> &alarmSets);

} // namespace vantor
