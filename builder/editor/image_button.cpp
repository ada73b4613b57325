#include "image_button.h"

#include "palette.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace crvl {

ImageButton::ImageButton(QWidget* parent, Fill fill) : QWidget(parent), fill_(fill) {
    setFixedSize(PALETTE_BUTTON_SIZE, PALETTE_BUTTON_SIZE);
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
}

void ImageButton::setPicture(const QPixmap& picture) {
    if (picture.cacheKey() != picture_.cacheKey()) {
        picture_ = picture;
        update();
    }
}

void ImageButton::setText(const QString& text) {
    setToolTip(text);
    setAccessibleName(text);
}

QSize ImageButton::sizeHint() const {
    return {PALETTE_BUTTON_SIZE, PALETTE_BUTTON_SIZE};
}

void ImageButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!picture_.isNull()) {
        if (fill_ == Fill::Tiled) {
            painter.drawTiledPixmap(rect(), picture_);
        } else {
            painter.drawPixmap((width() - picture_.width()) / 2, (height() - picture_.height()) / 2,
                               picture_);
        }
    }
    if (hasFocus()) {
        painter.setPen(QPen(palette().highlight().color(), 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void ImageButton::mousePressEvent(QMouseEvent* event) {
    event->accept();
    emit pressed();
}

void ImageButton::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return ||
        event->key() == Qt::Key_Enter) {
        emit pressed();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace crvl
