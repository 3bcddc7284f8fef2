// The end-of-measuring pictures of a device, drawn off-screen with the
// settings of the moment, so a station with or without windows keeps them.
#include "engine.h"

#include "picture_saves.h"

namespace vantor {

bool Engine::SaveDeviceHistogram(int device, const QString &fileName, int width, int height) const
{
    if (InvalidDevice(device))
        return false;
    return SaveHistogramPicture(fileName, Devices[device], HistogramPictureOptions(), width,
                                height);
}

bool Engine::SaveDeviceGraph(int device, int column, const QString &fileName, int width,
                             int height) const
{
    if (InvalidDevice(device))
        return false;
    return SaveGraphPicture(fileName, Devices[device], GraphPictureOptions(column), width, height);
}

HistogramOptions Engine::HistogramPictureOptions() const
{
    HistogramOptions options;
    options.deviationLimit = m_prefs.Integer(QStringLiteral("DeviationLimit"));
    options.deviationTolerance = m_prefs.Integer(QStringLiteral("DeviationTolerance"));
    options.accumulated = m_prefs.Flag(QStringLiteral("Accumulated"));
    return options;
}

GraphOptions Engine::GraphPictureOptions(int column) const
{
    GraphOptions options;
    options.column = column;
    options.xAxis = m_prefs.Integer(QStringLiteral("GraphXAxis"));
    options.now = m_clock.now();
    return options;
}

} // namespace vantor
