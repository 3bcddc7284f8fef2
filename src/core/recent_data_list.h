// A device's recent data: the latest value text of each name received since
// the last tuning, in order of first arrival, indexed by name so that a
// receiver sending thousands of names cannot make every response a linear
// search. Names the caller knows (given a slot) always have their place; of
// the others the list holds at most MaxEntries, and later ones are refused.
#pragma once

#include <QHash>
#include <QLatin1StringView>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

namespace vantor {

struct TLastData {
    QString Name;
    QString Value;
};

class RecentDataList
{
public:
    // Unknown names: far above the few a real analyzer sends, far below what
    // would make composing a CSV line or an alarm report costly.
    static constexpr int MaxEntries = 256;
    // The names a caller sets many times a second may each be given a slot
    // number below this, always the same for the same name; once such a name
    // has arrived it is found without hashing.
    static constexpr int KnownSlots = 32;
    static constexpr int NoSlot = -1;

    RecentDataList();

    // Replaces the value of a name or appends a new one; false when the name
    // is new, has no slot and MaxEntries names without one are held.
    bool Set(const QString &name, const QString &value, int slot = NoSlot);
    // The same, with the value written over the old one in its room, so a
    // value that keeps arriving costs no allocation; the stored value, or
    // nullptr when the name was refused.
    const QString *Write(const QString &name, QLatin1StringView value, int slot = NoSlot);
    // The value of name, or nullptr when there is none.
    const QString *Find(const QString &name) const;
    void Clear();

    // Unknown names refused since the list was last cleared.
    int Refused() const { return m_refused; }

    bool empty() const { return m_entries.empty(); }
    std::size_t size() const { return m_entries.size(); }
    const TLastData &operator[](std::size_t i) const { return m_entries[i]; }
    auto begin() const { return m_entries.cbegin(); }
    auto end() const { return m_entries.cend(); }

private:
    // The entry of name, appended when new; nullptr when refused.
    TLastData *Entry(const QString &name, int slot);

    std::vector<TLastData> m_entries;
    QHash<QString, std::size_t> m_index;
    // Entry positions by slot, -1 while the slot's name has not arrived.
    std::array<std::int16_t, KnownSlots> m_slots;
    // Entries appended without a slot, which alone count against MaxEntries.
    int m_unknown = 0;
    int m_refused = 0;
};

} // namespace vantor
