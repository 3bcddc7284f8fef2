#include "chart.h"

#include <QList>
#include <QRectF>

#include <algorithm>
#include <cmath>
#include <limits>

namespace vantor {

namespace {

// Graph Window margins, used when a data array is plotted before any area.
constexpr int AutoMargins[4] = {60, 15, 10, 37};

constexpr double BarFractions[3] = {1.0, 0.7, 0.4};

// Half the side of a point marker, in pixels x scale.
constexpr double MarkerHalf = 2;

const float *Cell(const std::vector<float> &row, std::size_t column)
{
    return column < row.size() ? &row[column] : nullptr;
}

} // namespace

void Chart::ensureAxesFor(const Tdatatype &data)
{
    if (m_areas.empty())
        AddPlotArea(0, 100, 0, 100, AutoMargins[0], AutoMargins[1], AutoMargins[2], AutoMargins[3]);
    const PlotArea *area = currentArea();
    if (area == nullptr || (area->hasX && area->yCount > 0))
        return;
    double lo[2] = {std::numeric_limits<double>::max(), std::numeric_limits<double>::max()};
    double hi[2] = {std::numeric_limits<double>::lowest(), std::numeric_limits<double>::lowest()};
    for (std::size_t r = static_cast<std::size_t>(FirstDataRow(data)); r < data.size(); ++r) {
        for (std::size_t c = 0; c < data[r].size(); ++c) {
            const double v = data[r][c];
            if (!std::isfinite(v))
                continue;
            const int which = c == 0 ? 0 : 1;
            lo[which] = std::min(lo[which], v);
            hi[which] = std::max(hi[which], v);
        }
    }
    for (int i = 0; i < 2; ++i) {
        if (lo[i] > hi[i]) {
            lo[i] = 0;
            hi[i] = 1;
        } else if (lo[i] == hi[i]) {
            lo[i] -= 1;
            hi[i] += 1;
        }
    }
    if (!area->hasX)
        XAxis(m_frameColor, QString(), false, lo[0], hi[0], 0, 0, false, true);
    if (area->yCount == 0)
        YAxis(m_frameColor, QString(), 1, lo[1], hi[1], 0, 0, false, false, true);
}

void Chart::PlotDataArray(const Tdatatype &data, int style)
{
    if (!drawing() || data.size() <= static_cast<std::size_t>(FirstDataRow(data)))
        return;
    flushRun();
    ensureAxesFor(data);
    const PlotArea *area = currentArea();
    if (area == nullptr || !area->usable)
        return;
    setDataMode(true);
    style = std::clamp(style, 0, 5);
    for (std::size_t column = 1; column < data[0].size(); ++column) {
        // The header names the y axis of the column; unknown axes fall back
        // to the nearest one that exists.
        const int axis = static_cast<int>(std::lround(data[0][column])) - 1;
        const Mapper m = mapper(*area, std::clamp(axis, 0, std::max(area->yCount - 1, 0)));
        if (style >= 3)
            plotBars(data, column, m, BarFractions[style - 3]);
        else
            plotSeries(data, column, m, style);
    }
}

void Chart::plotSeries(const Tdatatype &data, std::size_t column, const Mapper &m, int style)
{
    const auto first = static_cast<std::size_t>(FirstDataRow(data));
    if (style <= 1) {
        bool havePrevious = false;
        QPointF previous;
        for (std::size_t r = first; r < data.size(); ++r) {
            const float *y = Cell(data[r], column);
            if (y == nullptr)
                continue;
            const QPointF point = m.map(data[r][0], *y);
            if (havePrevious)
                addSegment(previous, point);
            previous = point;
            havePrevious = true;
        }
        flushRun();
    }
    if (style == 1)
        return;
    const PlotArea &area = *currentArea();
    setClip(area.plot & canvasClip());
    m_painter.setPen(QPen(m_penColor, m_scale));
    m_painter.setBrush(Qt::NoBrush);
    const double half = MarkerHalf * m_scale;
    QList<QRectF> markers;
    for (std::size_t r = first; r < data.size(); ++r) {
        const float *y = Cell(data[r], column);
        if (y == nullptr)
            continue;
        const QPointF at = m.map(data[r][0], *y);
        if (std::isfinite(at.x()) && std::isfinite(at.y()))
            markers << QRectF(at.x() - half, at.y() - half, 2 * half, 2 * half);
    }
    m_painter.drawRects(markers);
}

void Chart::plotBars(const Tdatatype &data, std::size_t column, const Mapper &m, double fraction)
{
    const auto first = static_cast<std::size_t>(FirstDataRow(data));
    double width = 1;
    if (data.size() > first + 1 && !data[first].empty() && !data[first + 1].empty())
        width = std::fabs(data[first + 1][0] - data[first][0]);
    const double half = width * fraction / 2;
    const QRect clip = currentArea()->plot & canvasClip();
    setClip(clip);
    for (std::size_t r = first; r < data.size(); ++r) {
        const float *y = Cell(data[r], column);
        if (y == nullptr)
            continue;
        const double x = data[r][0];
        const QPointF a = m.map(x - half, 0);
        const QPointF b = m.map(x + half, *y);
        if (!std::isfinite(a.x() + a.y() + b.x() + b.y()))
            continue;
        // Edges rounded alike, so neighbouring full-width bars neither overlap
        // nor leave a gap; a bar never gets thinner than a pixel.
        const double left = std::round(std::min(a.x(), b.x()));
        const double right = std::max(std::round(std::max(a.x(), b.x())), left + 1);
        const double top = std::round(std::min(a.y(), b.y()));
        const double bottom = std::round(std::max(a.y(), b.y()));
        const QRectF bar = QRectF(left, top, right - left, bottom - top) & QRectF(clip);
        if (!bar.isEmpty())
            m_painter.fillRect(bar, m_penColor);
    }
}

} // namespace vantor
