#include "chart_target.h"

#include "chart.h"

#include <QPaintDevice>

namespace vantor {

int ChartTarget::canvasWidth() const
{
    if (mode == DrawMode::Control)
        return device != nullptr ? device->width() : 0;
    return width;
}

int ChartTarget::canvasHeight() const
{
    if (mode == DrawMode::Control)
        return device != nullptr ? device->height() : 0;
    return height;
}

bool BeginChart(Chart &chart, const ChartTarget &target, const QColor &controlBackground)
{
    if (target.mode == DrawMode::Control)
        return chart.BeginPlotOnControl(target.device, controlBackground, ChartFrameColor, 1);
    return chart.BeginPlotOnImage(target.device, target.width, target.height, true, 1,
                                  ChartFrameColor, Qt::white);
}

} // namespace vantor
