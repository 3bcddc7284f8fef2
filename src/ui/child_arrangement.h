// Where the child windows go inside the frame's area: the first-start layout,
// the Tile and Cascade commands and the room left above the row of minimised
// windows, each keeping every window at least at its minimum size.
#pragma once

#include <QList>
#include <QRect>
#include <QSize>

namespace vantor {

struct ChildSizes {
    QSize wanted;  // enough to show the contents without scroll bars
    QSize minimum; // below this the contents cannot be used
};

// Two rows, none covering another: the first two windows above, the other
// two below. Each row and column gets what its windows want as far as the
// area allows, the lower row and the right-hand windows first, never less
// than their minimum; where the minimums need more than the area, the layout
// runs past it (the area scrolls).
QList<QRect> FirstStartLayout(const QRect &area, const QList<ChildSizes> &children);

// Side by side (Qt::Horizontal) or one above the other (Qt::Vertical),
// sharing the area evenly; a window whose share is below its minimum gets
// its minimum and the row runs past the area (the area scrolls).
QList<QRect> TileLayout(const QRect &area, const QList<QSize> &minimums, Qt::Orientation direction);

// Each window offset from the one before by step, all as large as the area
// allows after the offsets, never below their minimum.
QList<QRect> CascadeLayout(const QRect &area, const QList<QSize> &minimums, int step);

// A window that reaches into the row of minimised windows (starting at
// rowTop) ends above it: shortened, or moved up once it is at its minimum
// height, but never above areaTop.
QRect ClearOfIconRow(const QRect &place, const QSize &minimum, int rowTop, int areaTop);

} // namespace vantor
