// The table of every "config.ini" setting: where it lives, what kind of
// control holds it, its default and its range. The Preferences model and the
// dialog that edits it both take their limits from here.
#pragma once

#include <QString>

#include <span>

namespace vantor {

enum class PreferenceKind {
    Text,        // edit field
    Composition, // edit field kept in the file between "#" wrappers
    Flag,        // check box
    Radio,       // radio button; checking it unchecks its partner
    Integer,     // number field: a value is moved into min … max
    ItemIndex,   // drop-down list of count items: an index outside it selects nothing (-1)
    DeviceIndex, // drop-down list of the device names, otherwise like ItemIndex
    OptionGroup, // count options: too large selects the last, negative selects none (-1)
    WindowState, // window state code
};

// Groups in the order they are read; windows come last.
enum class PreferenceGroup { Email, System, LogGraph, Window };

struct PreferenceEntry {
    PreferenceGroup group;
    const char *section;
    const char *key;
    PreferenceKind kind;
    int def = 0;                   // numbers, item indexes; 1/0 for flags
    int min = 0;                   // Integer only
    int max = 0;                   // Integer: upper limit; ItemIndex, OptionGroup: item count
    const char *text = "";         // Text default
    const char *partner = nullptr; // Radio: the other button of the pair
    // The name the setting is asked for by, where its key alone is taken by
    // another section ("Enable" of "[SNMP]" is "SNMPEnable").
    const char *alias = nullptr;

    const char *Name() const { return alias ? alias : key; }
};

// Window state codes as stored in the file.
enum WindowStateCode { WindowNormal = 0, WindowMaximised = 1, WindowMinimised = 2 };

// The windows whose placement is kept: the main window and its children.
enum class AppWindow { Main, RecentActivity, RecentData, AlarmDetails, Graph };

struct WindowKeys {
    AppWindow window;
    const char *top;
    const char *left;
    const char *width;
    const char *height;
    const char *state;
};

// Every entry, in the order of reading: the "Email" keys, the system keys of
// "General", "LogGraph1" … "LogGraph14", then the window keys.
std::span<const PreferenceEntry> PreferenceEntries();

// The placement keys of each window, main window first.
std::span<const WindowKeys> WindowKeyTable();

// The entry of a setting's name (its key, or its alias), or nullptr for a
// name that is not a setting.
const PreferenceEntry *FindPreferenceEntry(const QString &name);

// value as the entry's control would hold it once set to value; itemCount is
// used for DeviceIndex entries.
int CoercePreference(const PreferenceEntry &entry, int value, int itemCount);

} // namespace vantor
