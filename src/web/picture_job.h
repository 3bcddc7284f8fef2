// A picture asked of the web server, made ready on the engine's loop and
// drawn elsewhere: a private copy of just the device data the picture shows,
// and a key that changes whenever the picture would.
#pragma once

#include "graph_chart.h"
#include "histogram_chart.h"
#include "model.h"

#include <QByteArray>

namespace vantor {

struct PictureJob {
    bool histogram = true; // else the graph of graphOptions.column
    int width = 0;
    int height = 0;
    HistogramOptions histogramOptions;
    GraphOptions graphOptions;
    TDevice data; // the fields the picture is drawn from, nothing else
};

// What the picture of device would show, its size and its options, in a few
// bytes: equal keys draw equal pictures. Cheap: it reads no more than the
// histogram's bins and the history's last record.
QByteArray PictureKey(int deviceIndex, const TDevice &device, const PictureJob &job);

// Fills job.data from device: the histogram, or for a graph the part of the
// history its time axis shows (one record more, where its line enters).
void CopyPictureData(const TDevice &device, PictureJob &job);

// The picture as PNG; empty when no picture of that size can be had.
QByteArray DrawPicture(const PictureJob &job);

} // namespace vantor
