#include "response_buffer.h"

namespace vantor {

void ResponseBuffer::feed(const QByteArray &bytes)
{
    for (const char byte : bytes) {
        if (byte == '\n') {
            finishLine();
        } else if (byte == '\0') {
            continue;
        } else if (m_partial.size() < MaxResponseLength) {
            m_partial.append(byte);
        } else if (m_partial.size() == MaxResponseLength && byte == '\r' && !m_partialCut) {
            // Possibly the ending of a line of exactly the maximum length.
            m_partial.append(byte);
        } else {
            m_partialCut = true;
        }
    }
}

void ResponseBuffer::finishLine()
{
    if (m_partial.size() > MaxResponseLength)
        m_partial.chop(1); // the CR held back beyond the maximum
    else if (!m_partialCut && m_partial.endsWith('\r'))
        m_partial.chop(1);
    if (m_partialCut)
        ++m_cutLines;
    m_partialCut = false;

    m_queuedBytes += m_partial.size();
    m_responses.push_back(std::move(m_partial));
    m_partial = QByteArray();
    while (count() > MaxQueuedResponses || m_queuedBytes > MaxQueuedBytes) {
        m_queuedBytes -= m_responses.front().size();
        m_responses.pop_front();
        ++m_droppedResponses;
    }
}

QString ResponseBuffer::take()
{
    if (m_responses.empty())
        return {};
    const QByteArray oldest = std::move(m_responses.front());
    m_responses.pop_front();
    m_queuedBytes -= oldest.size();
    return QString::fromLatin1(oldest);
}

void ResponseBuffer::clear()
{
    m_responses.clear();
    m_queuedBytes = 0;
    dropPartialLine();
}

void ResponseBuffer::dropPartialLine()
{
    m_partial.clear();
    m_partialCut = false;
}

} // namespace vantor
