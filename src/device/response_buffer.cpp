#include "response_buffer.h"

namespace vantor
{

void ResponseBuffer::feed(const QByteArray &bytes)
{
    for (const char byte : bytes) {
        if (byte == '\n') {
            finishLine();
        } else if (byte == '\0') {
            continue;
        } else if (partial_.size() < MaxResponseLength) {
            partial_.append(byte);
        } else if (partial_.size() == MaxResponseLength && byte == '\r' && !partialCut_) {
            // Possibly the ending of a line of exactly the maximum length.
            partial_.append(byte);
        } else {
            partialCut_ = true;
        }
    }
}

void ResponseBuffer::finishLine()
{
    if (partial_.size() > MaxResponseLength)
        partial_.chop(1); // the CR held back beyond the maximum
    else if (!partialCut_ && partial_.endsWith('\r'))
        partial_.chop(1);
    if (partialCut_)
        ++cutLines_;
    partialCut_ = false;

    queuedBytes_ += partial_.size();
    responses_.push_back(std::move(partial_));
    partial_ = QByteArray();
    while (count() > MaxQueuedResponses || queuedBytes_ > MaxQueuedBytes) {
        queuedBytes_ -= responses_.front().size();
        responses_.pop_front();
        ++droppedResponses_;
    }
}

QString ResponseBuffer::take()
{
    if (responses_.empty())
        return {};
    const QByteArray oldest = std::move(responses_.front());
    responses_.pop_front();
    queuedBytes_ -= oldest.size();
    return QString::fromLatin1(oldest);
}

void ResponseBuffer::clear()
{
    responses_.clear();
    queuedBytes_ = 0;
    dropPartialLine();
}

void ResponseBuffer::dropPartialLine()
{
    partial_.clear();
    partialCut_ = false;
}

} // namespace vantor
