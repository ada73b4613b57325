// The debrief's chart: the frame over time as a step plot, each shock marked
// by a red line with a triangle at the top. The same painting serves the
// window and the printed page.
#pragma once

#include "config/session/session_read.h"

#include <QWidget>

class QPainter;

namespace crvl {

// Paints the chart into area with the painter's current font.
void PaintDebriefChart(QPainter& painter, const QRectF& area, const Debrief& debrief);

class CDebriefChart : public QWidget {
    Q_OBJECT
public:
    explicit CDebriefChart(QWidget* parent = nullptr);
    void SetDebrief(const Debrief& debrief);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Debrief debrief_;
};

} // namespace crvl
