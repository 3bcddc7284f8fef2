#include "chart.h"

#include "chart_settings.h"
#include "line_clip.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <algorithm>
#include <cmath>
#include <utility>

namespace vantor {

QPointF Chart::Mapper::map(double x, double y) const
{
    if (xLog)
        x = std::log10(x);
    if (yLog)
        y = std::log10(y);
    return {left + (x - xMin) * xs, bottom - (y - yMin) * ys};
}

Chart::Chart() = default;

Chart::~Chart()
{
    if (m_painter.isActive())
        m_painter.end();
}

bool Chart::BeginPlotOnControl(QPaintDevice *control, const QColor &background, const QColor &frame,
                               double scale)
{
    if (control == nullptr) {
        begin(nullptr, 0, 0, true, scale, frame, background);
        return false;
    }
    return begin(control, control->width(), control->height(), true, scale, frame, background);
}

bool Chart::BeginPlotOnImage(QPaintDevice *canvas, int width, int height, bool drawFrame,
                             double scale, const QColor &frame, const QColor &background)
{
    return begin(canvas, width, height, drawFrame, scale, frame, background);
}

bool Chart::begin(QPaintDevice *device, int width, int height, bool drawFrame, double scale,
                  const QColor &frame, const QColor &background)
{
    if (m_painter.isActive())
        m_painter.end();
    m_run.clear();
    m_areas.clear();
    m_defaultGrid = GridStyles{};
    setDataMode(false);
    m_penPos = QPointF();
    m_scale = scale > 0 ? scale : 1;
    m_frameColor = frame;
    m_penColor = frame;
    m_textColor = Qt::black;
    if (device == nullptr)
        return false;
    m_canvas = QSize(std::min(width, device->width()), std::min(height, device->height()));
    if (m_canvas.isEmpty() || !m_painter.begin(device))
        return false;

    const bool smoothText = SettingValue(AntialiasFont) != 0;
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    m_painter.setRenderHint(QPainter::TextAntialiasing, smoothText);
    m_painter.fillRect(QRect(QPoint(0, 0), m_canvas), background);
    if (drawFrame) {
        m_painter.setPen(QPen(frame, 1));
        m_painter.setBrush(Qt::NoBrush);
        m_painter.drawRect(0, 0, m_canvas.width() - 1, m_canvas.height() - 1);
    }
    m_font = TextFont(m_scale);
    if (!smoothText)
        m_font.setStyleStrategy(QFont::NoAntialias);
    m_painter.setFont(m_font);
    m_fontKey = m_font.key();
    const QFontMetricsF metrics(m_font, device);
    m_charWidth = metrics.horizontalAdvance(u'0');
    m_charHeight = metrics.height();
    m_clip = QRect();
    setClip(canvasClip());
    return true;
}

QFont Chart::TextFont(double scale)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(8 * scale);
    return font;
}

QRect Chart::canvasClip() const
{
    return QRect(QPoint(0, 0), m_canvas).adjusted(1, 1, -1, -1);
}

void Chart::setClip(const QRect &rect)
{
    if (rect == m_clip)
        return;
    m_clip = rect;
    m_painter.setClipRect(rect);
}

Chart::PlotArea *Chart::currentArea()
{
    return m_areas.empty() ? nullptr : &m_areas.back();
}

void Chart::AddPlotArea(double leftPercent, double rightPercent, double topPercent,
                        double bottomPercent, int leftMargin, int rightMargin, int topMargin,
                        int bottomMargin)
{
    if (!drawing() || m_areas.size() >= MaxPlotAreas)
        return;
    flushRun();
    if (leftPercent > rightPercent)
        std::swap(leftPercent, rightPercent);
    if (topPercent > bottomPercent)
        std::swap(topPercent, bottomPercent);
    const auto percent = [](double p) { return std::clamp(p, 0.0, 100.0) / 100; };
    // Pixel indexes of the outer rectangle; 100 % is the last pixel.
    const double left = m_canvas.width() * percent(leftPercent);
    const double right = m_canvas.width() * percent(rightPercent) - 1;
    const double top = m_canvas.height() * percent(topPercent);
    const double bottom = m_canvas.height() * percent(bottomPercent) - 1;
    PlotArea area;
    area.plot = QRect(
        QPoint(qRound(left + leftMargin * m_scale), qRound(top + topMargin * m_scale)),
        QPoint(qRound(right - rightMargin * m_scale), qRound(bottom - bottomMargin * m_scale)));
    area.usable = area.plot.right() > area.plot.left() && area.plot.bottom() > area.plot.top();
    area.grid = m_defaultGrid;
    m_areas.push_back(area);
    setDataMode(false);
}

