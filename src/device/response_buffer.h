// The incoming side of one analyzer link: cuts the received byte stream into
// responses and keeps them in arrival order until the engine reads them.
//
// A response is a line ended by LF; one CR right before the LF is part of the
// ending and removed. A CR anywhere else stays in the response, so no byte the
// device meant is lost. NUL bytes are dropped: the callers of the library have
// always seen responses as zero-terminated texts, and a NUL would otherwise
// travel on into log files. Every other byte, 128..255 included, becomes the
// Latin-1 character of the same code.
//
// Limits against a device that sends garbage or never stops:
//  - a response holds at most MaxResponseLength bytes; the rest of a longer
//    line is dropped and its start is still delivered as one response when
//    its LF arrives. The largest real response, "Histogram Data" with 122
//    fields of 14 characters, is about 1.7 KB.
//  - at most MaxQueuedResponses responses and MaxQueuedBytes bytes are kept;
//    when either is exceeded the oldest responses go first.
//
// The bytes are received straight into one block and stay where they landed:
// a response is a place in that block, found with memchr, and is handed out
// as a view of it, so a well-formed stream is never copied byte by byte.
#pragma once

#include <QByteArrayView>
#include <QLatin1StringView>

#include <cstdint>
#include <vector>

namespace vantor {

class ResponseBuffer
{
public:
    static constexpr qsizetype MaxResponseLength = 4096;
    static constexpr qsizetype MaxQueuedResponses = 10000;
    static constexpr qsizetype MaxQueuedBytes = 1024 * 1024;

    // Takes the next bytes of the stream, whatever their chunking.
    void feed(QByteArrayView bytes);
    // Room for up to size more bytes of the stream, to receive into directly;
    // commit() then takes the ones that arrived there.
    char *prepare(qsizetype size);
    void commit(qsizetype received);

    qsizetype count() const { return static_cast<qsizetype>(m_lines.size() - m_firstLine); }
    // Removes the oldest response and returns it; empty when there is none.
    // The view stays valid until the next feed() or prepare().
    QLatin1StringView take();
    // Drops the waiting responses and the line received so far.
    void clear();
    // Drops only the line received so far (its link is gone).
    void dropPartialLine();

    // How many lines were cut to MaxResponseLength, and how many responses
    // were dropped for the queue limits, since this buffer was made.
    std::uint64_t cutLines() const { return m_cutLines; }
    std::uint64_t droppedResponses() const { return m_droppedResponses; }

private:
    struct Line {
        qsizetype begin;
        qsizetype size;
    };

    void makeRoom(qsizetype size);
    qsizetype appendToLine(qsizetype to, qsizetype from, qsizetype size);
    qsizetype appendPiece(qsizetype to, qsizetype from, qsizetype size);
    void finishLine(qsizetype end);

    // [0, m_end) is in use: responses taken or waiting, then the line being
    // received from m_lineStart on.
    std::vector<char> m_bytes;
    qsizetype m_end = 0;
    qsizetype m_lineStart = 0;
    bool m_lineCut = false;
    std::vector<Line> m_lines;
    std::size_t m_firstLine = 0;
    qsizetype m_queuedBytes = 0;
    std::uint64_t m_cutLines = 0;
    std::uint64_t m_droppedResponses = 0;
};

} // namespace vantor
