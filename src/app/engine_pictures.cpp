#include "engine_pictures.h"

#include "picture_saves.h"

namespace vantor {

bool SaveDeviceHistogram(const Engine &engine, int device, const QString &fileName, int width,
                         int height)
{
    if (engine.InvalidDevice(device))
        return false;
    const Preferences &prefs = engine.Prefs();
    HistogramOptions options;
    options.deviationLimit = prefs.Integer(QStringLiteral("DeviationLimit"));
    options.deviationTolerance = prefs.Integer(QStringLiteral("DeviationTolerance"));
    options.accumulated = prefs.Flag(QStringLiteral("Accumulated"));
    return SaveHistogramPicture(fileName, engine.Devices[device], options, width, height);
}

bool SaveDeviceGraph(const Engine &engine, int device, int column, const QString &fileName,
                     int width, int height)
{
    if (engine.InvalidDevice(device))
        return false;
    GraphOptions options;
    options.column = column;
    options.xAxis = engine.Prefs().Integer(QStringLiteral("GraphXAxis"));
    options.now = engine.clock().now();
    return SaveGraphPicture(fileName, engine.Devices[device], options, width, height);
}

} // namespace vantor
