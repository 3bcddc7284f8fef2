#include "axis_ticks.h"
#include "chart.h"
#include "chart_settings.h"
#include "grid_pattern.h"

#include <QFontMetricsF>
#include <QLineF>
#include <QList>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <utility>

namespace vantor {

namespace {

// A minor tick closer than this (in major steps) to a major one is the major one.
constexpr double SameTickTolerance = 1e-6;

// Far more ticks than any axis can label; guards against absurd ranges.
constexpr double MaxTickCount = 10000;

bool OnStep(double value, double step)
{
    const double k = value / step;
    return std::fabs(k - std::round(k)) < SameTickTolerance;
}

// Multiples of step within [min, max]. Counted with an integer: far from
// zero a double tick index may no longer change when incremented.
std::vector<double> Multiples(double min, double max, double step)
{
    std::vector<double> values;
    if (!(step > 0) || (max - min) / step > MaxTickCount)
        return values;
    const double first = std::ceil(min / step - SameTickTolerance);
    const double last = std::floor(max / step + SameTickTolerance);
    const auto count = static_cast<long>(std::max(last - first + 1, 0.0));
    for (long i = 0; i < count; ++i) {
        const double k = first + static_cast<double>(i);
        values.push_back(k == 0 ? 0.0 : k * step);
    }
    return values;
}

// A logarithmic axis needs positive ends far enough apart.
bool UseLogarithmic(bool requested, double min, double max)
{
    return requested && min > 0 && max / min >= SettingValue(MinLogRatio);
}

// Grid lines of one axis, gathered to be drawn in two calls.
struct GridDots {
    QPolygonF dots;
    QList<QLineF> lines;

