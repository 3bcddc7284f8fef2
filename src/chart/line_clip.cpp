#include "line_clip.h"

#include <cmath>

namespace vantor {

bool ClipSegment(QPointF &a, QPointF &b, const QRectF &rect)
{
    if (!std::isfinite(a.x()) || !std::isfinite(a.y()) || !std::isfinite(b.x()) ||
        !std::isfinite(b.y()))
        return false;
    // Liang-Barsky: the parameter range [t0, t1] of a + t (b - a) inside each edge.
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() - rect.left(), rect.right() - a.x(), a.y() - rect.top(),
                         rect.bottom() - a.y()};
    double t0 = 0;
    double t1 = 1;
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0) {
            if (t > t1)
                return false;
            if (t > t0)
                t0 = t;
        } else {
            if (t < t0)
                return false;
            if (t < t1)
                t1 = t;
        }
    }
    const QPointF start = a;
    if (t1 < 1)
        b = QPointF(start.x() + t1 * dx, start.y() + t1 * dy);
    if (t0 > 0)
        a = QPointF(start.x() + t0 * dx, start.y() + t0 * dy);
    return true;
}

} // namespace vantor
