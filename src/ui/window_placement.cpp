#include "window_placement.h"

#include <QWidget>

#include <algorithm>

namespace vantor {

namespace {
// Less than this much of a window on an area leaves nothing to take hold of.
constexpr int MinimumVisibleWidth = 50;
constexpr int MinimumVisibleHeight = 20;
} // namespace

QRect PlacementOnScreens(const QRect &wanted, const QList<QRect> &areas, const QRect &primary)
{
    for (const QRect &area : areas) {
        const QRect visible = area.intersected(wanted);
        if (visible.width() >= std::min(MinimumVisibleWidth, wanted.width()) &&
            visible.height() >= std::min(MinimumVisibleHeight, wanted.height()) &&
            !visible.isEmpty()) {
            if (wanted.width() <= area.width() && wanted.height() <= area.height())
                return wanted;
            // Larger than its area (a larger scale or a smaller screen than
            // when it was stored): shrunk to the area and kept inside it.
            QRect shown(wanted.topLeft(), wanted.size().boundedTo(area.size()));
            shown.moveLeft(std::clamp(shown.left(), area.left(), area.right() + 1 - shown.width()));
            shown.moveTop(std::clamp(shown.top(), area.top(), area.bottom() + 1 - shown.height()));
            return shown;
        }
    }
    return QRect(primary.topLeft(), wanted.size().boundedTo(primary.size()));
}

void ApplyPlacement(QWidget *window, const WindowPlacement &placement, const QList<QRect> &areas,
                    const QRect &primary)
{
    const QRect wanted(placement.left, placement.top, std::max(1, placement.width),
                       std::max(1, placement.height));
    const QRect shown = PlacementOnScreens(wanted, areas, primary);
    window->move(shown.topLeft());
    window->resize(shown.size());
    if (placement.state == WindowMaximised)
        window->setWindowState(Qt::WindowMaximized);
    else if (placement.state == WindowMinimised)
        window->setWindowState(Qt::WindowMinimized);
    else
        window->setWindowState(Qt::WindowNoState);
}

WindowPlacement CurrentPlacement(const QWidget *window, const WindowPlacement &previous)
{
    WindowPlacement placement = previous;
    if (window->isMinimized()) {
        placement.state = WindowMinimised;
    } else if (window->isMaximized()) {
        placement.state = WindowMaximised;
    } else {
        placement.state = WindowNormal;
        // pos() is where move() puts the window, size() what resize() sets.
        placement.left = window->pos().x();
        placement.top = window->pos().y();
        placement.width = window->width();
        placement.height = window->height();
    }
    return placement;
}

} // namespace vantor
