// Hand-built devices for the picture tests: a histogram as the store leaves
// it, and a sample history with the extremes the parser keeps.
#pragma once

#include "model.h"

#include <QImage>
#include <QRect>
#include <functional>

namespace vantor::test {

// Date-time of the first sample of every history fixture.
TDateTime HistoryStart();

// A device at station "Radio One" on 98.50 MHz.
TDevice StationDevice();

// Sets the bins and the summary fields as the histogram store computes them
// for limit 75 and tolerance 1.
void SetHistogram(TDevice &device, const std::array<int, HistogramBinCount> &bins);

// Appends one sample a second after the previous one (the first at
// HistoryStart), growing the history as needed, and moves the columns'
// extremes as the parser does.
void AddSample(TDevice &device, const std::array<float, ColumnCount> &values);

// count samples holding value(i) in column and no value elsewhere.
void FillHistory(TDevice &device, int column, int count, const std::function<float(int)> &value);

// A canvas in a colour no chart uses, so unpainted pixels show.
QImage Canvas(int width, int height);

bool HasColor(const QImage &image, const QRect &rect, const QColor &color);
int CountColor(const QImage &image, const QRect &rect, const QColor &color);

} // namespace vantor::test