    // Dots one pixel x scale apart from `from` to `to`, set by the style's rule.
    void add(QPointF from, QPointF to, int style, double scale)
    {
        const QPointF delta = to - from;
        const int count =
            static_cast<int>(std::round(std::hypot(delta.x(), delta.y()) / scale)) + 1;
        const QPointF step = count > 1 ? delta / (count - 1) : QPointF();
        for (const DotRun &run : GridDotRuns(count, style)) {
            const QPointF a = from + step * run.first;
            if (run.count == 1)
                dots << a;
            else
                lines << QLineF(a, from + step * (run.first + run.count - 1));
        }
    }
};

} // namespace

Chart::Ticks Chart::numericTicks(double min, double max, double axisPixels, double labelSpacing,
                                 double majorHint, double minorHint, bool logarithmic,
                                 bool fixedLabels)
{
    Ticks ticks;
    if (logarithmic) {
        for (double e = std::ceil(std::log10(min) - SameTickTolerance);
             e <= std::floor(std::log10(max) + SameTickTolerance); ++e) {
            const double decade = std::pow(10.0, e);
            ticks.major.push_back(decade);
            ticks.labels.push_back(
                FormatAxisLabel(decade, std::max(0, static_cast<int>(-e)), decade, fixedLabels));
        }
        for (double e = std::floor(std::log10(min)); e <= std::floor(std::log10(max)); ++e) {
            for (int j = 2; j <= 9; ++j) {
                const double v = j * std::pow(10.0, e);
                if (v >= min && v <= max)
                    ticks.minor.push_back(v);
            }
        }
        return ticks;
    }
    const AxisSteps steps =
        ComputeAxisSteps(min, max, axisPixels, labelSpacing, majorHint, minorHint);
    ticks.decimals = steps.decimals;
    ticks.major = Multiples(min, max, steps.major);
    for (const double v : Multiples(min, max, steps.minor)) {
        if (!OnStep(v, steps.major))
            ticks.minor.push_back(v);
    }
    for (const double v : ticks.major)
        ticks.labels.push_back(FormatAxisLabel(v, steps.decimals, steps.major, fixedLabels));
    return ticks;
}

double Chart::axisPixel(const PlotArea &area, Edge edge, double value) const
{
    const Range &range = edge == Edge::Bottom ? area.x : area.y[area.yCount - 1];
    const auto f = [&](double v) { return range.logarithmic ? std::log10(v) : v; };
    const double fraction = (f(value) - f(range.min)) / (f(range.max) - f(range.min));
    if (edge == Edge::Bottom)
        return area.plot.left() + fraction * (area.plot.right() - area.plot.left());
    return area.plot.bottom() - fraction * (area.plot.bottom() - area.plot.top());
}

void Chart::drawAxis(const PlotArea &area, Edge edge, bool labelsInside, const QColor &color,
                     const QString &title, const Ticks &ticks, double majorTick, double minorTick,
                     int majorStyle, int minorStyle, bool grid, double labelAngle)
{
    const QRect &p = area.plot;
    const bool bottom = edge == Edge::Bottom;
    // Ticks, labels and title go away from the plot, or into it for inner variants.
    double outward = edge == Edge::Left ? -1 : 1;
    if (labelsInside)
        outward = -outward;
    const double line = bottom ? p.bottom() : edge == Edge::Left ? p.left() : p.right();
    const auto at = [&](double along, double across) {
        return bottom ? QPointF(along, line + outward * across)
                      : QPointF(line + outward * across, along);
    };

    setClip(canvasClip());
    GridDots gridDots;
    const auto gridLine = [&](double pos, int style) {
        if (bottom)
            gridDots.add(QPointF(pos, p.top()), QPointF(pos, p.bottom()), style, m_scale);
        else
            gridDots.add(QPointF(p.left(), pos), QPointF(p.right(), pos), style, m_scale);
    };
    if (grid) {
        for (const double v : ticks.minor)
            gridLine(axisPixel(area, edge, v), minorStyle);
        for (const double v : ticks.major)
            gridLine(axisPixel(area, edge, v), majorStyle);
    } else if (!bottom) {
        // Without grid lines a y axis still marks its zero.
        for (const double v : ticks.major) {
            if (v == 0)
                gridLine(axisPixel(area, edge, v), majorStyle);
        }
    }

    m_painter.setPen(QPen(color, m_scale));
    m_painter.drawPoints(gridDots.dots);
    m_painter.drawLines(gridDots.lines);
    if (bottom)
        m_painter.drawLine(QPointF(p.left(), line), QPointF(p.right(), line));
    else
        m_painter.drawLine(QPointF(line, p.top()), QPointF(line, p.bottom()));
    for (const double v : ticks.minor) {
        const double pos = axisPixel(area, edge, v);
        m_painter.drawLine(at(pos, 0), at(pos, minorTick));
    }
    for (const double v : ticks.major) {
        const double pos = axisPixel(area, edge, v);
        m_painter.drawLine(at(pos, 0), at(pos, majorTick));
    }

    const QFontMetricsF metrics(m_font, m_painter.device());
    const double gap = m_charWidth / 2;
    const double labelOffset = majorTick + gap;
    double labelDepth = 0; // extent of the labels away from the axis
    const int towards = outward > 0 ? 1 : -1;
    for (std::size_t i = 0; i < ticks.major.size(); ++i) {
        const QPointF anchor = at(axisPixel(area, edge, ticks.major[i]), labelOffset);
        const QString &label = ticks.labels[i];
        if (labelAngle != 0) {
            drawText(color, label, bottom ? -1 : towards, anchor, 0, 1, labelAngle, canvasClip());
            labelDepth = std::max(labelDepth, textWidth(label, metrics));
        } else if (bottom) {
            drawText(color, label, 0, anchor, towards, 1, 0, canvasClip());
            labelDepth =
                std::max(labelDepth, metrics.height() * static_cast<double>(label.count(u'|') + 1));
        } else {
            drawText(color, label, towards, anchor, 0, 1, 0, canvasClip());
            labelDepth = std::max(labelDepth, textWidth(label, metrics));
        }
    }

    const double titleOffset = labelOffset + labelDepth + gap;
    if (bottom) {
        drawText(color, title, 0, at((p.left() + p.right()) / 2.0, titleOffset), towards, 1, 0,
                 canvasClip());
        return;
    }
    // Written upwards, or downwards when the settings ask for it. Turned a
    // quarter counter-clockwise a text's bottom faces right, so a title left of
    // the axis sits on its bottom edge; turned clockwise, on its top edge.
    const bool upwards = SettingValue(RotateVertCaptionY) == 0;
    const int verticalAlign = upwards ? towards : -towards;
    // Either way the title reaches one line height further out. In a narrow
    // margin it moves in towards the labels rather than off the canvas.
    const QRect canvas = canvasClip();
    const double outerEdge = line + outward * (titleOffset + metrics.height());
    double across = titleOffset;
    if (outerEdge < canvas.left())
        across -= canvas.left() - outerEdge;
    else if (outerEdge > canvas.right() + 1)
        across -= outerEdge - (canvas.right() + 1);
    drawText(color, title, 0, at((p.top() + p.bottom()) / 2.0, std::max(across, 0.0)),
             verticalAlign, 1, upwards ? 90 : -90, canvas);
}

double Chart::XAxisDepth(const QFontMetricsF &metrics)
{
    // drawXAxis's tick length, drawAxis's gaps: tick, gap, labels, gap, title.
    const double charWidth = metrics.horizontalAdvance(u'0');
    return std::round(SettingValue(MajorTicsizeX) * charWidth) + charWidth + 2 * metrics.height();
}

void Chart::XAxis(const QColor &color, const QString &title, bool grid, double min, double max,
                  double majorHint, double minorHint, bool logarithmic, bool fixedLabels)
{
    PlotArea *area = numericAxisArea(min, max);
    if (area == nullptr)
        return;
    logarithmic = UseLogarithmic(logarithmic, min, max);
    const double length = area->plot.right() - area->plot.left();
    Ticks ticks = numericTicks(min, max, length, SettingValue(LabelDistXFloat) * m_charWidth,
                               majorHint, minorHint, logarithmic, fixedLabels);
    if (!logarithmic && !fixedLabels && ticks.decimals < -2)
        ticks = numericTicks(min, max, length, SettingValue(LabelDistXExp) * m_charWidth, majorHint,
                             minorHint, false, false);
    drawXAxis(*area, Range{min, max, logarithmic}, color, title, ticks, grid);
}

Chart::PlotArea *Chart::numericAxisArea(double &min, double &max)
{
    PlotArea *area = currentArea();
    if (!drawing() || area == nullptr || !area->usable)
        return nullptr;
    flushRun();
    if (min > max)
        std::swap(min, max);
    if (!(min < max) || !std::isfinite(max - min))
        return nullptr;
    return area;
}

void Chart::drawXAxis(PlotArea &area, const Range &range, const QColor &color, const QString &title,
                      const Ticks &ticks, bool grid)
{
    area.x = range;
    area.hasX = true;
    setDataMode(true);
    const double majorTick = std::round(SettingValue(MajorTicsizeX) * m_charWidth);
    drawAxis(area, Edge::Bottom, false, color, title, ticks, majorTick,
             SettingValue(MinorTicsizeX) * majorTick, area.grid.xMajor, area.grid.xMinor, grid,
             SettingValue(AngleTextX));
}

void Chart::YAxis(const QColor &color, const QString &title, int position, double min, double max,
                  double majorHint, double minorHint, bool grid, bool logarithmic, bool fixedLabels)
{
    PlotArea *area = numericAxisArea(min, max);
    if (area == nullptr)
        return;
    logarithmic = UseLogarithmic(logarithmic, min, max);
    position = std::clamp(position, 1, 8);
    const bool right = position == 3 || position == 4 || position >= 7;
    const bool inside = position == 2 || position == 3;
    const Ticks ticks = numericTicks(min, max, area->plot.bottom() - area->plot.top(),
                                     SettingValue(LabelDistY) * m_charHeight, majorHint, minorHint,
                                     logarithmic, fixedLabels);
    // Further axes beyond the last take its place.
    area->yCount = std::min(area->yCount + 1, MaxYAxes);
    area->y[static_cast<std::size_t>(area->yCount - 1)] = Range{min, max, logarithmic};
    setDataMode(true);
    const double majorTick = std::round(SettingValue(MajorTicsizeY) * m_charWidth);
    drawAxis(*area, right ? Edge::Right : Edge::Left, inside, color, title, ticks, majorTick,
             SettingValue(MinorTicsizeY) * majorTick, area->grid.yMajor, area->grid.yMinor, grid,
             SettingValue(AngleTextY));
}

} // namespace vantor
