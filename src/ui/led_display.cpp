#include "led_display.h"

#include <QPainter>

namespace vantor {

quint8 LedSegmentCode(QChar c)
{
    switch (c.unicode()) {
    case '-':
        return 2;
    case '.':
        return 1;
    case '0':
        return 252;
    case '1':
        return 132;
    case '2':
        return 110;
    case '3':
        return 206;
    case '4':
        return 150;
    case '5':
        return 218;
    case '6':
        return 250;
    case '7':
        return 140;
    case '8':
        return 254;
    case '9':
        return 158;
    default:
        return 0;
    }
}

std::vector<quint8> LedCellCodes(const QString &text, int cells, bool rightAligned, bool decimals)
{
    const qsizetype points = decimals ? text.count(QLatin1Char('.')) : 0;
    const qsizetype width = cells + points;
    const QString padded =
        rightAligned ? text.rightJustified(width, QLatin1Char(' ')) : text.leftJustified(width);
    std::vector<quint8> codes;
    for (const QChar c : padded) {
        if (decimals && c == QLatin1Char('.')) {
            if (codes.empty())
                codes.push_back(0);
            codes.back() |= 1;
        } else {
            codes.push_back(LedSegmentCode(c));
        }
    }
    // A text longer than the display keeps the end it is aligned to.
    if (static_cast<int>(codes.size()) > cells) {
        if (rightAligned)
            codes.erase(codes.begin(), codes.end() - cells);
        else
            codes.resize(static_cast<std::size_t>(cells));
    }
    return codes;
}

LedDisplay::LedDisplay(QWidget *parent) : QWidget(parent)
{
    setFixedSize(sizeHint());
    setAccessibleName(QStringLiteral("LL"));
    setAccessibleDescription(m_text);
}

void LedDisplay::setText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    setAccessibleDescription(text);
    update();
}

std::vector<quint8> LedDisplay::cellCodes() const
{
    return LedCellCodes(m_text, m_cells, m_rightAligned, m_decimals);
}

void LedDisplay::setCellCount(int cells)
{
    m_cells = std::max(1, cells);
    update();
}

void LedDisplay::setRightAligned(bool right)
{
    m_rightAligned = right;
    update();
}

void LedDisplay::setDecimalsAllowed(bool allowed)
{
    m_decimals = allowed;
    update();
}

void LedDisplay::setSegmentThickness(int pixels)
{
    m_thickness = std::max(1, pixels);
    update();
}

void LedDisplay::setBorderGap(int pixels)
{
    m_gap = std::max(0, pixels);
    update();
}

void LedDisplay::setMargins(int horizontal, int vertical)
{
    m_marginX = std::max(0, horizontal);
    m_marginY = std::max(0, vertical);
    update();
}

void LedDisplay::setColors(const QColor &lit, const QColor &unlit, const QColor &border,
                           const QColor &background)
{
    m_lit = lit;
    m_unlit = unlit;
    m_border = border;
    m_background = background;
    update();
}

void LedDisplay::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_background);
    painter.setPen(m_border);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    const std::vector<quint8> codes = cellCodes();
    const QRectF area =
        QRectF(rect()).adjusted(m_marginX + 1, m_marginY + 1, -m_marginX - 1, -m_marginY - 1);
    const double cellWidth = area.width() / m_cells;
    // Cells are laid out from the aligned side, so a short code list leaves
    // the other side blank.
    const int first = m_rightAligned ? m_cells - static_cast<int>(codes.size()) : 0;
    for (int k = 0; k < m_cells; ++k) {
        const QRectF cell(area.left() + k * cellWidth, area.top(), cellWidth, area.height());
        const int index = k - first;
        const quint8 code = index >= 0 && index < static_cast<int>(codes.size()) ? codes[index] : 0;
        drawCell(painter, cell, code);
    }
}

void LedDisplay::drawCell(QPainter &painter, const QRectF &cell, quint8 code) const
{
    const double t = m_thickness;
    const double g = m_gap;
    // The digit leaves room on the right for its decimal point.
    const double left = cell.left() + g;
    const double right = cell.right() - g - t - 1;
    const double top = cell.top() + g;
    const double bottom = cell.bottom() - g;
    const double middle = (top + bottom) / 2;
    const double w = right - left;
    const auto horizontal = [&](double y) { return QRectF(left + t, y - t / 2, w - 2 * t, t); };
    const auto vertical = [&](double x, double y0, double y1) {
        return QRectF(x, y0 + t / 2, t, y1 - y0 - t);
    };
    const QRectF segments[8] = {
        QRectF(cell.right() - g - t, bottom - t, t, t), // decimal point
        horizontal(middle),                             // middle
        vertical(right - t, top, middle),               // upper right
        horizontal(top + t / 2),                        // top
        vertical(left, top, middle),                    // upper left
        vertical(left, middle, bottom),                 // lower left
        horizontal(bottom - t / 2),                     // bottom
        vertical(right - t, middle, bottom),            // lower right
    };
    for (int bit = 0; bit < 8; ++bit)
        painter.fillRect(segments[bit], (code >> bit) & 1 ? m_lit : m_unlit);
}

} // namespace vantor
