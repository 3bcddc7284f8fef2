// The response buffer cutting a hostile byte stream, and the number reader on
// every response. The first byte chooses how the stream is chunked: the
// responses must not depend on it, nor on whether they are taken between the
// chunks (which lets the buffer move what it keeps).
#include "number_text.h"
#include "response_buffer.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

using namespace vantor;

namespace {

std::vector<QString> TakeAll(ResponseBuffer &buffer)
{
    std::vector<QString> responses;
    while (buffer.count() > 0)
        responses.push_back(buffer.take());
    return responses;
}

void CheckResponse(const QString &response)
{
    if (response.size() > ResponseBuffer::MaxResponseLength || response.contains(QChar(u'\0')) ||
        response.contains(QLatin1Char('\n')))
        std::abort();
    const qsizetype eq = response.indexOf(QLatin1Char('='));
    const QByteArray bytes = response.toLatin1();
    for (const QStringView text : {QStringView(response), QStringView(response).mid(eq + 1)}) {
        const std::optional<double> value = leadingNumber(text);
        if (value && !std::isfinite(*value))
            std::abort();
        // Read from the bytes, the same number.
        const QByteArray textBytes = bytes.right(text.size());
        if (leadingNumber(QLatin1StringView(textBytes)) != value)
            std::abort();
        try {
            const double thrown = leadingNumberOrThrow(text);
            if (!value || thrown != *value)
                std::abort();
        } catch (const std::exception &) {
            if (value)
                std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const qsizetype chunk = data[0] + 1;
    const QByteArray stream(reinterpret_cast<const char *>(data + 1),
                            static_cast<qsizetype>(size - 1));

    ResponseBuffer whole;
    whole.feed(stream);
    ResponseBuffer chunked;
    for (qsizetype at = 0; at < stream.size(); at += chunk)
        chunked.feed(stream.mid(at, chunk));
    if (whole.count() != chunked.count() || whole.cutLines() != chunked.cutLines() ||
        whole.count() > ResponseBuffer::MaxQueuedResponses)
        std::abort();

    ResponseBuffer takenAlong;
    std::vector<QString> takenAlongResponses;
    for (qsizetype at = 0; at < stream.size(); at += chunk) {
        takenAlong.feed(stream.mid(at, chunk));
        for (const QString &response : TakeAll(takenAlong))
            takenAlongResponses.push_back(response);
    }

    const std::vector<QString> responses = TakeAll(whole);
    if (responses != TakeAll(chunked) || responses != takenAlongResponses)
        std::abort();
    for (const QString &response : responses)
        CheckResponse(response);

    // A link that goes away mid-line leaves nothing of that line behind.
    chunked.feed(stream);
    chunked.dropPartialLine();
    chunked.feed(QByteArrayLiteral("\n"));
    const std::vector<QString> after = TakeAll(chunked);
    if (after.empty() || !after.back().isEmpty())
        std::abort();
    return 0;
}
