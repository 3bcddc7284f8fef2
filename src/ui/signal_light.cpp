#include "signal_light.h"

#include <QFontMetrics>
#include <QPainter>

namespace vantor {

SignalLight::SignalLight(const QString &caption, QWidget *parent)
    : QWidget(parent), m_caption(caption)
{
    setAccessibleName(caption);
    setAccessibleDescription(QStringLiteral("not received"));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void SignalLight::setFlag(int flag)
{
    const State state = flag < 0 ? State::Unknown : flag == 0 ? State::Off : State::On;
    if (state == m_state)
        return;
    m_state = state;
    setAccessibleDescription(state == State::Unknown ? QStringLiteral("not received")
                             : state == State::On    ? QStringLiteral("on")
                                                     : QStringLiteral("off"));
    update();
}

QSize SignalLight::sizeHint() const
{
    // The lamp as tall as a line of text, its caption beside it.
    const QFontMetrics metrics(font());
    return {metrics.height() + metrics.horizontalAdvance(m_caption) +
                metrics.averageCharWidth() * 2,
            metrics.height() + 4};
}

void SignalLight::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const int diameter = fontMetrics().height();
    const QRectF lamp(1.5, (height() - diameter) / 2.0 + 0.5, diameter - 2, diameter - 2);
    const QPalette &colours = palette();
    const bool enabled = isEnabled();
    switch (m_state) {
    case State::On:
        painter.setBrush(enabled ? QColor(60, 200, 60)
                                 : colours.color(QPalette::Disabled, QPalette::WindowText));
        break;
    case State::Off:
        painter.setBrush(QColor(70, 70, 70));
        break;
    case State::Unknown:
        painter.setBrush(Qt::NoBrush);
        break;
    }
    painter.setPen(
        colours.color(enabled ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.drawEllipse(lamp);
    painter.drawText(QRect(diameter + fontMetrics().averageCharWidth(), 0, width(), height()),
                     Qt::AlignLeft | Qt::AlignVCenter, m_caption);
}

} // namespace vantor
