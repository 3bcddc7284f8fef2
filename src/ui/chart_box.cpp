#include "chart_box.h"

namespace vantor {

ChartBox::ChartBox(Draw draw, QWidget *parent) : QWidget(parent), m_draw(std::move(draw))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ChartBox::paintEvent(QPaintEvent *)
{
    ++m_paints;
    m_draw(ChartTarget{this, DrawMode::Control, 0, 0});
}

} // namespace vantor
