// CEcgPlot: the scrolling strip chart of the scenario monitor. The frame,
// dotted grid and labels are drawn once into an off-screen grid image; the
// curve lives in a second image on the background colour, which scrolls by
// shiftPixels for each appended value. Painting ORs the curve over the grid.
#pragma once

#include "config/core/ecg_chart.h"

#include <QColor>
#include <QFrame>
#include <QImage>
#include <QString>

class QPainter;

namespace crvl {

class CEcgPlot : public QFrame {
    Q_OBJECT

public:
    explicit CEcgPlot(QWidget* parent = nullptr);

    // Places the chart at rect (parent coordinates) under parent, names it
    // after id, lays it out and draws the grid.
    bool Create(const QRect& rect, QWidget* parent, int id);

    void SetRange(double lower, double upper, int decimals);
    void SetXUnits(const QString& units);
    void SetYUnits(const QString& units);
    void SetGridColor(const QColor& colour);
    void SetPlotColor(const QColor& colour);
    void SetBackgroundColor(const QColor& colour);

    // Scrolls the curve and draws the segment to value; returns the value
    // appended before it.
    double AppendPoint(double value);

    // The picture painting shows (grid OR curve), and its two layers.
    QImage ComposedImage() const;
    const QImage& GridImage() const { return grid_; }
    const QImage& CurveImage() const { return curve_; }
    const ChartLayout& Layout() const { return layout_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void LayOut();
    void RedrawGrid();
    void DrawLabels(QPainter& painter);
    void ScrollCurve();
    void FillCurve(const ChartRect& r);
    void DrawPoint();

    ChartScale scale_;
    QString xUnits_ = QStringLiteral("Samples");
    QString yUnits_ = QStringLiteral("Y units");
    QColor backgroundColour_ = QColor(0, 0, 0);
    QColor gridColour_ = QColor(0, 255, 255);
    QColor plotColour_ = QColor(255, 255, 255);
    double currentValue_ = 0.0;
    double previousValue_ = 0.0;
    ChartLayout layout_;
    QImage grid_;
    QImage curve_;
    // The picture painted last: grid and curve laid over each other, kept
    // so that a paint 40 times a second reuses its memory.
    mutable QImage composed_;
};

} // namespace crvl
