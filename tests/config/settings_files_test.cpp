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
