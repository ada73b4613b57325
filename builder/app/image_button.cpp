#include "builder/app/image_button.h"

#include "builder/editor/palette.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace crvl {

namespace {

// A push button for assistive technology, checkable for the tools that stay
// chosen (the toolkit would call a checkable button a check box), pressed
// by its press action as by the mouse.
class ImageButtonAccessible : public QAccessibleWidget {
public:
    explicit ImageButtonAccessible(ImageButton* button)
        : QAccessibleWidget(button, QAccessible::Button) {}

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        const auto* button = static_cast<const ImageButton*>(widget());
        state.checkable = button->isCheckable();
        state.checked = button->isChecked();
        state.pressed = button->isDown();
        return state;
    }
    QStringList actionNames() const override {
        return QStringList(pressAction()) + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action == pressAction()) {
            static_cast<ImageButton*>(widget())->click();
            return;
        }
        QAccessibleWidget::doAction(action);
    }
};

QAccessibleInterface* imageButtonAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String(ImageButton::staticMetaObject.className()) &&
        object->isWidgetType()) {
        return new ImageButtonAccessible(static_cast<ImageButton*>(object));
    }
    return nullptr;
}

} // namespace

ImageButton::ImageButton(QWidget* parent, Fill fill) : QAbstractButton(parent), fill_(fill) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(imageButtonAccessible);
        return true;
    }();
    (void)factoryInstalled;
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

void ImageButton::setToolText(const QString& text) {
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

void ImageButton::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
}

void ImageButton::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return ||
        event->key() == Qt::Key_Enter) {
        if (!event->isAutoRepeat()) {
            emit pressed();
        }
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void ImageButton::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space) {
        return; // pressed on the key's press already
    }
    QAbstractButton::keyReleaseEvent(event);
}

} // namespace crvl
