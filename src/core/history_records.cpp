#include "history_records.h"

namespace vantor {

void HistoryRecords::resize(std::size_t count)
{
    if (count > m_records.capacity())
        m_records.reserve(count);
    m_records.resize(count);
    if (m_records.capacity() > count)
        m_records.shrink_to_fit();
}

} // namespace vantor
