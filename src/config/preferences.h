// The system-wide settings of "config.ini": every value the Preferences dialog
// edits, plus the window placements and window choices kept there. Values are
// held as their controls would hold them (numbers clamped, item indexes
// checked against their lists); readers ask for a setting by its key name at
// the moment they need it.
#pragma once

#include "ini_file.h"
#include "preference_entries.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace vantor {

struct WindowPlacement {
    int top = 0;
    int left = 0;
    int width = 0;
    int height = 0;
    int state = WindowNormal;

    bool operator==(const WindowPlacement &) const = default;
};

class Preferences
{
public:
    // Every setting at its default.
    Preferences();

    // The line compositions of the "Default" and "Full" presets: quoted names
    // separated by ";".
    static QString DefaultComposition();
    static QString FullComposition();

    // The names of the "RDSLumexDevice" list, in device table order. A
    // selection that no longer fits the list becomes none (-1).
    void SetDeviceNames(const QStringList &names);
    const QStringList &DeviceNames() const { return m_deviceNames; }

    // Access by name: the key in "config.ini", or the entry's alias where the
    // key is taken by another section. Integer serves number fields, item
    // indexes (-1 for no selection) and window state codes; Flag serves check
    // boxes and radio buttons; Text serves edit fields ("LineComposition"
    // without its "#" wrappers). A name that is not a setting, or one of
    // another kind, throws std::logic_error.
    int Integer(const QString &key) const;
    bool Flag(const QString &key) const;
    QString Text(const QString &key) const;

    // Setters store what the control would show: a number is moved into its
    // range, an index outside its list selects nothing (an option group takes
    // its last option for a too-large index), an unknown window state code is
    // normal, and checking a radio button unchecks its partner.
    void SetInteger(const QString &key, int value);
    void SetFlag(const QString &key, bool value);
    void SetText(const QString &key, const QString &value);

    void ApplyDefaultPreset();
    void ApplyFullPreset();

    WindowPlacement Placement(AppWindow window) const;
    void SetPlacement(AppWindow window, const WindowPlacement &placement);

    // Reads every setting from ini, in file order: "Email", the system keys of
    // "General", "LineComposition", the "LogGraph" flags, the window keys.
    // Missing keys and unreadable numbers take the defaults.
    void Load(const IniFile &ini);

    // Writes every setting into ini in the fixed order of the file. A child
    // window's position and size are written only while it is normal, so a
    // maximised or minimised window keeps its last normal placement.
    void Save(IniFile &ini) const;

    bool operator==(const Preferences &) const = default;

private:
    qsizetype Slot(const QString &key, std::initializer_list<PreferenceKind> kinds) const;
    void Store(const PreferenceEntry &entry, int value);
    void Read(const IniFile &ini, const PreferenceEntry &entry);
    void Write(IniFile &ini, const QString &name) const;

    QStringList m_deviceNames;
    std::vector<int> m_numbers;   // by entry position; flags as 0/1
    std::vector<QString> m_texts; // by entry position
};

} // namespace vantor
