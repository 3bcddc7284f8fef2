// Loading the device, station and alarm-set tables: counts that a file cannot
// back are cut to the sections present.
#include "settings_files.h"
#include "test_support.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vantor;
using vantor::test::writeAll;

namespace {

IniFile Written(const QTemporaryDir &dir, const char *name, const QByteArray &content)
{
    const QString path = dir.filePath(QLatin1String(name));
    EXPECT_TRUE(writeAll(path, content));
    return IniFile(path);
}

QByteArray Sections(const char *prefix, std::initializer_list<const char *> suffixes)
{
    QByteArray text;
    for (const char *suffix : suffixes)
        text += QByteArray("[") + prefix + suffix + "]\r\nName=" + prefix + suffix + "\r\n";
    return text;
}

} // namespace

TEST(SettingsFiles, ALargeCountBeyondTheSectionsPresentReadsAsTheSectionsPresent)
{
    QTemporaryDir dir;
    const struct {
        const char *count;
        std::initializer_list<const char *> sections;
        qsizetype loaded;
        bool noted;
    } cases[] = {
        {"2147483647", {"0", "1", "2"}, 3, true},
        {"1000000", {"0", "1"}, 2, true},
        {"101", {}, 0, true},
        {"0x7FFFFFFF", {"0"}, 1, true},
        // A gap keeps the later section at its place.
        {"1000000", {"0", "5"}, 6, true},
        {"2147483647", {"0", "101"}, 102, true},
        // A section numbered far beyond the others is a slip in its name,
        // and would make one short file ask for a million entries.
        {"2147483647", {"0", "999999"}, 1, true},
        {"2147483647", {"999999"}, 0, true},
        // Names compare without letter case; "07" and "x1" number nothing.
        {"1000", {"0", "07", "x1"}, 1, true},
        // Small counts are taken as written, missing sections or not.
        {"3", {"0", "1", "2"}, 3, false},
        {"2", {"0", "1", "2"}, 2, false},
        {"100", {"0"}, 100, false},
        {"-4", {"0"}, 0, false},
    };
    for (const auto &c : cases) {
        const QByteArray general = QByteArray("[General]\r\n");
        QStringList notes;
        std::vector<TStation> stations;
        LoadStations(
            Written(dir, "stations.ini",
                    general + "StationCount=" + c.count + "\r\n" + Sections("Station", c.sections)),
            stations, &notes);
        EXPECT_EQ(qsizetype(stations.size()), c.loaded) << c.count;
        EXPECT_EQ(notes.size(), c.noted ? 1 : 0) << c.count;

        std::vector<TDevice> devices;
        std::vector<TDeviceToSave> toSave;
        LoadDevices(
            Written(dir, "devices.ini",
                    general + "DeviceCount=" + c.count + "\r\n" + Sections("device", c.sections)),
            devices, toSave);
        EXPECT_EQ(qsizetype(devices.size()), c.loaded) << c.count;
        EXPECT_EQ(qsizetype(toSave.size()), c.loaded) << c.count;

        std::vector<TAlarmSet> sets;
        LoadAlarmSets(Written(dir, "alarms.ini",
                              general + "AlarmSetCount=" + c.count + "\r\n" +
                                  Sections("ALARMSET", c.sections)),
                      sets);
        EXPECT_EQ(qsizetype(sets.size()), c.loaded) << c.count;
    }
}

TEST(SettingsFiles, TheNoteNamesTheKeyTheFileAndWhatWasRead)
{
    QTemporaryDir dir;
    QStringList notes;
    std::vector<TStation> stations;
    LoadStations(
        Written(dir, "stations.ini",
                "[General]\r\nStationCount=2147483647\r\n" + Sections("Station", {"0", "1"})),
        stations, &notes);
    ASSERT_EQ(stations.size(), 2u);
    EXPECT_EQ(stations[1].Name, QStringLiteral("Station1"));
    EXPECT_EQ(notes, QStringList{QStringLiteral(
                         "StationCount=2147483647 in stations.ini is more than the file holds; "
                         "2 read")});
}

