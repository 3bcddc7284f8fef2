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
#include <iterator>
#include <memory>
#include <utility>
#include <vector>

namespace vantor {

inline constexpr int HistoryColumnCount = 21;
inline constexpr int HistoryBlockSize = 3600;

struct THistorySample {
    TDateTime Time = 0;
    std::array<float, HistoryColumnCount> Values{};
};

// A position in a HistoryRecords, for the standard algorithms.
template <typename Records, typename Sample> class HistoryIterator
{
public:
    using iterator_category = std::random_access_iterator_tag;
    using value_type = THistorySample;
    using difference_type = std::ptrdiff_t;
    using pointer = Sample *;
    using reference = Sample &;

    HistoryIterator() = default;
    HistoryIterator(Records *records, difference_type at) : m_records(records), m_at(at) {}

    reference operator*() const { return (*m_records)[static_cast<std::size_t>(m_at)]; }
    pointer operator->() const { return &**this; }
    reference operator[](difference_type n) const { return *(*this + n); }
    HistoryIterator &operator++() { return *this += 1; }
    HistoryIterator operator++(int) { return std::exchange(*this, *this + 1); }
    HistoryIterator &operator--() { return *this -= 1; }
    HistoryIterator operator--(int) { return std::exchange(*this, *this - 1); }
    HistoryIterator &operator+=(difference_type n)
    {
        m_at += n;
        return *this;
    }
    HistoryIterator &operator-=(difference_type n) { return *this += -n; }
    friend HistoryIterator operator+(HistoryIterator i, difference_type n) { return i += n; }
    friend HistoryIterator operator+(difference_type n, HistoryIterator i) { return i += n; }
    friend HistoryIterator operator-(HistoryIterator i, difference_type n) { return i -= n; }
    friend difference_type operator-(const HistoryIterator &a, const HistoryIterator &b)
    {
        return a.m_at - b.m_at;
    }
    friend bool operator==(const HistoryIterator &a, const HistoryIterator &b)
    {
        return a.m_at == b.m_at;
    }
    friend auto operator<=>(const HistoryIterator &a, const HistoryIterator &b)
    {
        return a.m_at <=> b.m_at;
    }

private:
    Records *m_records = nullptr;
    difference_type m_at = 0;
};

class HistoryRecords
{
public:
    using iterator = HistoryIterator<HistoryRecords, THistorySample>;
    using const_iterator = HistoryIterator<const HistoryRecords, const THistorySample>;

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
    iterator begin() { return {this, 0}; }
    iterator end() { return {this, static_cast<std::ptrdiff_t>(m_size)}; }
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, static_cast<std::ptrdiff_t>(m_size)}; }

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
