#include "response_buffer.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace vantor;

namespace {

QStringList takeAll(ResponseBuffer &buffer)
{
    QStringList responses;
    while (buffer.count() > 0)
        responses.append(buffer.take());
    return responses;
}

// Both line endings, an empty line, a CR inside a line, a CR before CR LF.
const QByteArray mixedStream("MAX=45.2 kHz\r\nLevel=63.2 dBuV\n\r\na\rb\r\nx\r\r\nlast=1\r\n");
const QStringList mixedResponses{"MAX=45.2 kHz", "Level=63.2 dBuV", "", "a\rb", "x\r", "last=1"};

} // namespace

TEST(ResponseBuffer, SplitsTheSameWhereverTheChunksEnd)
{
    for (qsizetype first = 0; first <= mixedStream.size(); ++first) {
        for (qsizetype second = first; second <= mixedStream.size(); ++second) {
            ResponseBuffer buffer;
            buffer.feed(mixedStream.left(first));
            buffer.feed(mixedStream.mid(first, second - first));
            buffer.feed(mixedStream.mid(second));
            ASSERT_EQ(takeAll(buffer), mixedResponses) << "cuts at " << first << ", " << second;
        }
    }
    ResponseBuffer byteByByte;
    for (const char byte : mixedStream)
        byteByByte.feed(QByteArray(1, byte));
    EXPECT_EQ(takeAll(byteByByte), mixedResponses);
}

TEST(ResponseBuffer, DropsNulAndKeepsHighBytesAsLatin1)
{
    ResponseBuffer buffer;
    const char bytes[] = "N\0ame=\xe9\xff\x80\x01\r\0\n\0\n";
    buffer.feed(QByteArray(bytes, sizeof bytes - 1));
    ASSERT_EQ(buffer.count(), 2);
    const QString first = buffer.take();
    EXPECT_EQ(first, QString::fromLatin1("Name=\xe9\xff\x80\x01"));
    EXPECT_EQ(first.at(5).unicode(), 0xe9);
    EXPECT_EQ(first.toLatin1(), QByteArray("Name=\xe9\xff\x80\x01"));
    EXPECT_EQ(buffer.take(), QString());
}

TEST(ResponseBuffer, CutsOverlongLinesButKeepsTheirStart)
{
    const qsizetype max = ResponseBuffer::MaxResponseLength;
    struct Case {
        const char *what;
        QByteArray line;
        QByteArray expected;
        bool cut;
    };
    const QByteArray full(max, 'a');
    const Case cases[] = {
        {"far too long", QByteArray(5000, 'z') + "\r\n", QByteArray(max, 'z'), true},
        {"exactly the maximum with CR LF", full + "\r\n", full, false},
        {"exactly the maximum with LF", full + "\n", full, false},
        {"one more than the maximum", full + "b\r\n", full, true},
        {"a CR beyond the maximum that is no ending", full + "\rb\r\n", full, true},
        {"a CR at the maximum that is content", full.left(max - 1) + "\r\r\n",
         full.left(max - 1) + "\r", false},
    };
    for (const Case &c : cases) {
        ResponseBuffer buffer;
        buffer.feed(QByteArray(c.line + "next=1\r\n"));
        ASSERT_EQ(buffer.count(), 2) << c.what;
        EXPECT_EQ(buffer.take(), QLatin1StringView(c.expected)) << c.what;
        EXPECT_EQ(buffer.take(), QStringLiteral("next=1")) << c.what;
        EXPECT_EQ(buffer.cutLines(), c.cut ? 1u : 0u) << c.what;
    }
}

TEST(ResponseBuffer, QueueKeepsTheNewestWithinCountAndSizeLimits)
{
    ResponseBuffer byCount;
    QByteArray many;
    for (int i = 0; i < ResponseBuffer::MaxQueuedResponses + 50; ++i)
        many += "n=" + QByteArray::number(i) + "\r\n";
    byCount.feed(many);
    EXPECT_EQ(byCount.count(), ResponseBuffer::MaxQueuedResponses);
    EXPECT_EQ(byCount.droppedResponses(), 50u);
    EXPECT_EQ(byCount.take(), QStringLiteral("n=50"));

    // 300 lines of 4000 bytes: only what fits into MaxQueuedBytes stays.
    ResponseBuffer bySize;
    for (int i = 0; i < 300; ++i)
        bySize.feed(QByteArray(QByteArray::number(i).rightJustified(4000, '.') + "\r\n"));
    const qsizetype kept = ResponseBuffer::MaxQueuedBytes / 4000;
    ASSERT_EQ(bySize.count(), kept);
    EXPECT_TRUE(bySize.take().endsWith(QString::number(300 - kept)));
    QString newest;
    while (bySize.count() > 0)
        newest = bySize.take();
    EXPECT_TRUE(newest.endsWith(QStringLiteral(".299")));

    // What was read out makes room again.
    bySize.feed(QByteArray(QByteArray(4000, 'x') + "\n"));
    EXPECT_EQ(bySize.count(), 1);
}

TEST(ResponseBuffer, ClearDropsQueueAndPartialLine)
{
    ResponseBuffer buffer;
    buffer.feed("a=1\r\nb=2\r\npart");
    buffer.clear();
    EXPECT_EQ(buffer.count(), 0);
    buffer.feed("ial\r\n");
    EXPECT_EQ(takeAll(buffer), QStringList{"ial"});

    buffer.feed("c=3\r\nhalf");
    buffer.dropPartialLine();
    buffer.feed("d=4\r\n");
    EXPECT_EQ(takeAll(buffer), (QStringList{"c=3", "d=4"}));
}
