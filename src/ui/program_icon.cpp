#include "program_icon.h"

#include <QPainter>
#include <QPixmap>

namespace vantor {

QIcon ProgramIcon()
{
    QIcon icon;
    for (const int size : {16, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::black);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Qt::yellow, size / 8.0, Qt::SolidLine, Qt::RoundCap));
        // A "V" of two segments, and the analyzer's lime frame.
        painter.drawLine(QPointF(size * 0.25, size * 0.22), QPointF(size * 0.5, size * 0.78));
        painter.drawLine(QPointF(size * 0.5, size * 0.78), QPointF(size * 0.75, size * 0.22));
        painter.setPen(QPen(QColor(0, 255, 0), 1));
        painter.drawRect(QRectF(0.5, 0.5, size - 1, size - 1));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace vantor
