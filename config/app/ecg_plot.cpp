#include "config/app/ecg_plot.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cstring>

namespace crvl {

namespace {

constexpr int kLabelCellHeight = 14;

QFont LabelFont() {
    // Arial where it exists, otherwise the nearest sans font. The label
    // height is a cell height (ascent plus descent), so the widest label of
    // the monitor, "-20.0", fits left of the plot.
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(QFont::Light);
    for (int size = kLabelCellHeight; size > 6; --size) {
        font.setPixelSize(size);
        if (QFontMetrics(font).height() <= kLabelCellHeight)
            break;
    }
    return font;
}

} // namespace

CEcgPlot::CEcgPlot(QWidget* parent) : QFrame(parent) {
    // A sunken edge around the client area, as the chart's window style asks.
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAccessibleName(QStringLiteral("ECG chart"));
    LayOut();
}

bool CEcgPlot::Create(const QRect& rect, QWidget* parent, int id) {
    setParent(parent);
    setObjectName(QString::number(id));
    setGeometry(rect);
    LayOut();
    RedrawGrid();
    show();
    return true;
}

void CEcgPlot::LayOut() {
    const QRect client = contentsRect();
    layout_ = MakeChartLayout(std::max(client.width(), 0), std::max(client.height(), 0), scale_);
}

void CEcgPlot::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    LayOut();
    // Unlike a fixed-size original, the images follow the client size, so a
    // resized chart never draws outside them.
    if (!grid_.isNull() && grid_.size() != contentsRect().size())
        RedrawGrid();
}

void CEcgPlot::SetRange(double lower, double upper, int decimals) {
    scale_.lower = lower;
    scale_.upper = upper;
    scale_.decimals = decimals;
    LayOut();
    RedrawGrid();
}

void CEcgPlot::SetXUnits(const QString& units) {
    xUnits_ = units;
    RedrawGrid();
}

void CEcgPlot::SetYUnits(const QString& units) {
    yUnits_ = units;
    RedrawGrid();
}

void CEcgPlot::SetGridColor(const QColor& colour) {
    gridColour_ = colour;
    RedrawGrid();
}

void CEcgPlot::SetPlotColor(const QColor& colour) {
    plotColour_ = colour;
    RedrawGrid();
}

void CEcgPlot::SetBackgroundColor(const QColor& colour) {
    backgroundColour_ = colour;
    RedrawGrid();
}

void CEcgPlot::RedrawGrid() {
    const QSize size = contentsRect().size();
    if (size.isEmpty())
        return;
    LayOut();
    if (grid_.size() != size)
        grid_ = QImage(size, QImage::Format_RGB32);
    grid_.fill(backgroundColour_);

    const ChartRect& p = layout_.plot;
    {
        QPainter painter(&grid_);
        painter.setPen(QPen(gridColour_, 0));
        const QPoint frame[] = {{p.left, p.top},
                                {p.right + 1, p.top},
                                {p.right + 1, p.bottom + 1},
                                {p.left, p.bottom + 1},
                                {p.left, p.top}};
        painter.drawPolyline(frame, 5);
        DrawLabels(painter);
    }
    const QRgb dot = gridColour_.rgb();
    for (const int y : ChartDottedRows(layout_)) {
        if (y < 0 || y >= grid_.height())
            continue;
        for (int x = std::max(p.left, 0); x < p.right && x < grid_.width(); x += kChartDotStep)
            grid_.setPixel(x, y, dot);
    }

    // Every grid change starts a clean curve.
    if (curve_.size() != size)
        curve_ = QImage(size, QImage::Format_RGB32);
    curve_.fill(backgroundColour_);
    update();
}

