// Where a window's picture is drawn: a control in its paint event, at the
// control's own size, or an off-screen image of a given size.
#pragma once

#include <QColor>

class QPaintDevice;

namespace vantor {

class Chart;

enum class DrawMode {
    Control = 0, // the whole control, framed, in its own size
    Image = 2,   // the top-left width x height pixels of an image, framed, on white
};

struct ChartTarget {
    QPaintDevice *device = nullptr;
    DrawMode mode = DrawMode::Image;
    int width = 0; // Image mode only
    int height = 0;

    // Size of the canvas the drawing covers.
    int canvasWidth() const;
    int canvasHeight() const;
};

// The button-shadow grey that frames both windows' pictures.
inline const QColor ChartFrameColor(160, 160, 160);

// Begins a drawing on the target at scale 1: a control on the given
// background, an image on white. False when nothing can be drawn.
bool BeginChart(Chart &chart, const ChartTarget &target, const QColor &controlBackground);

} // namespace vantor
