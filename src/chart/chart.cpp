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
    if (painter_.isActive())
        painter_.end();
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
    if (painter_.isActive())
        painter_.end();
    run_.clear();
    areas_.clear();
    defaultGrid_ = GridStyles{};
    dataMode_ = false;
    penPos_ = QPointF();
    scale_ = scale > 0 ? scale : 1;
    frameColor_ = frame;
    penColor_ = frame;
    textColor_ = Qt::black;
    if (device == nullptr)
        return false;
    canvas_ = QSize(std::min(width, device->width()), std::min(height, device->height()));
    if (canvas_.isEmpty() || !painter_.begin(device))
        return false;

    const bool smoothText = SettingValue(AntialiasFont) != 0;
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, smoothText);
    painter_.fillRect(QRect(QPoint(0, 0), canvas_), background);
    if (drawFrame) {
        painter_.setPen(QPen(frame, 1));
        painter_.setBrush(Qt::NoBrush);
        painter_.drawRect(0, 0, canvas_.width() - 1, canvas_.height() - 1);
    }
    font_ = QFont(QStringLiteral("Arial"));
    font_.setPointSizeF(8 * scale_);
    if (!smoothText)
        font_.setStyleStrategy(QFont::NoAntialias);
    painter_.setFont(font_);
    const QFontMetricsF metrics(font_, device);
    charWidth_ = metrics.horizontalAdvance(u'0');
    charHeight_ = metrics.height();
    clip_ = QRect();
    setClip(canvasClip());
    return true;
}

QRect Chart::canvasClip() const
{
    return QRect(QPoint(0, 0), canvas_).adjusted(1, 1, -1, -1);
}

void Chart::setClip(const QRect &rect)
{
    if (rect == clip_)
        return;
    clip_ = rect;
    painter_.setClipRect(rect);
}

Chart::PlotArea *Chart::currentArea()
{
    return areas_.empty() ? nullptr : &areas_.back();
}

void Chart::AddPlotArea(double leftPercent, double rightPercent, double topPercent,
                        double bottomPercent, int leftMargin, int rightMargin, int topMargin,
                        int bottomMargin)
{
    if (!drawing() || areas_.size() >= MaxPlotAreas)
        return;
    flushRun();
    if (leftPercent > rightPercent)
        std::swap(leftPercent, rightPercent);
    if (topPercent > bottomPercent)
        std::swap(topPercent, bottomPercent);
    const auto percent = [](double p) { return std::clamp(p, 0.0, 100.0) / 100; };
    // Pixel indexes of the outer rectangle; 100 % is the last pixel.
    const double left = canvas_.width() * percent(leftPercent);
    const double right = canvas_.width() * percent(rightPercent) - 1;
    const double top = canvas_.height() * percent(topPercent);
    const double bottom = canvas_.height() * percent(bottomPercent) - 1;
    PlotArea area;
    area.plot =
        QRect(QPoint(qRound(left + leftMargin * scale_), qRound(top + topMargin * scale_)),
              QPoint(qRound(right - rightMargin * scale_), qRound(bottom - bottomMargin * scale_)));
    area.usable = area.plot.right() > area.plot.left() && area.plot.bottom() > area.plot.top();
    area.grid = defaultGrid_;
    areas_.push_back(area);
    dataMode_ = false;
}

void Chart::SetGridStyle(int xMajor, int xMinor, int yMajor, int yMinor)
{
    PlotArea *area = currentArea();
    (area != nullptr ? area->grid : defaultGrid_) = GridStyles{xMajor, xMinor, yMajor, yMinor};
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

QPointF Chart::toPixels(double x, double y)
{
    const PlotArea *area = currentArea();
    if (!dataMode_ || area == nullptr)
        return {x * scale_, y * scale_};
    return mapper(*area, std::max(area->yCount - 1, 0)).map(x, y);
}

void Chart::SetPenColor(const QColor &color)
{
    // Lines gathered so far were drawn in the old colour.
    if (color != penColor_)
        flushRun();
    penColor_ = color;
}

void Chart::MoveToPoint(double x, double y)
{
    if (drawing())
        penPos_ = toPixels(x, y);
}

void Chart::LineToPoint(double x, double y)
{
    if (!drawing())
        return;
    const QPointF to = toPixels(x, y);
    addSegment(penPos_, to);
    penPos_ = to;
}

void Chart::addSegment(QPointF a, QPointF b)
{
    if (dataMode_) {
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
    if (!run_.isEmpty() && run_.back().x() == a.x() && run_.back().y() == a.y()) {
        run_.append(b);
        return;
    }
    flushRun();
    run_ << a << b;
}

void Chart::flushRun()
{
    if (run_.size() >= 2) {
        // Data-mode runs were already cut at the plot rectangle. A clip rectangle that holds
        // the whole polyline lets the rasteriser skip clipping every segment again, which
        // makes long series several times faster than clipping them to the plot itself.
        setClip(canvasClip());
        painter_.setPen(QPen(penColor_, scale_));
        painter_.drawPolyline(run_);
    }
    run_.clear();
}

void Chart::FinishPlot()
{
    if (!drawing())
        return;
    flushRun();
    painter_.end();
    dataMode_ = false;
}

} // namespace vantor
