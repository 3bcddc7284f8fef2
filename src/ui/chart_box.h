// A drawing area whose picture comes from a chart routine: it paints by
// handing itself to the routine as the control to draw on.
#pragma once

#include "chart_target.h"

#include <QWidget>

#include <functional>

namespace vantor {

class ChartBox : public QWidget
{
    Q_OBJECT

public:
    using Draw = std::function<void(const ChartTarget &)>;

    explicit ChartBox(Draw draw, QWidget *parent = nullptr);

    // How often it has painted (for checks that nothing redraws needlessly).
    int paintCount() const { return m_paints; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Draw m_draw;
    int m_paints = 0;
};

} // namespace vantor
