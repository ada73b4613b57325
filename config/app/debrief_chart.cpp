#include "config/app/debrief_chart.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <charconv>

namespace crvl {

namespace {

int FrameNumber(const std::string& text) {
    int number = 0;
    std::from_chars(text.data(), text.data() + text.size(), number);
    return number;
}

} // namespace

void PaintDebriefChart(QPainter& painter, const QRectF& area, const Debrief& debrief) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QFontMetricsF metrics(painter.font(), painter.device());
    const double line = metrics.height();
    const double unit = std::max(1.0, line / 12.0); // a pen width that prints as well

    int topFrame = 1;
    for (const DebriefFrame& frame : debrief.frames)
        topFrame = std::max(topFrame, FrameNumber(frame.frame));
    const double length = std::max(debrief.length, 1.0);

    const double labelWidth = metrics.horizontalAdvance(QStringLiteral("Frame ")) + 2 * unit;
    const QRectF plot(area.left() + labelWidth, area.top() + line * 0.6,
                      area.width() - labelWidth - line * 0.6, area.height() - line * 2.2);
    painter.fillRect(area, Qt::white);
    painter.setPen(QPen(QColor(120, 120, 120), unit));
    painter.drawRect(plot);

    auto yOf = [&](int frame) {
        return plot.bottom() - (frame + 0.5) / (topFrame + 1) * plot.height();
    };
    auto xOf = [&](double time) { return plot.left() + time / length * plot.width(); };

    // Frame numbers at the left, with a faint line each (every fifth when many).
    const int step = topFrame > 10 ? 5 : 1;
    for (int frame = 0; frame <= topFrame; frame += step) {
        const double y = yOf(frame);
        painter.setPen(QPen(QColor(220, 220, 220), unit, Qt::DotLine));
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(Qt::black);
        painter.drawText(QRectF(area.left(), y - line / 2, labelWidth - 2 * unit, line),
                         Qt::AlignRight | Qt::AlignVCenter,
                         QStringLiteral("%1").arg(frame, 2, 10, QLatin1Char('0')));
    }
    painter.save();
    painter.translate(area.left() + line * 0.5, plot.center().y());
    painter.rotate(-90);
    painter.drawText(QRectF(-plot.height() / 2, -line / 2, plot.height(), line), Qt::AlignCenter,
                     QStringLiteral("Frame"));
    painter.restore();

    // Time along the bottom.
    const QRectF timeRow(plot.left(), plot.bottom() + unit * 2, plot.width(), line);
    painter.drawText(timeRow, Qt::AlignLeft | Qt::AlignTop, QStringLiteral("0 s"));
    painter.drawText(timeRow, Qt::AlignRight | Qt::AlignTop,
                     QString::fromStdString(DebriefTime(debrief.length)));
    painter.drawText(timeRow, Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("Time"));

    // The frame as a step line.
    QPainterPath path;
    for (const DebriefFrame& frame : debrief.frames) {
        const QPointF from(xOf(frame.entered), yOf(FrameNumber(frame.frame)));
        const QPointF to(xOf(frame.entered + frame.duration), from.y());
        if (path.elementCount() == 0)
            path.moveTo(from);
        else
            path.lineTo(from);
        path.lineTo(to);
    }
    painter.setPen(QPen(QColor(31, 78, 156), 2 * unit));
    painter.drawPath(path);

    // Shocks: a red line through the plot with a triangle on top.
    const QColor red(200, 0, 0);
    for (const DebriefShock& shock : debrief.shocks) {
        const double x = xOf(shock.time);
        painter.setPen(QPen(red, unit, Qt::DashLine));
        painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        const double half = line * 0.35;
        const QPointF triangle[] = {
            {x - half, plot.top() - half}, {x + half, plot.top() - half}, {x, plot.top() + half}};
        painter.setPen(Qt::NoPen);
        painter.setBrush(red);
        painter.drawPolygon(triangle, 3);
        painter.setBrush(Qt::NoBrush);
    }
    painter.restore();
}

CDebriefChart::CDebriefChart(QWidget* parent) : QWidget(parent) {
    setMinimumSize(420, 180);
    setAccessibleName(QStringLiteral("Frame over time"));
}

void CDebriefChart::SetDebrief(const Debrief& debrief) {
    debrief_ = debrief;
    QString description = QStringLiteral("%1 frames, %2 shocks")
                              .arg(debrief.frames.size())
                              .arg(debrief.shocks.size());
    setAccessibleDescription(description);
    update();
}

void CDebriefChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintDebriefChart(painter, rect(), debrief_);
}

} // namespace crvl
