#include "chart.h"

#include <QFontMetricsF>
#include <QHash>
#include <QStaticText>
#include <QStringList>
#include <cmath>

namespace vantor {

namespace {

constexpr int KeepAtAnchorFlags = 0x3;
constexpr int KeepTextColorFlag = 0x4;

// Distance of a left- or right-aligned text from its anchor, in pixels x scale.
constexpr double AnchorGap = 3;

int Sign(int v)
{
    return (v > 0) - (v < 0);
}

// A line of text shaped once: charts redraw the same labels, captions and
// titles every second, and shaping them again is most of a frame's cost.
struct ShapedLine {
    QStaticText text;
    double width = 0;
};

// Lines shaped in the fonts used lately, per drawing thread. The bound only
// matters for labels that keep changing, like times; emptying it now and then
// is cheaper than tracking use.
const ShapedLine &Shaped(const QString &line, const QFont &font, const QString &fontKey,
                         const QFontMetricsF &metrics)
{
    constexpr qsizetype MaxLines = 2048;
    thread_local QHash<QString, ShapedLine> cache;
    QString key = fontKey;
    key += u'\x1f';
    key += line;
    const auto found = cache.constFind(key);
    if (found != cache.cend())
        return *found;
    if (cache.size() >= MaxLines)
        cache.clear();
    ShapedLine shaped{QStaticText(line), metrics.horizontalAdvance(line)};
    shaped.text.setTextFormat(Qt::PlainText);
    shaped.text.setPerformanceHint(QStaticText::AggressiveCaching);
    shaped.text.prepare(QTransform(), font);
    return *cache.insert(key, std::move(shaped));
}

} // namespace

void Chart::PlotText(const QColor &color, const QString &text, int horizontalAlign, double x,
                     double y, int verticalAlign, int flags)
{
    PlotTextRotated(color, text, horizontalAlign, x, y, verticalAlign, flags, 0);
}

void Chart::PlotTextRotated(const QColor &color, const QString &text, int horizontalAlign, double x,
                            double y, int verticalAlign, int flags, double angle)
{
    if (!drawing())
        return;
    flushRun();
    QRect clip = canvasClip();
    if (m_dataMode) {
        const PlotArea *area = currentArea();
        if (area == nullptr || !area->usable)
            return;
        clip &= area->plot;
    }
    drawText(color, text, horizontalAlign, toPixels(x, y), verticalAlign, flags, angle, clip);
}

double Chart::textWidth(const QString &line, const QFontMetricsF &metrics) const
{
    return Shaped(line, m_font, m_fontKey, metrics).width;
}

void Chart::drawText(const QColor &color, const QString &text, int horizontalAlign, QPointF anchor,
                     int verticalAlign, int flags, double angle, const QRect &clip)
{
    // Written this way round so that a NaN anchor is outside too.
    if (!(anchor.x() >= 0 && anchor.x() < m_canvas.width() && anchor.y() >= 0 &&
          anchor.y() < m_canvas.height()))
        return;
    if ((flags & KeepTextColorFlag) == 0)
        m_textColor = color;
    horizontalAlign = Sign(horizontalAlign);
    verticalAlign = Sign(verticalAlign);

    const QStringList lines = text.split(u'|');
    const QFontMetricsF metrics(m_font, m_painter.device());
    const double lineHeight = metrics.height();
    const double blockHeight = lineHeight * static_cast<double>(lines.size());
    const double top = verticalAlign > 0 ? 0 : verticalAlign == 0 ? -blockHeight / 2 : -blockHeight;
    double shift = 0;
    if (angle == 0 && lines.size() == 1 && (flags & KeepAtAnchorFlags) == 0)
        shift = horizontalAlign * AnchorGap * m_scale;

    setClip(clip);
    m_painter.setPen(m_textColor);
    m_painter.save();
    m_painter.translate(angle == 0 ? QPointF(std::round(anchor.x()), std::round(anchor.y()))
                                   : anchor);
    if (angle != 0)
        m_painter.rotate(-angle);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const ShapedLine &line = Shaped(lines[i], m_font, m_fontKey, metrics);
        const double left = horizontalAlign > 0    ? 0
                            : horizontalAlign == 0 ? -line.width / 2
                                                   : -line.width;
        const double baseline = top + lineHeight * static_cast<double>(i) + metrics.ascent();
        // A static text is placed by the top of its line box.
        m_painter.drawStaticText(
            QPointF(std::round(left + shift), std::round(baseline) - metrics.ascent()), line.text);
    }
    m_painter.restore();
}

} // namespace vantor