void CEcgPlot::DrawLabels(QPainter& painter) {
    painter.setFont(LabelFont());
    painter.setPen(gridColour_);
    const QFontMetrics metrics(painter.font());
    const auto labels = ChartLabels(layout_, scale_, xUnits_.toStdString(), yUnits_.toStdString());
    for (const ChartLabel& label : labels) {
        const QString text = QString::fromStdString(label.text);
        const int width = metrics.horizontalAdvance(text);
        int x = 0;
        if (label.align == LabelAlign::Centre)
            x = -width / 2;
        else if (label.align == LabelAlign::Right)
            x = -width;
        const int y = label.anchor == LabelAnchor::Top ? metrics.ascent() : 0;
        painter.save();
        painter.translate(label.x, label.y);
        if (label.upward)
            painter.rotate(-90.0);
        painter.drawText(x, y, text);
        painter.restore();
    }
}

void CEcgPlot::FillCurve(const ChartRect& r) {
    const QRect area =
        QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1)) & curve_.rect();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(curve_.scanLine(y));
        std::fill(line + area.left(), line + area.right() + 1, backgroundColour_.rgb());
    }
}

void CEcgPlot::ScrollCurve() {
    // Moves the block plotWidth x plotHeight that starts shiftPixels to the
    // right of the plot's left edge, one row below its top, left by
    // shiftPixels.
    const ChartRect& p = layout_.plot;
    const int shift = scale_.shiftPixels;
    const int srcLeft = std::clamp(p.left + shift, 0, curve_.width());
    const int srcRight = std::clamp(p.left + shift + layout_.plotWidth, 0, curve_.width());
    const int dstLeft = srcLeft - shift;
    if (srcRight <= srcLeft || dstLeft < 0)
        return;
    const int top = std::max(p.top + 1, 0);
    const int bottom = std::min(p.top + 1 + layout_.plotHeight, curve_.height());
    for (int y = top; y < bottom; ++y) {
        auto* line = reinterpret_cast<QRgb*>(curve_.scanLine(y));
        std::memmove(line + dstLeft, line + srcLeft,
                     static_cast<std::size_t>(srcRight - srcLeft) * sizeof(QRgb));
    }
}

void CEcgPlot::DrawPoint() {
    if (curve_.isNull())
        return;
    const ChartRect& p = layout_.plot;
    ScrollCurve();
    FillCurve({p.right - scale_.shiftPixels, p.top, p.right, p.bottom});
    const ChartSegment s = MakeChartSegment(layout_, scale_, previousValue_, currentValue_);
    {
        QPainter painter(&curve_);
        painter.setPen(QPen(plotColour_, 0));
        painter.drawLine(s.x0, s.y0, s.x1, s.y1);
    }
    if (s.clipTop)
        FillCurve(s.topStrip);
    if (s.clipBottom)
        FillCurve(s.bottomStrip);
    previousValue_ = currentValue_;
}

double CEcgPlot::AppendPoint(double value) {
    const double before = currentValue_;
    currentValue_ = value;
    DrawPoint();
    update();
    return before;
}

QImage CEcgPlot::ComposedImage() const {
    if (grid_.isNull() || curve_.size() != grid_.size())
        return grid_.copy();
    if (composed_.size() != grid_.size() || composed_.format() != grid_.format())
        composed_ = QImage(grid_.size(), grid_.format());
    // The sizes are read once: QImage's accessors are calls the compiler
    // cannot lift out of the loops, and they cost more than the pixels.
    const int width = grid_.width();
    const int height = grid_.height();
    const std::size_t rowBytes = static_cast<std::size_t>(width) * sizeof(QRgb);
    for (int y = 0; y < height; ++y) {
        auto* dst = reinterpret_cast<QRgb*>(composed_.scanLine(y));
        std::memcpy(dst, grid_.constScanLine(y), rowBytes);
        // The curve is drawn on black, so OR lays it over the grid unchanged.
        const auto* src = reinterpret_cast<const QRgb*>(curve_.constScanLine(y));
        for (int x = 0; x < width; ++x)
            dst[x] |= src[x];
    }
    return composed_;
}

void CEcgPlot::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QRect client = contentsRect();
    if (grid_.isNull())
        painter.fillRect(client, backgroundColour_);
    else
        painter.drawImage(client.topLeft(), ComposedImage());
}

} // namespace crvl
