#include "device_fixtures.h"

#include "histogram_summary.h"

#include <QDate>
#include <QTime>

namespace vantor::test {

TDateTime HistoryStart()
{
    return ToDateTime(QDate(2024, 5, 6), QTime(10, 0, 0));
}

TDevice StationDevice()
{
    TDevice device;
    device.Name = QStringLiteral("K30 lab");
    device.Station.Name = QStringLiteral("Radio One");
    device.Station.Frequency = QStringLiteral("98.50");
    return device;
}

void SetHistogram(TDevice &device, const std::array<int, HistogramBinCount> &bins)
{
    device.HistogramBins = bins;
    SummariseHistogram(device, 75 + 1);
    device.HistogramTime = QStringLiteral("6.05.2024 10:04:09");
}

void AddSample(TDevice &device, const std::array<float, ColumnCount> &values)
{
    const auto index = static_cast<std::size_t>(device.HistoryCount);
    if (index + 3 > device.History.size())
        device.History.resize(device.History.size() + HistoryBlockSize);
    device.History[index] = {HistoryStart() + device.HistoryCount * OneSecond, values};
    ++device.HistoryCount;
    for (std::size_t k = 0; k < values.size(); ++k) {
        if (values[k] > device.ColumnMax[k])
            device.ColumnMax[k] = values[k];
        if (values[k] < device.ColumnMin[k] && values[k] > NoValue)
            device.ColumnMin[k] = values[k];
    }
}

void FillHistory(TDevice &device, int column, int count, const std::function<float(int)> &value)
{
    std::array<float, ColumnCount> values = TDevice::Filled(NoValue);
    for (int i = 0; i < count; ++i) {
        values[static_cast<std::size_t>(column)] = value(i);
        AddSample(device, values);
    }
}

QImage Canvas(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(0, 255, 0));
    return image;
}

int CountColor(const QImage &image, const QRect &rect, const QColor &color)
{
    const QRect r = rect & image.rect();
    const QRgb wanted = color.rgb();
    int count = 0;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x)
            count += image.pixel(x, y) == wanted ? 1 : 0;
    }
    return count;
}

bool HasColor(const QImage &image, const QRect &rect, const QColor &color)
{
    return CountColor(image, rect, color) > 0;
}

} // namespace vantor::test
