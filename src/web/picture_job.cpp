#include "picture_job.h"

#include "picture_saves.h"

#include <QBuffer>
#include <QDataStream>

#include <algorithm>

namespace vantor {

namespace {

// Seconds of history each choice of the graph's time axis shows (0: all).
constexpr std::array<qint64, 5> XAxisSeconds{60, 300, 900, 3600, 0};

int SampleCount(const TDevice &device)
{
    return std::clamp(device.HistoryCount, 0, static_cast<int>(device.History.size()));
}

// Index of the first record the graph needs: two before its axis starts,
// so that the copy's first record still lies more than the axis's whole
// seconds before its last, as the full history's does, and the line enters
// from the left edge.
int FirstShownRecord(const TDevice &device, int count, int xAxis)
{
    const qint64 span = xAxis >= 0 && xAxis < static_cast<int>(XAxisSeconds.size())
                            ? XAxisSeconds[static_cast<std::size_t>(xAxis)]
                            : XAxisSeconds[0];
    if (span == 0 || count < 2)
        return 0;
    const TDateTime start = device.History[static_cast<std::size_t>(count - 1)].Time -
                            static_cast<double>(span) * OneSecond;
    const auto begin = device.History.begin();
    const auto first =
        std::lower_bound(begin, begin + count, start,
                         [](const THistorySample &s, TDateTime t) { return s.Time < t; });
    return std::max(0, static_cast<int>(first - begin) - 2);
}

} // namespace

QByteArray PictureKey(int deviceIndex, const TDevice &device, const PictureJob &job)
{
    QByteArray key;
    QDataStream out(&key, QIODevice::WriteOnly);
    out << deviceIndex << job.histogram << job.width << job.height << device.Station.Name
        << device.Station.Frequency;
    if (job.histogram) {
        const HistogramOptions &o = job.histogramOptions;
        out << o.deviationLimit << o.deviationTolerance << o.accumulated << device.HistogramPeak
            << device.HistogramPercentAbove << device.HistogramTime << device.HistogramTotal
            << device.HistogramMaxAt << device.HistogramMin;
        out.writeRawData(reinterpret_cast<const char *>(device.HistogramBins.data()),
                         static_cast<int>(sizeof device.HistogramBins));
        return key;
    }
    const GraphOptions &o = job.graphOptions;
    const int count = SampleCount(device);
    const auto column = static_cast<std::size_t>(std::clamp(o.column, 0, ColumnCount - 1));
    out << o.column << o.xAxis << count << device.ColumnMin[column] << device.ColumnMax[column];
    if (count > 0) {
        const THistorySample &last = device.History[static_cast<std::size_t>(count - 1)];
        out << device.History.front().Time << last.Time << last.Values[column];
    }
    // Without two records the time axis stands at the present second.
    if (count < 2)
        out << static_cast<qint64>(o.now / OneSecond);
    return key;
}

void CopyPictureData(const TDevice &device, PictureJob &job)
{
    TDevice &copy = job.data;
    copy.Station = device.Station;
    if (job.histogram) {
        copy.HistogramPeak = device.HistogramPeak;
        copy.HistogramPercentAbove = device.HistogramPercentAbove;
        copy.HistogramTime = device.HistogramTime;
        copy.HistogramTotal = device.HistogramTotal;
        copy.HistogramMaxAt = device.HistogramMaxAt;
        copy.HistogramMin = device.HistogramMin;
        copy.HistogramAbove = device.HistogramAbove;
        copy.HistogramBins = device.HistogramBins;
        return;
    }
    copy.ColumnMin = device.ColumnMin;
    copy.ColumnMax = device.ColumnMax;
    const int count = SampleCount(device);
    const int first = FirstShownRecord(device, count, job.graphOptions.xAxis);
    copy.History.resize(static_cast<std::size_t>(count - first));
    std::copy(device.History.begin() + first, device.History.begin() + count, copy.History.begin());
    copy.HistoryCount = count - first;
}

QByteArray DrawPicture(const PictureJob &job)
{
    const QImage image =
        job.histogram ? HistogramPicture(job.data, job.histogramOptions, job.width, job.height)
                      : GraphPicture(job.data, job.graphOptions, job.width, job.height);
    QByteArray bytes;
    if (image.isNull())
        return bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    // Light compression: a chart of flat colours shrinks well at once, and
    // the last few per cent are not worth the drawing time.
    image.save(&buffer, "PNG", 80);
    return bytes;
}

} // namespace vantor
