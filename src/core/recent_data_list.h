// A device's recent data: the latest value text of each name received since
// the last tuning, in order of first arrival, indexed by name so that a
// receiver sending thousands of names cannot make every response a linear
// search. The list holds at most MaxEntries names; later names are refused.
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
    // Far above the few dozen names a real analyzer sends, far below what
    // would make composing a CSV line or an alarm report costly.
    static constexpr int MaxEntries = 256;
    // The names a caller sets many times a second may each be given a slot
    // number below this, always the same for the same name; once such a name
    // has arrived it is found without hashing.
    static constexpr int KnownSlots = 32;
    static constexpr int NoSlot = -1;

    RecentDataList();

    // Replaces the value of a known name or appends a new one; false when
    // the name is new and the list is full.
    bool Set(const QString &name, const QString &value, int slot = NoSlot);
    // The same, with the value written over the old one in its room, so a
    // value that keeps arriving costs no allocation; the stored value, or
    // nullptr when the name was refused.
    const QString *Write(const QString &name, QLatin1StringView value, int slot = NoSlot);
    // The value of name, or nullptr when there is none.
    const QString *Find(const QString &name) const;
    void Clear();

    // Names refused since the list was last cleared.
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
    int m_refused = 0;
};

} // namespace vantor
