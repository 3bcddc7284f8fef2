// A device's history: one record of every column a second while measuring.
// Its storage holds room for exactly the records it is sized to, so that it
// grows in the history's own steps instead of doubling, and a device that
// never measures holds none.
#pragma once

#include "date_time.h"

#include <array>
#include <cstddef>
#include <vector>

namespace vantor {

inline constexpr int HistoryColumnCount = 21;

struct THistorySample {
    TDateTime Time = 0;
    std::array<float, HistoryColumnCount> Values{};
};

class HistoryRecords
{
public:
    std::size_t size() const { return m_records.size(); }
    bool empty() const { return m_records.empty(); }
    // Room held, in records.
    std::size_t capacity() const { return m_records.capacity(); }

    THistorySample &operator[](std::size_t i) { return m_records[i]; }
    const THistorySample &operator[](std::size_t i) const { return m_records[i]; }
    THistorySample &front() { return m_records.front(); }
    const THistorySample &front() const { return m_records.front(); }
    auto begin() { return m_records.begin(); }
    auto end() { return m_records.end(); }
    auto begin() const { return m_records.cbegin(); }
    auto end() const { return m_records.cend(); }

    // Sets the length; the room held becomes exactly that, and the records
    // kept keep their contents.
    void resize(std::size_t count);

private:
    std::vector<THistorySample> m_records;
};

} // namespace vantor