void Chart::SetGridStyle(int xMajor, int xMinor, int yMajor, int yMinor)
{
    PlotArea *area = currentArea();
    (area != nullptr ? area->grid : m_defaultGrid) = GridStyles{xMajor, xMinor, yMajor, yMinor};
}

Chart::Mapper Chart::mapper(const PlotArea &area, int yIndex) const
{
    const auto axis = [](const Range &r) {
        return r.logarithmic ? std::pair(std::log10(r.min), std::log10(r.max))
                             : std::pair(r.min, r.max);
    };
    const Range &yRange = area.yCount > 0 ? area.y[static_cast<std::size_t>(yIndex)] : Range{};
    const auto [xMin, xMax] = axis(area.x);
    const auto [yMin, yMax] = axis(yRange);
    Mapper m{};
    m.left = area.plot.left();
    m.xMin = xMin;
    m.xs = (area.plot.right() - area.plot.left()) / (xMax - xMin);
    m.bottom = area.plot.bottom();
    m.yMin = yMin;
    m.ys = (area.plot.bottom() - area.plot.top()) / (yMax - yMin);
    m.xLog = area.x.logarithmic;
    m.yLog = yRange.logarithmic;
    return m;
}

void Chart::setDataMode(bool on)
{
    m_dataMode = on;
    m_pointMapper.reset();
}

QPointF Chart::toPixels(double x, double y)
{
    const PlotArea *area = currentArea();
    if (!m_dataMode || area == nullptr)
        return {x * m_scale, y * m_scale};
    // Every change of area or axis passes through setDataMode, so the scales
    // stay valid for all the points drawn in between.
    if (!m_pointMapper)
        m_pointMapper = mapper(*area, std::max(area->yCount - 1, 0));
    return m_pointMapper->map(x, y);
}

void Chart::SetPenColor(const QColor &color)
{
    // Lines gathered so far were drawn in the old colour.
    if (color != m_penColor)
        flushRun();
    m_penColor = color;
}

void Chart::MoveToPoint(double x, double y)
{
    if (drawing())
        m_penPos = toPixels(x, y);
}

void Chart::LineToPoint(double x, double y)
{
    if (!drawing())
        return;
    const QPointF to = toPixels(x, y);
    addSegment(m_penPos, to);
    m_penPos = to;
}

void Chart::addSegment(QPointF a, QPointF b)
{
    if (m_dataMode) {
        const PlotArea *area = currentArea();
        if (area == nullptr || !area->usable)
            return;
        const QRect &p = area->plot;
        const auto inside = [&p](QPointF q) {
            return q.x() >= p.left() && q.x() <= p.right() && q.y() >= p.top() &&
                   q.y() <= p.bottom();
        };
        if (!(inside(a) && inside(b)) && !ClipSegment(a, b, QRectF(p.topLeft(), p.bottomRight())))
            return;
    } else if (!std::isfinite(a.x() + a.y() + b.x() + b.y())) {
        return;
    }
    // A run never spans a change of pen colour or coordinate mode: both flush it.
    if (!m_run.isEmpty() && m_run.back().x() == a.x() && m_run.back().y() == a.y()) {
        m_run.append(b);
        return;
    }
    flushRun();
    m_run << a << b;
}

void Chart::flushRun()
{
    if (m_run.size() >= 2) {
        // Data-mode runs were already cut at the plot rectangle. A clip rectangle that holds
        // the whole polyline lets the rasteriser skip clipping every segment again, which
        // makes long series several times faster than clipping them to the plot itself.
        setClip(canvasClip());
        m_painter.setPen(QPen(m_penColor, m_scale));
        m_painter.drawPolyline(m_run);
    }
    m_run.clear();
}

void Chart::FinishPlot()
{
    if (!drawing())
        return;
    flushRun();
    m_painter.end();
    setDataMode(false);
}

} // namespace vantor
