// Cuts a line segment to a rectangle, so that far-off data points never reach
// the rasteriser and lines stop exactly at the plot edge.
#pragma once

#include <QPointF>
#include <QRectF>

namespace vantor {

// Clips a-b to the closed rectangle; false when nothing of it lies inside.
bool ClipSegment(QPointF &a, QPointF &b, const QRectF &rect);

} // namespace vantor
