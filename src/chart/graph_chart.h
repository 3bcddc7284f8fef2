// The Graph Window's plot: up to three measured values of a device against
// time from its sample history, on screen or into a picture. The end-of-
// measuring picture saves draw a single value through the same routine.
#pragma once

#include "chart_target.h"
#include "model.h"

#include <QMargins>

#include <array>

class QPaintDevice;

namespace vantor {

// Items of the Graph Window's "X axis" list.
enum GraphXAxis : int {
    Last60Seconds = 0,
    Last5Minutes = 1,
    Last15Minutes = 2,
    Last1Hour = 3,
    EntireFile = 4,
};

struct GraphOptions {
    // One column to plot alone (picture saves), or -1 for the three values below.
    int column = -1;
    // Columns of "Value 1" (blue), "Value 2" (red), "Value 3" (green); -1 for "(none)".
    std::array<int, 3> values{-1, -1, -1};
    int xAxis = Last60Seconds;
    // "Auto" y range; otherwise manualMin ... manualMax. A single column is always automatic.
    bool autoY = true;
    double manualMin = 0;
    double manualMax = 100;
    // Where the time axis sits while the device has fewer than two samples.
    TDateTime now = 0;
};

// The ranges and sampling a plot is drawn with.
struct GraphScales {
    std::array<int, 3> columns{-1, -1, -1}; // per series; -1 draws nothing
    TDateTime start = 0;
    TDateTime end = 0;
    double yMin = -1;
    double yMax = 1;
    int step = 1; // every step-th sample is plotted
};

GraphScales ComputeGraphScales(const TDevice &device, const GraphOptions &options);

// The margins between the picture's edge and the plot on device: 60, 10, 15
// and 37 pixels (left, top, right, bottom) at least, more where the chart's
// font needs it for the time labels below and the last one at the right end.
QMargins GraphMargins(const QPaintDevice *device);

// Draws the plot on a control or an image, both on white. Nothing is drawn for
// a device without samples unless a single column is asked for.
void DrawGraph(const ChartTarget &target, const TDevice &device, const GraphOptions &options);

} // namespace vantor
