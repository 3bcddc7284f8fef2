// The chart engine: one drawing on one paint device at a time, with plot
// areas, numeric and time-of-day axes, texts, lines in data coordinates and
// data-array series. Each Chart is its own drawing state, so two pictures
// drawn through two Charts never share anything.
//
// A drawing runs from a Begin call to FinishPlot. A drawing routine that is
// handed a target (a widget in its paint event, or a QImage) and a size calls
// BeginPlotOnImage(target, width, height, ...) or BeginPlotOnControl(widget,
// ...), draws, and finishes; the target's pixels are complete after
// FinishPlot.
//
// Coordinates of texts and lines are pixels x scale from the canvas's top-left
// corner until the current plot area gets an axis; from then on they are data
// values on that area's x axis and its latest y axis.
#pragma once

#include "data_array.h"

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPolygonF>
#include <QRect>
#include <QString>
#include <array>
#include <optional>
#include <vector>

class QFontMetricsF;
class QPaintDevice;

namespace vantor {

class Chart
{
public:
    static constexpr int MaxPlotAreas = 8;
    static constexpr int MaxYAxes = 5;

    Chart();
    ~Chart();
    Chart(const Chart &) = delete;
    Chart &operator=(const Chart &) = delete;

    // Starts a drawing on the whole of control (a widget in its paint event,
    // or any paint device); the frame is always drawn. A scale of 0 means 1.
    // False when the device cannot be painted on; later calls then do nothing.
    bool BeginPlotOnControl(QPaintDevice *control, const QColor &background, const QColor &frame,
                            double scale);
    // Starts a drawing on the top-left width x height pixels of canvas.
    bool BeginPlotOnImage(QPaintDevice *canvas, int width, int height, bool drawFrame, double scale,
                          const QColor &frame, const QColor &background);

    // Adds a plot area spanning the given percentages of the canvas, shrunk
    // by the margins (pixels x scale). At most MaxPlotAreas; more are ignored.
    void AddPlotArea(double leftPercent, double rightPercent, double topPercent,
                     double bottomPercent, int leftMargin, int rightMargin, int topMargin,
                     int bottomMargin);
    // Grid line styles (below 0 none, 0 solid, n > 0 dotted by the AND rule)
    // of the current area, or of every area to come when there is none yet.
    void SetGridStyle(int xMajor, int xMinor, int yMajor, int yMinor);

    // Text flags: bits 0 and 1 keep a left- or right-aligned text at its
    // anchor instead of 3 pixels away; bit 2 keeps the current text colour.
    void PlotText(const QColor &color, const QString &text, int horizontalAlign, double x, double y,
                  int verticalAlign, int flags);
    // As PlotText, turned counter-clockwise by angle degrees about the anchor.
    void PlotTextRotated(const QColor &color, const QString &text, int horizontalAlign, double x,
                         double y, int verticalAlign, int flags, double angle);

    void XAxis(const QColor &color, const QString &title, bool grid, double min, double max,
               double majorHint, double minorHint, bool logarithmic, bool fixedLabels);
    // Time-of-day axis from start to end (days since 1899-12-30); timeLabels
    // tells whether the labels are times of day rather than dates (day steps).
    // dateStyle bit 0 puts the date line's text beside the time instead of
    // under it; monthFormat and yearFormat shape the labels of day steps.
    void XTimeAxis(const QColor &color, const QString &title, double start, double end,
                   bool dateLine, int dateStyle, int monthFormat, int yearFormat, bool grid,
                   bool &timeLabels);
    // position: 1, 5, 6 left edge, labels outside; 4, 7, 8 right edge, labels
    // outside; 2 left edge and 3 right edge with labels inside the plot.
    void YAxis(const QColor &color, const QString &title, int position, double min, double max,
               double majorHint, double minorHint, bool grid, bool logarithmic, bool fixedLabels);

    // Colour of the pen that LineToPoint and PlotDataArray draw with.
    void SetPenColor(const QColor &color);
    void MoveToPoint(double x, double y);
    // In data mode the segment is cut at the plot rectangle.
    void LineToPoint(double x, double y);

