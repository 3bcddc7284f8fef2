#include "recent_data_list.h"

namespace vantor {

static_assert(RecentDataList::MaxEntries + RecentDataList::KnownSlots <= INT16_MAX,
              "slots hold entry positions");

RecentDataList::RecentDataList()
{
    m_slots.fill(-1);
}

TLastData *RecentDataList::Entry(const QString &name, int slot)
{
    const bool slotted = slot >= 0 && slot < KnownSlots;
    if (slotted && m_slots[slot] >= 0)
        return &m_entries[static_cast<std::size_t>(m_slots[slot])];
    std::size_t at = m_entries.size();
    const auto known = m_index.constFind(name);
    if (known != m_index.constEnd()) {
        at = *known;
    } else {
        if (!slotted) {
            if (m_unknown >= MaxEntries) {
                ++m_refused;
                return nullptr;
            }
            ++m_unknown;
        }
        m_index.insert(name, at);
        m_entries.push_back({name, {}});
    }
    if (slotted)
        m_slots[slot] = static_cast<std::int16_t>(at);
    return &m_entries[at];
}

bool RecentDataList::Set(const QString &name, const QString &value, int slot)
{
    TLastData *entry = Entry(name, slot);
    if (entry)
        entry->Value = value;
    return entry;
}

const QString *RecentDataList::Write(const QString &name, QLatin1StringView value, int slot)
{
    TLastData *entry = Entry(name, slot);
    if (!entry)
        return nullptr;
    QString &to = entry->Value;
    // A value shared with a reader keeps its text; this one gets its own.
    if (!to.isDetached() || to.capacity() < value.size()) {
        to = QString(value);
        return &to;
    }
    to.resize(value.size());
    QChar *out = to.data();
    for (const char c : value)
        *out++ = QLatin1Char(c);
    return &to;
}

const QString *RecentDataList::Find(const QString &name) const
{
    const auto known = m_index.constFind(name);
    return known == m_index.constEnd() ? nullptr : &m_entries[*known].Value;
}

void RecentDataList::Clear()
{
    m_entries.clear();
    m_index.clear();
    m_slots.fill(-1);
    m_unknown = 0;
    m_refused = 0;
}

} // namespace vantor