TEST(SettingsFiles, AlarmSetsWrittenBeforeTheRdsKindsLoadAsTheyWereWithThoseKindsOff)
{
    QTemporaryDir dir;
    // Every task key of the nine kinds set, as older versions wrote them.
    QByteArray old = "[General]\r\nAlarmSetCount=1\r\n[AlarmSet0]\r\nName=Old\r\n"
                     "DefaultEmail=ops@example.com\r\n";
    for (const char *p : {"SD", "PI", "TM", "OM", "SQ", "PL", "PM", "RF", "RL"})
        old += QByteArray(p) + "_Enabled=1\r\n" + p + "_SendEmail=1\r\n" + p + "_Duration=42\r\n" +
               p + "_DrivePin3=1\r\n" + p + "_Pin3Polarity=1\r\n";
    old += "SD_Minimum=30\r\nRL_Maximum=9000\r\n";
    std::vector<TAlarmSet> sets;
    LoadAlarmSets(Written(dir, "alarms.ini", old), sets);
    ASSERT_EQ(sets.size(), 1u);
    for (int kind = 0; kind <= AlarmRdsLevel; ++kind) {
        const TBasic &b = sets[0].Basic[kind];
        EXPECT_TRUE(b.Enabled && b.SendEmail && b.DrivePin3) << kind;
        EXPECT_EQ(b.Duration, 42);
        EXPECT_EQ(b.Pin3Polarity, 1);
    }
    EXPECT_EQ(sets[0].SD_Minimum, 30);
    EXPECT_EQ(sets[0].RL_Maximum, 9000);
    const TAlarmSet fresh;
    for (int kind = AlarmPsMismatch; kind < AlarmKindCount; ++kind) {
        const TBasic &b = sets[0].Basic[kind];
        EXPECT_FALSE(b.Enabled || b.SendEmail || b.RunFile || b.DrivePin3) << kind;
        EXPECT_EQ(b.Duration, DefaultAlarmDuration(kind));
    }
    EXPECT_EQ(sets[0].RE_MaxShare, fresh.RE_MaxShare);
    EXPECT_EQ(sets[0].GT_GroupTypes, fresh.GT_GroupTypes);
}

TEST(SettingsFiles, TheRdsKindsAreSavedAfterTheNineAndReadBack)
{
    QTemporaryDir dir;
    TAlarmSet set;
    set.Name = QStringLiteral("Rds");
    set.Basic[AlarmSilence].Enabled = true;
    set.Basic[AlarmGroupTypesMissing].Enabled = true;
    set.Basic[AlarmGroupTypesMissing].Duration = 240;
    set.Basic[AlarmTaStuck].SetDrivePin(2, true);
    set.Basic[AlarmTaStuck].SetPinPolarity(2, 1);
    set.Basic[AlarmPsMismatch].FileName = QStringLiteral("/opt/ps.sh");
    set.RE_MaxShare = 35;
    set.GT_GroupTypes = QStringLiteral("0A 2A 4A");
    IniFile ini(dir.filePath(QStringLiteral("alarms.ini")));
    SaveAlarmSets(ini, {set});
    ASSERT_TRUE(ini.UpdateFile());

    const QByteArray text = test::readAll(ini.path());
    for (const char *key : {"PS_Enabled=0", "TA_DrivePin2=1", "TA_Pin2Polarity=1",
                            "RT_Duration=600", "RE_MaxShare=35", "GT_Enabled=1", "GT_Duration=240",
                            "GT_GroupTypes=0A 2A 4A", "PS_FileName=/opt/ps.sh"})
        EXPECT_TRUE(text.contains(QByteArray(key).append("\r\n"))) << key;
    // The nine kinds' keys come first, in their order, as before.
    EXPECT_LT(text.indexOf("RL_Pin4Polarity="), text.indexOf("PS_Enabled="));
    EXPECT_LT(text.indexOf("SD_Enabled="), text.indexOf("PI_Enabled="));

    std::vector<TAlarmSet> back;
    LoadAlarmSets(IniFile(ini.path()), back);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_TRUE(back[0].Basic[AlarmGroupTypesMissing].Enabled);
    EXPECT_EQ(back[0].Basic[AlarmGroupTypesMissing].Duration, 240);
    EXPECT_TRUE(back[0].Basic[AlarmTaStuck].DrivePin(2));
    EXPECT_EQ(back[0].Basic[AlarmTaStuck].PinPolarity(2), 1);
    EXPECT_EQ(back[0].Basic[AlarmPsMismatch].FileName, QStringLiteral("/opt/ps.sh"));
    EXPECT_EQ(back[0].RE_MaxShare, 35);
    EXPECT_EQ(back[0].GT_GroupTypes, QStringLiteral("0A 2A 4A"));
}