    // Styles: 0 line and markers, 1 line, 2 markers, 3/4/5 bars of 100/70/40 %
    // of the x distance of the first two rows.
    void PlotDataArray(const Tdatatype &data, int style);

    // Completes the drawing and releases the paint device.
    void FinishPlot();

    // The font every text of a chart at this scale is written in.
    static QFont TextFont(double scale);
    // How far below its plot an X axis reaches in that font (ticks, one line
    // of labels and the title), in pixels, as the axis lays them out.
    static double XAxisDepth(const QFontMetricsF &metrics);

private:
    struct Range {
        double min = 0;
        double max = 1;
        bool logarithmic = false;
    };
    struct GridStyles {
        int xMajor = 4;
        int xMinor = 7;
        int yMajor = 4;
        int yMinor = 7;
    };
    struct PlotArea {
        QRect plot; // axis lines run along its edges; right() and bottom() included
        bool usable = false;
        bool hasX = false;
        Range x;
        std::array<Range, MaxYAxes> y;
        int yCount = 0;
        GridStyles grid;
    };
    // Pixel position of data values in one area against one y range.
    struct Mapper {
        double left, xMin, xs, bottom, yMin, ys;
        bool xLog, yLog;
        QPointF map(double x, double y) const;
    };
    // Tick positions of one axis, in axis values.
    struct Ticks {
        std::vector<double> major;
        std::vector<double> minor;
        std::vector<QString> labels; // one per major tick
        int decimals = 0;
    };
    enum class Edge { Bottom, Left, Right };

    bool begin(QPaintDevice *device, int width, int height, bool drawFrame, double scale,
               const QColor &frame, const QColor &background);
    bool drawing() const { return m_painter.isActive(); }
    PlotArea *currentArea();
    Mapper mapper(const PlotArea &area, int yIndex) const;
    void setDataMode(bool on);
    QPointF toPixels(double x, double y);
    QRect canvasClip() const;
    void setClip(const QRect &rect);

    void drawText(const QColor &color, const QString &text, int horizontalAlign, QPointF anchor,
                  int verticalAlign, int flags, double angle, const QRect &clip);
    // Advance of one line of text in the chart's font, from the shaped-text cache.
    double textWidth(const QString &line, const QFontMetricsF &metrics) const;
    void addSegment(QPointF a, QPointF b);
    void flushRun();
    void drawAxis(const PlotArea &area, Edge edge, bool labelsInside, const QColor &color,
                  const QString &title, const Ticks &ticks, double majorTick, double minorTick,
                  int majorStyle, int minorStyle, bool grid, double labelAngle);
    double axisPixel(const PlotArea &area, Edge edge, double value) const;
    // The area a numeric axis goes to, with min <= max ensured; null when there
    // is nothing to draw on or the range is empty or not finite.
    PlotArea *numericAxisArea(double &min, double &max);
    // Sets the x range of area and draws its axis along the bottom.
    void drawXAxis(PlotArea &area, const Range &range, const QColor &color, const QString &title,
                   const Ticks &ticks, bool grid);
    Ticks numericTicks(double min, double max, double axisPixels, double labelSpacing,
                       double majorHint, double minorHint, bool logarithmic, bool fixedLabels);
    void ensureAxesFor(const Tdatatype &data);
    void plotSeries(const Tdatatype &data, std::size_t column, const Mapper &m, int style);
    void plotBars(const Tdatatype &data, std::size_t column, const Mapper &m, double fraction);

    QPainter m_painter;
    QSize m_canvas;
    double m_scale = 1;
    QColor m_frameColor;
    QColor m_textColor;
    QColor m_penColor;
    QFont m_font;
    QString m_fontKey; // the font's key, worked out once per drawing
    double m_charWidth = 0;
    double m_charHeight = 0;
    std::vector<PlotArea> m_areas;
    GridStyles m_defaultGrid;
    bool m_dataMode = false;
    // Scales of the current area's last y axis, worked out at the first point drawn.
    std::optional<Mapper> m_pointMapper;
    QPointF m_penPos;
    QRect m_clip;
    // Connected segments gathered into one polyline until something else is drawn.
    QPolygonF m_run;
};

} // namespace vantor
