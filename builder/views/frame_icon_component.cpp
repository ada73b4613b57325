#include "builder/views/frame_icon_component.h"

#include "builder/views/view_style.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace crvl {

namespace {

QRect toQRect(Rect r) {
    return {r.x, r.y, r.width, r.height};
}

MouseButton buttonOf(const QMouseEvent* event) {
    switch (event->button()) {
    case Qt::RightButton:
        return MouseButton::Right;
    case Qt::MiddleButton:
        return MouseButton::Middle;
    default:
        return MouseButton::Left;
    }
}

// What assistive technology hears of a frame: a group named by its title,
// whose description and value are its action lines and events.
class FrameAccessible : public QAccessibleWidget {
public:
    explicit FrameAccessible(QWidget* frame) : QAccessibleWidget(frame, QAccessible::Grouping) {}
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) {
            return widget()->accessibleDescription();
        }
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* frameAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String(FrameIconComponent::staticMetaObject.className()) &&
        object->isWidgetType()) {
        return new FrameAccessible(static_cast<QWidget*>(object));
    }
    return nullptr;
}

} // namespace

FrameIconComponent::FrameIconComponent(ScenarioFrame& frame, FrameEditor& editor, QWidget* canvas)
    : QWidget(canvas), frame_(frame), editor_(editor) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(frameAccessible);
        return true;
    }();
    (void)factoryInstalled;
    setFocusPolicy(Qt::ClickFocus);
    frame_.setObserver(this);
    applyFont();
    frameChanged();
}

void FrameIconComponent::applyFont() {
    const QFont wanted = fontFor(editor_.getPrintingFont());
    if (font() != wanted) {
        setFont(wanted);
    }
    if (frame_.lineHeight() != fontMetrics().height()) {
        frame_.setLineHeight(fontMetrics().height());
    }
}

FrameIconComponent::~FrameIconComponent() {
    frame_.setObserver(nullptr);
}

void FrameIconComponent::frameChanged() {
    const Rect b = frame_.bounds();
    setGeometry(b.x, b.y, b.width, b.height);
    setAccessibleName(qs(frame_.getTitleTranslated()));
    QStringList contents;
    for (const std::string& row : frame_.getActions()) {
        contents << qs(row);
    }
    for (int k = 1; k <= 3; ++k) {
        if (frame_.output(k).text) {
            contents << qs(*frame_.output(k).text);
        }
    }
    setAccessibleDescription(contents.join(QStringLiteral("; ")));
    update();
}

void FrameIconComponent::paintEvent(QPaintEvent*) {
    applyFont();
    frame_.updateConnections();
    QPainter p(this);
    p.setFont(font());
    const QColor edge = frame_.isSelected() ? kSelectedBlue : QColor(Qt::black);
    p.fillRect(rect(), palette().window());

    // The action list, pink when nothing leads to the frame.
    const QRect list = toQRect(frame_.listBounds());
    p.fillRect(list, frame_.isReached() ? QColor(Qt::white) : kUnreachedPink);
    p.setPen(QColor(Qt::gray));
    p.drawRect(list.adjusted(0, 0, -1, -1));
    const int h = frame_.lineHeight();
    const auto& rows = frame_.rows();
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        const QRect row(list.x() + 2, list.y() + 2 + i * (h + 2), list.width() - 4, h + 2);
        if (i == frame_.selectedRow() && frame_.selectedItem() == inputField) {
            p.fillRect(row, palette().highlight());
            p.setPen(palette().highlightedText().color());
        } else {
            p.setPen(Qt::black);
        }
        p.drawText(row.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, qs(rows[i].text));
    }

    p.setPen(edge);
    p.drawRect(0, 0, width() - 1, height() - 1);

    for (int k = 1; k <= frame_.eventBoxes(); ++k) {
        const QRect box = toQRect(frame_.outputBounds(k));
        p.setPen(edge);
        p.drawRect(box.adjusted(-1, -1, 1, 1));
        p.fillRect(box, frame_.outputHalfDefined(k) ? kUnreachedPink : QColor(Qt::white));
        if (const auto& text = frame_.output(k).text) {
            const bool boxSelected = frame_.selectedItem() == output1Field + k - 1;
            p.setPen(boxSelected ? kSelectedBlue : QColor(Qt::black));
            p.save();
            p.setClipRect(box);
            p.drawText(box.x(), box.y() + box.height() - 2, qs(*text));
            p.restore();
        }
    }
}

void FrameIconComponent::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    // Ctrl + press adds the frame to the selection, or takes it out, for
    // copying several frames at once; it neither drags nor edits.
    extendingSelection_ = event->button() == Qt::LeftButton &&
                          event->modifiers() == Qt::ControlModifier &&
                          editor_.drawState() == DrawState::SELECTING;
    if (extendingSelection_) {
        if (frame_.isSelected()) {
            frame_.unselect();
        } else {
            frame_.select();
        }
        return;
    }
    const QPoint at = event->position().toPoint();
    frame_.mousePressed({at.x(), at.y()}, buttonOf(event),
                        event->modifiers().testFlag(Qt::AltModifier));
}

void FrameIconComponent::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() == Qt::NoButton || extendingSelection_) {
        return;
    }
    const QPoint at = event->position().toPoint();
    frame_.mouseDragged({at.x(), at.y()});
}

void FrameIconComponent::mouseReleaseEvent(QMouseEvent* event) {
    if (extendingSelection_) {
        extendingSelection_ = false;
        return;
    }
    const QPoint at = event->position().toPoint();
    frame_.mouseReleased({at.x(), at.y()});
}

void FrameIconComponent::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Delete) {
        frame_.keyPressed(ScenarioFrame::KEY_DELETE);
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace crvl
