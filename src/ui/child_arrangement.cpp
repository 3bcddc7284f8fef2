#include "child_arrangement.h"

#include <algorithm>

namespace vantor {

namespace {
// Splits length between two neighbours: the first gets what it wants when the
// second keeps what it wants; otherwise the second, whose contents are the
// denser, gets what it wants while the first keeps its minimum, else each gets
// at least its minimum while the length holds both; short of even that, the
// first gets its minimum (and the second, at its own minimum, runs past the
// length).
int FirstShare(int length, int firstWanted, int firstMinimum, int secondWanted, int secondMinimum)
{
    if (firstWanted + secondWanted <= length)
        return std::max(firstWanted, length - secondWanted);
    if (length - secondWanted >= firstMinimum)
        return length - secondWanted;
    if (firstMinimum + secondMinimum > length)
        return firstMinimum;
    const int share = int(qint64(length) * firstWanted / std::max(1, firstWanted + secondWanted));
    return std::clamp(share, firstMinimum, length - secondMinimum);
}
} // namespace

QList<QRect> FirstStartLayout(const QRect &area, const QList<ChildSizes> &children)
{
    QList<ChildSizes> four = children;
    four.resize(4);
    const auto rowWanted = [&](int a, int b) {
        return std::max(four[a].wanted.height(), four[b].wanted.height());
    };
    const auto rowMinimum = [&](int a, int b) {
        return std::max(four[a].minimum.height(), four[b].minimum.height());
    };
    const int top = FirstShare(area.height(), rowWanted(0, 1), rowMinimum(0, 1), rowWanted(2, 3),
                               rowMinimum(2, 3));
    const int bottom = std::max(area.height() - top, rowMinimum(2, 3));
    const auto row = [&](int a, int b, int y, int height) {
        const int left = FirstShare(area.width(), four[a].wanted.width(), four[a].minimum.width(),
                                    four[b].wanted.width(), four[b].minimum.width());
        const int right = std::max(area.width() - left, four[b].minimum.width());
        return QList<QRect>{QRect(area.x(), y, left, height),
                            QRect(area.x() + left, y, right, height)};
    };
    return row(0, 1, area.y(), top) + row(2, 3, area.y() + top, bottom);
}

QList<QRect> TileLayout(const QRect &area, const QList<QSize> &minimums, Qt::Orientation direction)
{
    QList<QRect> placed;
    if (minimums.isEmpty())
        return placed;
    const bool across = direction == Qt::Horizontal;
    const int length = across ? area.width() : area.height();
    const int count = int(minimums.size());
    int at = across ? area.x() : area.y();
    for (int k = 0; k < count; ++k) {
        // The last window takes what the division leaves over.
        const int share = k + 1 == count ? std::max(0, (across ? area.x() : area.y()) + length - at)
                                         : length / count;
        const QSize &minimum = minimums[k];
        if (across) {
            const int width = std::max(share, minimum.width());
            placed << QRect(at, area.y(), width, std::max(area.height(), minimum.height()));
            at += width;
        } else {
            const int height = std::max(share, minimum.height());
            placed << QRect(area.x(), at, std::max(area.width(), minimum.width()), height);
            at += height;
        }
    }
    return placed;
}

QList<QRect> CascadeLayout(const QRect &area, const QList<QSize> &minimums, int step)
{
    QList<QRect> placed;
    const int count = int(minimums.size());
    const QSize common(std::max(1, area.width() - step * (count - 1)),
                       std::max(1, area.height() - step * (count - 1)));
    for (int k = 0; k < count; ++k)
        placed << QRect(area.topLeft() + QPoint(k * step, k * step),
                        common.expandedTo(minimums[k]));
    return placed;
}

QRect ClearOfIconRow(const QRect &place, const QSize &minimum, int rowTop, int areaTop)
{
    if (place.bottom() < rowTop)
        return place;
    // One that lies wholly below the row keeps its height as far as there is
    // room for it.
    const int room = rowTop - (place.top() < rowTop ? place.top() : areaTop);
    const int height = std::max(minimum.height(), std::min(place.height(), room));
    const int top = std::max(areaTop, std::min(place.top(), rowTop - height));
    return QRect(place.left(), top, place.width(), height);
}

} // namespace vantor
