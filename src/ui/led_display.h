// The seven-segment LED display of the main toolbar (LL): a number of equal
// digit cells, each decimal point drawn in the cell before it.
#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

#include <vector>

namespace vantor {

// The segment code of a character: bit 0 decimal point, 1 middle, 2 upper
// right, 3 top, 4 upper left, 5 lower left, 6 bottom, 7 lower right; 0 for a
// character the display cannot show.
quint8 LedSegmentCode(QChar c);

// The codes of the cells that show text: padded with blanks to cells + the
// number of points (on the left when right aligned), each "." folded into the
// cell before it when decimals are allowed.
std::vector<quint8> LedCellCodes(const QString &text, int cells, bool rightAligned, bool decimals);

class LedDisplay : public QWidget
{
    Q_OBJECT

public:
    explicit LedDisplay(QWidget *parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString &text);
    // The codes the display draws now.
    std::vector<quint8> cellCodes() const;

    void setCellCount(int cells);
    void setRightAligned(bool right);
    void setDecimalsAllowed(bool allowed);
    void setSegmentThickness(int pixels);
    void setBorderGap(int pixels);
    void setMargins(int horizontal, int vertical);
    void setColors(const QColor &lit, const QColor &unlit, const QColor &border,
                   const QColor &background);

    QSize sizeHint() const override { return {83, 22}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void drawCell(class QPainter &painter, const QRectF &cell, quint8 code) const;

    QString m_text = QStringLiteral("0.00");
    int m_cells = 5;
    bool m_rightAligned = true;
    bool m_decimals = true;
    int m_thickness = 2;
    int m_gap = 1;
    int m_marginX = 1;
    int m_marginY = 1;
    QColor m_lit = Qt::yellow;
    QColor m_unlit = QColor(128, 0, 0);
    QColor m_border = QColor(0, 255, 0);
    QColor m_background = Qt::black;
};

} // namespace vantor
