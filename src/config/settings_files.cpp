#include "settings_files.h"

#include <QFileInfo>

#include <algorithm>

namespace vantor {

namespace {
const QString General = QStringLiteral("General");

QString Section(const char *prefix, qsizetype index)
{
    return QLatin1String(prefix) + QString::number(index);
}

QString DayKey(int day)
{
    return QStringLiteral("Day") + QString::number(day + 1);
}

// The most entries a file can hold: one past the highest numbered section of
// the kind ("Station7" gives 8), so that a few missing sections read as
// default entries. A section numbered far beyond the number of sections there
// are (a slip in its name) does not count: one section "Station999999" would
// otherwise ask for a million entries.
qsizetype SectionsPresent(const IniFile &ini, const QLatin1String prefix)
{
    std::vector<qsizetype> indexes;
    for (const QString &name : ini.SectionNames()) {
        if (!name.startsWith(prefix, Qt::CaseInsensitive))
            continue;
        const QString digits = name.mid(prefix.size());
        bool ok = false;
        const int index = digits.toInt(&ok);
        if (ok && index >= 0 && QString::number(index) == digits)
            indexes.push_back(index);
    }
    const qsizetype reach = qsizetype(indexes.size()) + MaxCountWithoutSections;
    qsizetype present = 0;
    for (const qsizetype index : indexes) {
        if (index < reach)
            present = std::max(present, index + 1);
    }
    return present;
}

// A negative count in a hand-edited file reads as no entries. A count beyond
// the sections present gives entries with default values, but only up to
// MaxCountWithoutSections: a typing slip must not ask for millions of entries.
qsizetype Count(const IniFile &ini, const char *key, const char *prefix, QStringList *notes)
{
    const int declared = std::max(0, ini.ReadInteger(General, QLatin1String(key), 0));
    if (declared <= MaxCountWithoutSections)
        return declared;
    const qsizetype present = SectionsPresent(ini, QLatin1String(prefix));
    if (declared <= present)
        return declared;
    if (notes)
        notes->append(QLatin1String(key) + QLatin1Char('=') + QString::number(declared) +
                      QStringLiteral(" in ") + QFileInfo(ini.path()).fileName() +
                      QStringLiteral(" is more than the file holds; ") + QString::number(present) +
                      QStringLiteral(" read"));
    return present;
}

QString PinKey(const QString &prefix, const char *what, int pin)
{
    return prefix + QStringLiteral("_") + QLatin1String(what) + QString::number(pin) +
           (qstrcmp(what, "Pin") == 0 ? QStringLiteral("Polarity") : QString());
}
} // namespace

void LoadDevices(const IniFile &ini, std::vector<TDevice> &devices,
                 std::vector<TDeviceToSave> &devicesToSave, QStringList *notes)
{
    const qsizetype n = Count(ini, "DeviceCount", "Device", notes);
    devices.assign(n, TDevice{});
    devicesToSave.assign(n, TDeviceToSave{});
    for (qsizetype i = 0; i < n; ++i) {
        const QString s = Section("Device", i);
        TDevice &d = devices[i];
        d.Name = ini.ReadString(s, QStringLiteral("Name"), {});
        d.Connection = ini.ReadString(s, QStringLiteral("Connection"), {});
        d.Email = ini.ReadString(s, QStringLiteral("Email"), {});
        d.SchedulingMode = ini.ReadInteger(s, QStringLiteral("SchedulingMode"), 0);
        for (int day = 0; day < WeekDayCount; ++day)
            d.Schedule[day].Times = ini.ReadString(s, DayKey(day), {});
        devicesToSave[i] = {d.Name, d.Connection, d.Email};
    }
}

void LoadStations(const IniFile &ini, std::vector<TStation> &stations, QStringList *notes)
{
    const qsizetype m = Count(ini, "StationCount", "Station", notes);
    stations.assign(m, TStation{});
    for (qsizetype j = 0; j < m; ++j) {
        const QString s = Section("Station", j);
        TStation &st = stations[j];
        st.Name = ini.ReadString(s, QStringLiteral("Name"), {});
        st.Frequency = ini.ReadString(s, QStringLiteral("Frequency"), {});
        st.DeviceName = ini.ReadString(s, QStringLiteral("DeviceName"), {});
        st.PS = ini.ReadString(s, QStringLiteral("PS"), {});
        st.PI = ini.ReadString(s, QStringLiteral("PI"), {});
        st.Commands = ini.ReadString(s, QStringLiteral("Commands"), {});
        st.ModeOrder = ini.ReadString(s, QStringLiteral("ModeOrder"), {});
        st.Email = ini.ReadString(s, QStringLiteral("Email"), {});
        st.Measuring = ini.ReadInteger(s, QStringLiteral("Measuring"), 0);
        st.RDS = ini.ReadInteger(s, QStringLiteral("RDS"), 0);
        st.AlarmSetName = ini.ReadString(s, QStringLiteral("AlarmSetName"), {});
    }
}

void LoadAlarmSets(const IniFile &ini, std::vector<TAlarmSet> &alarmSets, QStringList *notes)
{
    const qsizetype count = Count(ini, "AlarmSetCount", "AlarmSet", notes);
    alarmSets.assign(count, TAlarmSet{});
    for (qsizetype k = 0; k < count; ++k) {
        const QString s = Section("AlarmSet", k);
        TAlarmSet &a = alarmSets[k];
        a.Name = ini.ReadString(s, QStringLiteral("Name"), {});
        for (int kind = 0; kind < AlarmKindCount; ++kind) {
            const QString &p = AlarmKindPrefixes[kind];
            TBasic &b = a.Basic[kind];
            a.DefaultEmail = ini.ReadString(s, QStringLiteral("DefaultEmail"), QStringLiteral("@"));
            b.Enabled = ini.ReadBool(s, p + QStringLiteral("_Enabled"), false);
            b.SendEmail = ini.ReadBool(s, p + QStringLiteral("_SendEmail"), false);
            b.RunFile = ini.ReadBool(s, p + QStringLiteral("_RunFile"), false);
            b.FileName = ini.ReadString(s, p + QStringLiteral("_FileName"), {});
            b.Params = ini.ReadString(s, p + QStringLiteral("_Params"), {});
            b.Duration =
                ini.ReadInteger(s, p + QStringLiteral("_Duration"), DefaultAlarmDuration(kind));
            for (int pin = 1; pin <= PinCount; ++pin) {
                b.SetDrivePin(pin, ini.ReadBool(s, PinKey(p, "DrivePin", pin), false));
                b.SetPinPolarity(pin, ini.ReadInteger(s, PinKey(p, "Pin", pin), 0));
            }
        }
        a.SD_Minimum = ini.ReadInteger(s, QStringLiteral("SD_Minimum"), 25);
        a.TM_IgnoreHourOffset = ini.ReadBool(s, QStringLiteral("TM_IgnoreHourOffset"), false);
        a.TM_MaxError = ini.ReadInteger(s, QStringLiteral("TM_MaxError"), 60);
        a.OM_MaxHoldLimit = ini.ReadInteger(s, QStringLiteral("OM_MaxHoldLimit"), 88);
        a.OM_MaxAtLimit = ini.ReadInteger(s, QStringLiteral("OM_MaxAtLimit"), 78);
        a.OM_AveLimit = ini.ReadInteger(s, QStringLiteral("OM_AveLimit"), 78);
        a.SQ_SignalQuality = ini.ReadInteger(s, QStringLiteral("SQ_SignalQuality"), 1);
        a.PL_Minimum = ini.ReadInteger(s, QStringLiteral("PL_Minimum"), 5800);
        a.PL_Maximum = ini.ReadInteger(s, QStringLiteral("PL_Maximum"), 7700);
        a.PM_Maximum = ini.ReadInteger(s, QStringLiteral("PM_Maximum"), 4);
        a.RF_Minimum = ini.ReadInteger(s, QStringLiteral("RF_Minimum"), 40);
        a.RL_Minimum = ini.ReadInteger(s, QStringLiteral("RL_Minimum"), 0);
        a.RL_Maximum = ini.ReadInteger(s, QStringLiteral("RL_Maximum"), 8300);
        a.RE_MaxShare = ini.ReadInteger(s, QStringLiteral("RE_MaxShare"), 10);
        a.GT_GroupTypes = ini.ReadString(s, QStringLiteral("GT_GroupTypes"), QStringLiteral("0A"));
    }
}

void SaveDevices(IniFile &ini, const std::vector<TDeviceToSave> &devicesToSave,
                 const std::vector<TDevice> &devices)
{
    ini.WriteInteger(General, QStringLiteral("DeviceCount"),
                     static_cast<int>(devicesToSave.size()));
    for (size_t i = 0; i < devicesToSave.size(); ++i) {
        const QString s = Section("Device", qsizetype(i));
        ini.WriteString(s, QStringLiteral("Name"), devicesToSave[i].Name);
        ini.WriteString(s, QStringLiteral("Connection"), devicesToSave[i].Connection);
        ini.WriteString(s, QStringLiteral("Email"), devicesToSave[i].Email);
    }
    for (size_t i = 0; i < devices.size(); ++i) {
        const QString s = Section("Device", qsizetype(i));
        ini.WriteInteger(s, QStringLiteral("SchedulingMode"), devices[i].SchedulingMode);
        for (int day = 0; day < WeekDayCount; ++day)
            ini.WriteString(s, DayKey(day), devices[i].Schedule[day].Times);
    }
}

void SaveStations(IniFile &ini, const std::vector<TStation> &stations)
{
    ini.WriteInteger(General, QStringLiteral("StationCount"), static_cast<int>(stations.size()));
    for (size_t j = 0; j < stations.size(); ++j) {
        const QString s = Section("Station", qsizetype(j));
        const TStation &st = stations[j];
        ini.WriteString(s, QStringLiteral("Name"), st.Name);
        ini.WriteString(s, QStringLiteral("Frequency"), st.Frequency);
        ini.WriteString(s, QStringLiteral("DeviceName"), st.DeviceName);
        ini.WriteString(s, QStringLiteral("PS"), st.PS);
        ini.WriteString(s, QStringLiteral("PI"), st.PI);
        ini.WriteString(s, QStringLiteral("Commands"), st.Commands);
        ini.WriteString(s, QStringLiteral("ModeOrder"), st.ModeOrder);
        ini.WriteString(s, QStringLiteral("Email"), st.Email);
        ini.WriteInteger(s, QStringLiteral("Measuring"), st.Measuring);
        ini.WriteInteger(s, QStringLiteral("RDS"), st.RDS);
        ini.WriteString(s, QStringLiteral("AlarmSetName"), st.AlarmSetName);
    }
}

void SaveAlarmSets(IniFile &ini, const std::vector<TAlarmSet> &alarmSets)
{
    ini.WriteInteger(General, QStringLiteral("AlarmSetCount"), static_cast<int>(alarmSets.size()));
    for (size_t k = 0; k < alarmSets.size(); ++k) {
        const QString s = Section("AlarmSet", qsizetype(k));
        const TAlarmSet &a = alarmSets[k];
        ini.WriteString(s, QStringLiteral("Name"), a.Name);
        for (int kind = 0; kind < AlarmKindCount; ++kind) {
            const QString &p = AlarmKindPrefixes[kind];
            const TBasic &b = a.Basic[kind];
            ini.WriteString(s, QStringLiteral("DefaultEmail"), a.DefaultEmail);
            ini.WriteBool(s, p + QStringLiteral("_Enabled"), b.Enabled);
            ini.WriteBool(s, p + QStringLiteral("_SendEmail"), b.SendEmail);
            ini.WriteBool(s, p + QStringLiteral("_RunFile"), b.RunFile);
            ini.WriteString(s, p + QStringLiteral("_FileName"), b.FileName);
            ini.WriteString(s, p + QStringLiteral("_Params"), b.Params);
            ini.WriteInteger(s, p + QStringLiteral("_Duration"), b.Duration);
            for (int pin = 1; pin <= PinCount; ++pin)
                ini.WriteBool(s, PinKey(p, "DrivePin", pin), b.DrivePin(pin));
            for (int pin = 1; pin <= PinCount; ++pin)
                ini.WriteInteger(s, PinKey(p, "Pin", pin), b.PinPolarity(pin));
        }
        ini.WriteInteger(s, QStringLiteral("SD_Minimum"), a.SD_Minimum);
        ini.WriteBool(s, QStringLiteral("TM_IgnoreHourOffset"), a.TM_IgnoreHourOffset);
        ini.WriteInteger(s, QStringLiteral("TM_MaxError"), a.TM_MaxError);
        ini.WriteInteger(s, QStringLiteral("OM_MaxHoldLimit"), a.OM_MaxHoldLimit);
        ini.WriteInteger(s, QStringLiteral("OM_MaxAtLimit"), a.OM_MaxAtLimit);
        ini.WriteInteger(s, QStringLiteral("OM_AveLimit"), a.OM_AveLimit);
        ini.WriteInteger(s, QStringLiteral("SQ_SignalQuality"), a.SQ_SignalQuality);
        ini.WriteInteger(s, QStringLiteral("PL_Minimum"), a.PL_Minimum);
        ini.WriteInteger(s, QStringLiteral("PL_Maximum"), a.PL_Maximum);
        ini.WriteInteger(s, QStringLiteral("PM_Maximum"), a.PM_Maximum);
        ini.WriteInteger(s, QStringLiteral("RF_Minimum"), a.RF_Minimum);
        ini.WriteInteger(s, QStringLiteral("RL_Minimum"), a.RL_Minimum);
        ini.WriteInteger(s, QStringLiteral("RL_Maximum"), a.RL_Maximum);
        ini.WriteInteger(s, QStringLiteral("RE_MaxShare"), a.RE_MaxShare);
        ini.WriteString(s, QStringLiteral("GT_GroupTypes"), a.GT_GroupTypes);
    }
}

} // namespace vantor
