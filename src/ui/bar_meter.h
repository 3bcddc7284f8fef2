// A horizontal bar meter of the Recent Data window: black, the filled part
// shading from yellow to lime, a value marker, tick marks along the top edge
// and, for some meters, tick texts. It only displays; there is no input.
#pragma once

#include <QList>
#include <QWidget>

namespace vantor {

class BarMeter : public QWidget
{
    Q_OBJECT

public:
    BarMeter(int minimum, int maximum, QWidget *parent = nullptr);

    int minimum() const { return m_min; }
    int maximum() const { return m_max; }
    int position() const { return m_position; }
    // Moved into the range.
    void setPosition(int position);
    // Shows a scaled value: rounded to the nearest integer, halves to even.
    void setValue(double scaledValue);

    // Tick texts, each the tick value divided by divisor and rounded; none
    // when not shown.
    void setTickTexts(bool shown, int divisor = 1);
    QString tickText(int tickValue) const;
    // The ticks that carry a text: every second one from the first, and the
    // last (the end of the scale), never two neighbours.
    QList<int> labelledTicks() const;

    QSize sizeHint() const override { return {400, 30}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int tickStep() const;

    int m_min;
    int m_max;
    int m_position;
    bool m_tickTexts = false;
    int m_divisor = 1;
};

} // namespace vantor
