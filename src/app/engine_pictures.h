// Histogram and graph pictures of a device, drawn with the settings of the
// moment; shared by the windows and the headless station.
#pragma once

#include "engine.h"

namespace vantor {

bool SaveDeviceHistogram(const Engine &engine, int device, const QString &fileName, int width,
                         int height);
bool SaveDeviceGraph(const Engine &engine, int device, int column, const QString &fileName,
                     int width, int height);

} // namespace vantor
