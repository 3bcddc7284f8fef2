// A device's history: one record of every column a second while measuring.
// Its storage comes in blocks of HistoryBlockSize records that never move:
// growing adds a block, dropping the oldest records moves the first block to
// the back, and a new block is taken without being cleared (a record is
// written whole before it is counted). So no step costs time in proportion to
// the history held: a thousand devices that start measuring, or reach an hour
// of it, in the same second would otherwise clear and copy hundreds of
// megabytes in one receive tick. A device that never measures holds none.
#pragma once

#include "date_time.h"

#include <array>
#include <cstddef>
#include <cstdlib>
#include <memory>
#include <vector>

namespace vantor {

inline constexpr int HistoryColumnCount = 21;
inline constexpr int HistoryBlockSize = 3600;

struct THistorySample {
    TDateTime Time = 0;
    std::array<float, HistoryColumnCount> Values{};
};

class HistoryRecords
{
public:
    HistoryRecords() = default;
    HistoryRecords(const HistoryRecords &other);
    HistoryRecords &operator=(const HistoryRecords &other);
    HistoryRecords(HistoryRecords &&) noexcept = default;
    HistoryRecords &operator=(HistoryRecords &&) noexcept = default;
    ~HistoryRecords() = default;

    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    // Room held, in records: whole blocks.
    std::size_t capacity() const { return m_blocks.size() * Block; }

    THistorySample &operator[](std::size_t i) { return m_blocks[i / Block][i % Block]; }
    const THistorySample &operator[](std::size_t i) const { return m_blocks[i / Block][i % Block]; }
    THistorySample &front() { return (*this)[0]; }
    const THistorySample &front() const { return (*this)[0]; }

    // Sets the length; the room held becomes the blocks that cover it. The
    // records kept keep their contents; records added hold nothing to read
    // until they are written.
    void resize(std::size_t count);
    // Drops the oldest HistoryBlockSize records: the others come to the front
    // and the length stays, the last block's records being left to be
    // written again.
    void dropOldestBlock();

private:
    static constexpr std::size_t Block = HistoryBlockSize;
    struct FreeBlock {
        void operator()(THistorySample *records) const { std::free(records); }
    };
    using Records = std::unique_ptr<THistorySample[], FreeBlock>;
    static Records NewBlock();

    std::vector<Records> m_blocks;
    std::size_t m_size = 0;
};

} // namespace vantor
