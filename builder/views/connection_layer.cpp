#include "builder/views/connection_layer.h"

#include "builder/core/builder_services.h"
#include "builder/model/scenario_frame.h"
#include "builder/views/view_style.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

namespace crvl {

namespace {

QPoint toQPoint(Point p) {
    return {p.x, p.y};
}

QPixmap drawnLoopPicture() {
    QPixmap picture(28, 22);
    picture.fill(Qt::white);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 2));
    QPainterPath path(QPointF(8, 2));
    path.lineTo(8, 12);
    path.arcTo(QRectF(8, 6, 12, 12), 180, 180);
    path.lineTo(20, 4);
    p.drawPath(path);
    p.drawLine(QPointF(20, 3), QPointF(16, 8));
    p.drawLine(QPointF(20, 3), QPointF(24, 8));
    return picture;
}

} // namespace

QPixmap loadLoopPicture() {
    QPixmap picture(qs(BuilderState::getBaseDirectory() + Connection::LOOP_IMAGE));
    return picture.isNull() ? drawnLoopPicture() : picture;
}

void paintArrow(QPainter& painter, Point from, Point to) {
    for (const Segment& s : arrowFigure(from, to)) {
        painter.drawLine(toQPoint(s.first), toQPoint(s.second));
    }
}

void paintConnection(QPainter& painter, Connection& connection, const FrameEditor& editor,
                     const QPixmap& loopPicture) {
    connection.noteDrawn();
    const Point s = *connection.savedStartPt();
    painter.setPen(connection.isSelected() ? kSelectedBlue : QColor(Qt::black));
    switch (connection.form()) {
    case ConnectionForm::Jump: {
        const bool printing = editor.getPrinting();
        const QFont font = printing ? fontFor(editor.getPrintingFont()) : painter.font();
        const QFontMetrics metrics(font);
        const QString label = qs(connection.labelText());
        const int w = metrics.horizontalAdvance(label) + (printing ? 10 : 0);
        const int h = metrics.height() + 5;
        connection.setLabelSize(w, h);
        painter.save();
        painter.setFont(font);
        painter.drawText(s.x - w / 2, s.y + h, label);
        painter.drawRect(s.x - w / 2 - 1, s.y + 1, w + 2, h + 2);
        painter.restore();
        break;
    }
    case ConnectionForm::Loop:
        if (loopPicture.isNull()) {
            break;
        }
        connection.setLoopImageSize(loopPicture.width(), loopPicture.height());
        painter.drawPixmap(s.x - loopPicture.width() / 2, s.y, loopPicture);
        painter.drawRect(s.x - loopPicture.width() / 2 + 1, s.y + 1, loopPicture.width() - 2,
                         loopPicture.height() - 2);
        break;
    case ConnectionForm::Line:
        paintArrow(painter, s, *connection.savedEndPt());
        break;
    }
}

ConnectionLayer::ConnectionLayer(const FrameEditor& editor, QWidget* canvas)
    : QWidget(canvas), editor_(editor), loopPicture_(loadLoopPicture()) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(canvas->rect());
    canvas->installEventFilter(this);
    raise();
}

bool ConnectionLayer::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent()) {
        if (event->type() == QEvent::Resize) {
            setGeometry(parentWidget()->rect());
        } else if (event->type() == QEvent::ChildAdded) {
            raise(); // frames added later must stay below the connections
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ConnectionLayer::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(fontFor(editor_.getPrintingFont()));
    for (Connection* connection : editor_.connections()) {
        paintConnection(painter, *connection, editor_, loopPicture_);
    }
    painter.setPen(Qt::black);
    for (ScenarioFrame* frame : editor_.frames()) {
        if (const auto band = frame->rubberBand()) {
            paintArrow(painter, band->first, band->second);
        }
    }
}

} // namespace crvl
