#include "bar_meter.h"

#include <QLinearGradient>
#include <QPainter>

#include <cmath>

namespace vantor {

namespace {
constexpr int MarkerWidth = 15;
constexpr int TickSpace = 12; // above the bar, for marks and texts
} // namespace

BarMeter::BarMeter(int minimum, int maximum, QWidget *parent)
    : QWidget(parent), m_min(minimum), m_max(maximum), m_position(minimum)
{
    setMinimumHeight(26);
}

void BarMeter::setPosition(int position)
{
    position = std::clamp(position, m_min, m_max);
    if (position == m_position)
        return;
    m_position = position;
    update();
}

void BarMeter::setValue(double scaledValue)
{
    const double rounded = std::nearbyint(scaledValue); // the default mode rounds halves to even
    if (rounded < m_min)
        setPosition(m_min);
    else if (rounded > m_max)
        setPosition(m_max);
    else
        setPosition(static_cast<int>(rounded));
}

void BarMeter::setTickTexts(bool shown, int divisor)
{
    m_tickTexts = shown;
    m_divisor = divisor == 0 ? 1 : divisor;
    update();
}

QString BarMeter::tickText(int tickValue) const
{
    return QString::number(static_cast<int>(std::nearbyint(double(tickValue) / m_divisor)));
}

int BarMeter::tickStep() const
{
    const int span = m_max - m_min;
    for (const int step : {1, 2, 5, 10, 20, 30, 50, 100})
        if (span / step <= 15)
            return step;
    return span / 10;
}

QList<int> BarMeter::labelledTicks() const
{
    QList<int> ticks;
    if (!m_tickTexts || m_max <= m_min)
        return ticks;
    const int step = tickStep();
    const int firstTick = int(std::ceil(double(m_min) / step)) * step;
    const int lastTick = firstTick + (m_max - firstTick) / step * step;
    for (int v = firstTick; v < lastTick - step; v += 2 * step)
        ticks << v;
    ticks << lastTick;
    return ticks;
}

void BarMeter::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    const QRect bar(MarkerWidth / 2, TickSpace, width() - MarkerWidth, height() - TickSpace - 2);
    if (bar.width() < 2 || m_max <= m_min)
        return;
    const auto x = [&](int value) {
        return bar.left() + int(std::lround(double(value - m_min) * bar.width() / (m_max - m_min)));
    };
    painter.setPen(QColor(0, 90, 0));
    painter.drawRect(bar.adjusted(0, 0, -1, -1));
    // A meter whose value is not measured is drawn in greys.
    const bool lit = isEnabled();
    const QColor low = lit ? QColor(Qt::yellow) : QColor(110, 110, 110);
    const QColor high = lit ? QColor(0, 255, 0) : QColor(150, 150, 150);
    QLinearGradient shade(bar.topLeft(), bar.topRight());
    shade.setColorAt(0, low);
    shade.setColorAt(1, high);
    const int at = x(m_position);
    painter.fillRect(QRect(bar.left(), bar.top() + 3, at - bar.left(), bar.height() - 6), shade);
    painter.fillRect(QRect(at - MarkerWidth / 2, bar.top(), MarkerWidth, bar.height()), low);
    painter.fillRect(
        QRect(at - MarkerWidth / 2 + 2, bar.top() + 2, MarkerWidth - 4, bar.height() - 4), high);

    painter.setPen(lit ? QColor(Qt::white) : QColor(120, 120, 120));
    QFont small = font();
    small.setPointSize(6);
    painter.setFont(small);
    const int step = tickStep();
    const int firstTick = int(std::ceil(double(m_min) / step)) * step;
    for (int v = firstTick; v <= m_max; v += step)
        painter.drawLine(x(v), bar.top() - 3, x(v), bar.top() - 1);
    // The end of the scale is drawn inside the meter rather than cut at its edge.
    for (const int v : labelledTicks())
        painter.drawText(QRect(std::min(x(v) - 20, width() - 40), 0, 40, TickSpace - 3),
                         Qt::AlignCenter, tickText(v));
}

} // namespace vantor
