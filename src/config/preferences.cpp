#include "preferences.h"

#include "model.h"

#include <algorithm>
#include <stdexcept>

namespace vantor {

namespace {
const QString CompositionKey = QStringLiteral("LineComposition");
const QString RdsDeviceKey = QStringLiteral("RDSLumexDevice");

QString Quoted(const QStringList &names)
{
    QStringList quoted;
    for (const QString &name : names)
        quoted.append(QLatin1Char('"') + name + QLatin1Char('"'));
    return quoted.join(QLatin1Char(';'));
}

qsizetype Position(const PreferenceEntry &entry)
{
    return &entry - PreferenceEntries().data();
}

const PreferenceEntry &EntryOf(const QString &key)
{
    const PreferenceEntry *entry = FindPreferenceEntry(key);
    if (!entry)
        throw std::logic_error("unknown setting " + key.toStdString());
    return *entry;
}

const WindowKeys &KeysOf(AppWindow window)
{
    for (const WindowKeys &keys : WindowKeyTable())
        if (keys.window == window)
            return keys;
    throw std::logic_error("window without placement keys");
}
} // namespace

Preferences::Preferences()
    : m_numbers(PreferenceEntries().size()), m_texts(PreferenceEntries().size())
{
    for (const PreferenceEntry &entry : PreferenceEntries()) {
        const qsizetype i = Position(entry);
        if (entry.kind == PreferenceKind::Text)
            m_texts[i] = QLatin1String(entry.text);
        else if (entry.kind == PreferenceKind::Composition)
            m_texts[i] = DefaultComposition();
        else
            m_numbers[i] = CoercePreference(entry, entry.def, 0);
    }
}

QString Preferences::DefaultComposition()
{
    return Quoted({QStringLiteral("datetime"), QStringLiteral("Signal Quality"),
                   QStringLiteral("Level"), QStringLiteral("MAX"), QStringLiteral("Pilot"),
                   QStringLiteral("RDS"), QStringLiteral("Pm")});
}

QString Preferences::FullComposition()
{
    QStringList names{QStringLiteral("datetime")};
    for (int c = 0; c < NamedColumnCount; ++c)
        names.append(MeasurementColumns[c]);
    return Quoted(names);
}

void Preferences::SetDeviceNames(const QStringList &names)
{
    m_deviceNames = names;
    const PreferenceEntry &entry = EntryOf(RdsDeviceKey);
    Store(entry, m_numbers[Position(entry)]);
}

qsizetype Preferences::Slot(const QString &key, std::initializer_list<PreferenceKind> kinds) const
{
    const PreferenceEntry &entry = EntryOf(key);
    if (std::find(kinds.begin(), kinds.end(), entry.kind) == kinds.end())
        throw std::logic_error("setting " + key.toStdString() + " is of another kind");
    return Position(entry);
}

int Preferences::Integer(const QString &key) const
{
    using K = PreferenceKind;
    return m_numbers[Slot(
        key, {K::Integer, K::ItemIndex, K::DeviceIndex, K::OptionGroup, K::WindowState})];
}

bool Preferences::Flag(const QString &key) const
{
    return m_numbers[Slot(key, {PreferenceKind::Flag, PreferenceKind::Radio})] != 0;
}

QString Preferences::Text(const QString &key) const
{
    return m_texts[Slot(key, {PreferenceKind::Text, PreferenceKind::Composition})];
}

void Preferences::Store(const PreferenceEntry &entry, int value)
{
    const int held = CoercePreference(entry, value, int(m_deviceNames.size()));
    m_numbers[Position(entry)] = held;
    if (entry.kind == PreferenceKind::Radio && held != 0)
        m_numbers[Position(EntryOf(QLatin1String(entry.partner)))] = 0;
}

void Preferences::SetInteger(const QString &key, int value)
{
    using K = PreferenceKind;
    Slot(key, {K::Integer, K::ItemIndex, K::DeviceIndex, K::OptionGroup, K::WindowState});
    Store(EntryOf(key), value);
}

void Preferences::SetFlag(const QString &key, bool value)
{
    Slot(key, {PreferenceKind::Flag, PreferenceKind::Radio});
    Store(EntryOf(key), value ? 1 : 0);
}

void Preferences::SetText(const QString &key, const QString &value)
{
    m_texts[Slot(key, {PreferenceKind::Text, PreferenceKind::Composition})] = value;
}

void Preferences::ApplyDefaultPreset()
{
    SetText(CompositionKey, DefaultComposition());
}

void Preferences::ApplyFullPreset()
{
    SetText(CompositionKey, FullComposition());
}

WindowPlacement Preferences::Placement(AppWindow window) const
{
    const WindowKeys &keys = KeysOf(window);
    return {Integer(QLatin1String(keys.top)), Integer(QLatin1String(keys.left)),
            Integer(QLatin1String(keys.width)), Integer(QLatin1String(keys.height)),
            Integer(QLatin1String(keys.state))};
}

void Preferences::SetPlacement(AppWindow window, const WindowPlacement &placement)
{
    const WindowKeys &keys = KeysOf(window);
    SetInteger(QLatin1String(keys.top), placement.top);
    SetInteger(QLatin1String(keys.left), placement.left);
    SetInteger(QLatin1String(keys.width), placement.width);
    SetInteger(QLatin1String(keys.height), placement.height);
    SetInteger(QLatin1String(keys.state), placement.state);
}

void Preferences::Read(const IniFile &ini, const PreferenceEntry &entry)
{
    const QString section = QLatin1String(entry.section);
    const QString key = QLatin1String(entry.key);
    QString &text = m_texts[Position(entry)];
    switch (entry.kind) {
    case PreferenceKind::Text:
        text = ini.ReadString(section, key, QLatin1String(entry.text));
        return;
    case PreferenceKind::Composition: {
        // The wrappers keep the quotes of the first and last name from being
        // taken for a quoted value; whatever the first and last characters
        // are, they go.
        const QString stored =
            ini.ReadString(section, key, QLatin1Char('#') + text + QLatin1Char('#'));
        text = stored.size() < 2 ? QString() : stored.mid(1, stored.size() - 2);
        return;
    }
    case PreferenceKind::Flag:
    case PreferenceKind::Radio:
        Store(entry, ini.ReadBool(section, key, entry.def != 0) ? 1 : 0);
        return;
    case PreferenceKind::Integer:
    case PreferenceKind::ItemIndex:
    case PreferenceKind::DeviceIndex:
    case PreferenceKind::OptionGroup:
    case PreferenceKind::WindowState:
        Store(entry, ini.ReadInteger(section, key, entry.def));
        return;
    }
}

void Preferences::Load(const IniFile &ini)
{
    const auto readGroup = [&](PreferenceGroup group) {
        for (const PreferenceEntry &entry : PreferenceEntries())
            if (entry.group == group && entry.kind != PreferenceKind::Composition)
                Read(ini, entry);
    };
    readGroup(PreferenceGroup::Email);
    readGroup(PreferenceGroup::System);
    Read(ini, EntryOf(CompositionKey));
    readGroup(PreferenceGroup::LogGraph);
    readGroup(PreferenceGroup::Window);
}

void Preferences::Write(IniFile &ini, const QString &name) const
{
    const PreferenceEntry &entry = EntryOf(name);
    const QString section = QLatin1String(entry.section);
    const QString key = QLatin1String(entry.key);
    const qsizetype i = Position(entry);
    switch (entry.kind) {
    case PreferenceKind::Text:
        ini.WriteString(section, key, m_texts[i]);
        return;
    case PreferenceKind::Composition:
        ini.WriteString(section, key, QLatin1Char('#') + m_texts[i] + QLatin1Char('#'));
        return;
    case PreferenceKind::Flag:
    case PreferenceKind::Radio:
        ini.WriteBool(section, key, m_numbers[i] != 0);
        return;
    case PreferenceKind::Integer:
    case PreferenceKind::ItemIndex:
    case PreferenceKind::DeviceIndex:
    case PreferenceKind::OptionGroup:
    case PreferenceKind::WindowState:
        ini.WriteInteger(section, key, m_numbers[i]);
        return;
    }
}

void Preferences::Save(IniFile &ini) const
{
    const auto write = [&](const char *key) { Write(ini, QLatin1String(key)); };
    for (const PreferenceEntry &entry : PreferenceEntries())
        if (entry.group != PreferenceGroup::Window)
            write(entry.Name());

    // Height goes before width here, unlike on reading.
    const WindowKeys &main = KeysOf(AppWindow::Main);
    for (const char *key : {main.top, main.left, main.height, main.width, main.state})
        write(key);
    for (const WindowKeys &child : WindowKeyTable()) {
        if (child.window == AppWindow::Main)
            continue;
        write(child.state);
        if (Integer(QLatin1String(child.state)) == WindowNormal)
            for (const char *key : {child.top, child.left, child.height, child.width})
                write(key);
        if (child.window == AppWindow::RecentData)
            write("Accumulated");
    }
    for (const char *key :
         {"GraphValue1", "GraphValue2", "GraphValue3", "GraphRate", "GraphXAxis", "GraphAuto",
          "GraphManual", "GraphYMin", "GraphYMax", "RecentDataShow", "ImmediateFrequency"})
        write(key);
}

} // namespace vantor
