// The web server's pictures: drawn from a copy of just the data they show,
// kept while those data are unchanged, drawn once for clients asking at the
// same time, and refused with a time to come back when the drawing queue is
// full, while the rest of the server answers on.
#include "engine_tables.h"
#include "picture_job.h"
#include "picture_saves.h"
#include "web_server_fixture.h"

#include <QTcpSocket>

#include <cmath>
#include <memory>
#include <vector>

using namespace vantor;
using namespace vantor::test;

namespace {
// A device two hours into measuring: a record a second, with gaps of no
// value now and then, and a histogram.
TDevice Measured()
{
    TDevice device;
    device.Station.Name = QStringLiteral("City FM");
    device.Station.Frequency = QStringLiteral("98.5");
    const int count = 7200;
    device.History.resize(count + 100);
    device.HistoryCount = count;
    for (int i = 0; i < count; ++i) {
        THistorySample &s = device.History[static_cast<std::size_t>(i)];
        s.Time = 46000.5 + i * OneSecond;
        s.Values.fill(NoValue);
        if (i % 97 != 0)
            s.Values[0] = static_cast<float>(60 + 15 * std::sin(i / 40.0));
    }
    device.ColumnMin[0] = 45;
    device.ColumnMax[0] = 75;
    for (int b = 0; b < HistogramBinCount; ++b)
        device.HistogramBins[static_cast<std::size_t>(b)] = (b * 37) % 101;
    device.HistogramTotal = 5000;
    device.HistogramPeak = 100;
    device.HistogramMaxAt = 72;
    device.HistogramTime = QStringLiteral("2:00:00");
    return device;
}

void SendGet(QTcpSocket &socket, const QByteArray &path)
{
    socket.write("GET " + path + " HTTP/1.1\r\nHost: x\r\n\r\n");
}

// The status of the first answer on the socket, 0 before it has come whole.
int AnswerStatus(QTcpSocket &socket, QByteArray &data)
{
    data += socket.readAll();
    const qsizetype end = data.indexOf("\r\n\r\n");
    const qsizetype length = data.indexOf("Content-Length: ");
    if (end < 0 || length < 0)
        return 0;
    const qint64 size =
        data.mid(length + 16, data.indexOf('\r', length) - length - 16).toLongLong();
    return data.size() >= end + 4 + size ? data.mid(9, 3).toInt() : 0;
}
} // namespace

// The copy holds only the part of the history the time axis shows; the
// picture drawn from it is the one the whole device gives, pixel for pixel.
TEST(PictureCopy, DrawsTheSamePictureAsTheWholeDevice)
{
    const TDevice device = Measured();
    for (int xAxis : {Last60Seconds, Last5Minutes, Last15Minutes, Last1Hour, EntireFile}) {
        PictureJob job;
        job.histogram = false;
        job.width = 900;
        job.height = 300;
        job.graphOptions.column = 0;
        job.graphOptions.xAxis = xAxis;
        CopyPictureData(device, job);
        EXPECT_LT(job.data.HistoryCount, device.HistoryCount + 1) << xAxis;
        if (xAxis != EntireFile) {
            EXPECT_LT(job.data.HistoryCount, 3700) << "only the shown part is copied: " << xAxis;
        }
        EXPECT_EQ(GraphPicture(job.data, job.graphOptions, 900, 300),
                  GraphPicture(device, job.graphOptions, 900, 300))
            << "x axis " << xAxis;
    }
    PictureJob histogram;
    histogram.histogramOptions.accumulated = true;
    CopyPictureData(device, histogram);
    EXPECT_EQ(HistogramPicture(histogram.data, histogram.histogramOptions, 480, 300),
              HistogramPicture(device, histogram.histogramOptions, 480, 300));
}

