#include "recent_data_list.h"

namespace vantor {

bool RecentDataList::Set(const QString &name, const QString &value)
{
    const auto known = m_index.constFind(name);
    if (known != m_index.constEnd()) {
        m_entries[*known].Value = value;
        return true;
    }
    if (m_entries.size() >= static_cast<std::size_t>(MaxEntries)) {
        ++m_refused;
        return false;
    }
    m_index.insert(name, m_entries.size());
    m_entries.push_back({name, value});
    return true;
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
    m_refused = 0;
}

} // namespace vantor
