#include "response_buffer.h"

#include <algorithm>
#include <cstring>

namespace vantor {

namespace {
// A link's first block; it grows only for a device that sends more between
// two reads.
constexpr qsizetype InitialBytes = 4096;
} // namespace

void ResponseBuffer::feed(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return;
    std::memcpy(prepare(bytes.size()), bytes.data(), static_cast<std::size_t>(bytes.size()));
    commit(bytes.size());
}

char *ResponseBuffer::prepare(qsizetype size)
{
    makeRoom(size);
    return m_bytes.data() + m_end;
}

void ResponseBuffer::makeRoom(qsizetype size)
{
    // What is still needed starts at the oldest waiting response, or at the
    // line being received; everything before was handed out already.
    const qsizetype keep = m_firstLine < m_lines.size() ? m_lines[m_firstLine].begin : m_lineStart;
    const auto capacity = static_cast<qsizetype>(m_bytes.size());
    if (keep > 0 && (m_end + size > capacity || keep >= m_end - keep)) {
        std::memmove(m_bytes.data(), m_bytes.data() + keep, static_cast<std::size_t>(m_end - keep));
        m_lines.erase(m_lines.begin(), m_lines.begin() + static_cast<std::ptrdiff_t>(m_firstLine));
        m_firstLine = 0;
        for (Line &line : m_lines)
            line.begin -= keep;
        m_lineStart -= keep;
        m_end -= keep;
    }
    if (m_end + size > static_cast<qsizetype>(m_bytes.size()))
        m_bytes.resize(
            static_cast<std::size_t>(std::max({m_end + size, 2 * capacity, InitialBytes})));
}

void ResponseBuffer::commit(qsizetype received)
{
    char *const bytes = m_bytes.data();
    const qsizetype end = m_end + received;
    // NULs are rare; most blocks need no look for them at all.
    const bool hasNul = std::memchr(bytes + m_end, '\0', static_cast<std::size_t>(received));
    qsizetype from = m_end;
    qsizetype to = m_end;
    while (from < end) {
        const auto *lf = static_cast<const char *>(
            std::memchr(bytes + from, '\n', static_cast<std::size_t>(end - from)));
        const qsizetype segmentEnd = lf ? lf - bytes : end;
        if (!hasNul && to == from && segmentEnd - m_lineStart <= MaxResponseLength)
            to = segmentEnd; // in place: the common case
        else
            to = appendToLine(to, from, segmentEnd - from);
        from = segmentEnd;
        if (lf) {
            finishLine(to);
            // The next line starts right after the LF, where its bytes lie.
            ++from;
            to = from;
            m_lineStart = from;
        }
    }
    m_end = to;
}

// Moves size bytes from `from` to the end `to` of the line being received,
// leaving out NULs and what goes beyond the maximum; returns the new end.
qsizetype ResponseBuffer::appendToLine(qsizetype to, qsizetype from, qsizetype size)
{
    const char *const bytes = m_bytes.data();
    const qsizetype end = from + size;
    while (from < end) {
        const auto *nul = static_cast<const char *>(
            std::memchr(bytes + from, '\0', static_cast<std::size_t>(end - from)));
        const qsizetype pieceEnd = nul ? nul - bytes : end;
        to = appendPiece(to, from, pieceEnd - from);
        from = pieceEnd + (nul ? 1 : 0);
    }
    return to;
}

qsizetype ResponseBuffer::appendPiece(qsizetype to, qsizetype from, qsizetype size)
{
    char *const bytes = m_bytes.data();
    const qsizetype room = std::max<qsizetype>(0, MaxResponseLength - (to - m_lineStart));
    const qsizetype kept = std::min(size, room);
    std::memmove(bytes + to, bytes + from, static_cast<std::size_t>(kept));
    to += kept;
    from += kept;
    size -= kept;
    if (size == 0)
        return to;
    // One CR beyond the maximum may be the ending of a line of exactly the
    // maximum; it is held back and removed when the LF comes.
    if (to - m_lineStart == MaxResponseLength && !m_lineCut && bytes[from] == '\r') {
        bytes[to++] = '\r';
        --size;
    }
    if (size > 0)
        m_lineCut = true;
    return to;
}

void ResponseBuffer::finishLine(qsizetype end)
{
    qsizetype size = end - m_lineStart;
    if (size > MaxResponseLength)
        --size; // the CR held back beyond the maximum
    else if (!m_lineCut && size > 0 && m_bytes[static_cast<std::size_t>(end - 1)] == '\r')
        --size;
    if (m_lineCut)
        ++m_cutLines;
    m_lineCut = false;

    m_lines.push_back({m_lineStart, size});
    m_queuedBytes += size;
    while (count() > MaxQueuedResponses || m_queuedBytes > MaxQueuedBytes) {
        m_queuedBytes -= m_lines[m_firstLine++].size;
        ++m_droppedResponses;
    }
}

QLatin1StringView ResponseBuffer::take()
{
    if (m_firstLine == m_lines.size())
        return {};
    const Line line = m_lines[m_firstLine++];
    m_queuedBytes -= line.size;
    if (m_firstLine == m_lines.size()) {
        m_lines.clear();
        m_firstLine = 0;
    }
    return QLatin1StringView(m_bytes.data() + line.begin, line.size);
}

void ResponseBuffer::clear()
{
    m_lines.clear();
    m_firstLine = 0;
    m_queuedBytes = 0;
    dropPartialLine();
}

void ResponseBuffer::dropPartialLine()
{
    m_end = m_lineStart;
    m_lineCut = false;
}

} // namespace vantor