// Equal keys for equal pictures, a new key once anything shown changes.
TEST(PictureCopy, TheKeyFollowsWhatThePictureShows)
{
    TDevice device = Measured();
    PictureJob graph;
    graph.histogram = false;
    graph.width = 600;
    graph.height = 300;
    graph.graphOptions.column = 0;
    PictureJob histogram;
    histogram.width = 480;
    histogram.height = 300;
    const QByteArray graphKey = PictureKey(0, device, graph);
    const QByteArray histogramKey = PictureKey(0, device, histogram);
    EXPECT_EQ(PictureKey(0, device, graph), graphKey);
    EXPECT_NE(PictureKey(1, device, graph), graphKey);
    EXPECT_NE(histogramKey, graphKey);

    PictureJob larger = graph;
    larger.width = 601;
    EXPECT_NE(PictureKey(0, device, larger), graphKey);
    PictureJob otherAxis = graph;
    otherAxis.graphOptions.xAxis = Last1Hour;
    EXPECT_NE(PictureKey(0, device, otherAxis), graphKey);
    PictureJob accumulated = histogram;
    accumulated.histogramOptions.accumulated = true;
    EXPECT_NE(PictureKey(0, device, accumulated), histogramKey);

    device.History[static_cast<std::size_t>(device.HistoryCount)].Time =
        device.History[static_cast<std::size_t>(device.HistoryCount - 1)].Time + OneSecond;
    ++device.HistoryCount;
    EXPECT_NE(PictureKey(0, device, graph), graphKey) << "a new record";
    EXPECT_EQ(PictureKey(0, device, histogram), histogramKey) << "the histogram is as it was";
    ++device.HistogramBins[70];
    EXPECT_NE(PictureKey(0, device, histogram), histogramKey);
    device.Station.Name = QStringLiteral("Other");
    EXPECT_NE(PictureKey(0, device, graph), PictureKey(0, Measured(), graph));
}

class WebPictures : public WebServerFixture
{
protected:
    qint64 Drawn()
    {
        return MetricValue(Get(port, "/metrics").body, "vantor_web_pictures_drawn_total");
    }
};

TEST_F(WebPictures, APictureIsKeptWhileItsDataAreUnchangedAndDrawnOnceForAll)
{
    Serve();
    Receive({QStringLiteral("MAX=70.5 kHz")});
    const QByteArray path = "/device/0/histogram.png?width=800&height=600";
    std::vector<std::unique_ptr<QTcpSocket>> clients;
    for (int i = 0; i < 6; ++i) {
        clients.push_back(std::make_unique<QTcpSocket>());
        clients.back()->connectToHost(QHostAddress::LocalHost, port);
    }
    for (auto &client : clients) {
        ASSERT_TRUE(waitFor([&] { return client->state() == QAbstractSocket::ConnectedState; }));
        SendGet(*client, path);
    }
    for (auto &client : clients) {
        QByteArray data;
        ASSERT_TRUE(waitFor([&] { return AnswerStatus(*client, data) == 200; }));
        EXPECT_TRUE(data.contains("Content-Type: image/png"));
    }
    EXPECT_EQ(Drawn(), 1) << "six clients at once, one drawing";
    const HttpReply again = Get(port, path);
    EXPECT_EQ(again.image().size(), QSize(800, 600));
    EXPECT_EQ(Drawn(), 1) << "unchanged data: the picture kept";
    EXPECT_EQ(Get(port, "/device/0/histogram.png?width=800&height=601").status, 200);
    EXPECT_EQ(Drawn(), 2) << "another size";

    ++Tables(engine).Devices[0].HistogramBins[70];
    ++Tables(engine).Devices[0].HistogramTotal;
    EXPECT_EQ(Get(port, path).status, 200);
    EXPECT_EQ(Drawn(), 3) << "new data: drawn again";
}

TEST_F(WebPictures, AFullQueueIsAnsweredWithATimeToComeBack)
{
    WebLimits limits;
    limits.pictureQueue = 1;
    // After its first picture the drawing thread waits for many seconds.
    limits.pictureMsPerSecond = 1;
    Serve({}, limits);
    ReceiveTick();
    ASSERT_EQ(Get(port, "/device/0/histogram.png?width=1200&height=1200").status, 200);

    QTcpSocket waiting;
    waiting.connectToHost(QHostAddress::LocalHost, port);
    ASSERT_TRUE(waitFor([&] { return waiting.state() == QAbstractSocket::ConnectedState; }));
    const qint64 before = server->requestsAnswered();
    SendGet(waiting, "/device/0/graph/MAX.png");
    ASSERT_TRUE(waitFor([&] { return server->requestsAnswered() == before + 1; }));

    const HttpReply refused = Get(port, "/device/0/graph/AVE.png");
    EXPECT_EQ(refused.status, 503);
    EXPECT_EQ(refused.header("Retry-After"), "1");
    EXPECT_FALSE(refused.header("Content-Security-Policy").isEmpty());
    EXPECT_EQ(Get(port, "/healthz").status, 200) << "the server answers on meanwhile";
    EXPECT_EQ(Get(port, "/device/0/histogram.png?width=1200&height=1200").status, 200)
        << "a kept picture needs no drawing";
    EXPECT_EQ(MetricValue(Get(port, "/metrics").body, "vantor_web_pictures_refused_total"), 1);
    QByteArray data;
    EXPECT_EQ(AnswerStatus(waiting, data), 0) << "still waiting its turn";
}
