// Histogram and graph pictures rendered off-screen and written to image files
// by their names (".jpg"/".jpeg" JPEG, anything else a bitmap), for the save
// commands and the end-of-measuring saves. A failed save leaves no message;
// the result only tells whether the file was written.
#pragma once

#include "graph_chart.h"
#include "histogram_chart.h"

#include <QImage>
#include <QString>

namespace vantor {

// The pictures themselves, on white; null for a size no image can have.
QImage HistogramPicture(const TDevice &device, const HistogramOptions &options, int width,
                        int height);
QImage GraphPicture(const TDevice &device, const GraphOptions &options, int width, int height);

bool SaveHistogramPicture(const QString &fileName, const TDevice &device,
                          const HistogramOptions &options, int width, int height);

// A single value's graph when options.column is set, the three values otherwise.
bool SaveGraphPicture(const QString &fileName, const TDevice &device, const GraphOptions &options,
                      int width, int height);

// Ending of automatically saved pictures by the "GraphExt" preference:
// 1 ".jpg", anything else ".bmp".
QString PictureExtension(int graphExt);

} // namespace vantor
