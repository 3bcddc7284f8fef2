#include "history_records.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <type_traits>

namespace vantor {

static_assert(std::is_trivially_copyable_v<THistorySample> &&
                  std::is_trivially_destructible_v<THistorySample>,
              "blocks are taken and copied as bytes");

HistoryRecords::Records HistoryRecords::NewBlock()
{
    // Uncleared: fresh pages are touched only when a record is written, a
    // page every forty seconds of measuring.
    auto *records = static_cast<THistorySample *>(std::malloc(Block * sizeof(THistorySample)));
    if (!records)
        throw std::bad_alloc();
    return Records(records);
}

HistoryRecords::HistoryRecords(const HistoryRecords &other) : m_size(other.m_size)
{
    m_blocks.reserve(other.m_blocks.size());
    for (const Records &block : other.m_blocks) {
        m_blocks.push_back(NewBlock());
        std::memcpy(m_blocks.back().get(), block.get(), Block * sizeof(THistorySample));
    }
}

HistoryRecords &HistoryRecords::operator=(const HistoryRecords &other)
{
    if (this != &other)
        *this = HistoryRecords(other);
    return *this;
}

void HistoryRecords::resize(std::size_t count)
{
    const std::size_t blocks = (count + Block - 1) / Block;
    if (blocks < m_blocks.size())
        m_blocks.resize(blocks);
    m_blocks.reserve(blocks);
    while (m_blocks.size() < blocks)
        m_blocks.push_back(NewBlock());
    m_size = count;
}

void HistoryRecords::dropOldestBlock()
{
    if (m_blocks.size() > 1)
        std::rotate(m_blocks.begin(), m_blocks.begin() + 1, m_blocks.end());
}

} // namespace vantor
