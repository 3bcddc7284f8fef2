// Stored window placements brought onto the screens there are now: a layout
// saved on a larger monitor never hides a window.
#pragma once

#include "preferences.h"

#include <QList>
#include <QRect>

class QWidget;

namespace vantor {

// The rectangle to show a stored placement at: as stored while enough of it
// lies on some area, otherwise at the top-left corner of the primary area,
// shrunk to fit it.
QRect PlacementOnScreens(const QRect &wanted, const QList<QRect> &areas, const QRect &primary);

// Shows a window at its stored placement and state within areas (the
// screens for the main window, the frame's client area for a child).
void ApplyPlacement(QWidget *window, const WindowPlacement &placement, const QList<QRect> &areas,
                    const QRect &primary);

// The placement of a window now; a maximised or minimised window keeps the
// position and size of previous (its last normal placement).
WindowPlacement CurrentPlacement(const QWidget *window, const WindowPlacement &previous);

} // namespace vantor
