#include "builder/widgets/text_fit.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>

namespace crvl {

namespace {

// Room for the text beside a button's icon, as the style lays out the label.
constexpr int ICON_SPACING = 4;
// Space kept between a grown button's text and its bevel.
constexpr int BUTTON_PADDING = 4;

QStyleOptionButton buttonOption(const QAbstractButton& button) {
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    option.icon = button.icon();
    option.iconSize = button.iconSize();
    if (const auto* push = qobject_cast<const QPushButton*>(&button)) {
        if (push->autoDefault() || push->isDefault()) {
            option.features |= QStyleOptionButton::AutoDefaultButton;
        }
        if (push->isDefault()) {
            option.features |= QStyleOptionButton::DefaultButton;
        }
        if (push->isFlat()) {
            option.features |= QStyleOptionButton::Flat;
        }
    }
    return option;
}

std::optional<TextRoom> labelRoom(const QLabel& label) {
    const QString text = label.text();
    if (text.isEmpty() || label.textFormat() == Qt::RichText ||
        (label.textFormat() == Qt::AutoText && Qt::mightBeRichText(text))) {
        return std::nullopt;
    }
    QRect room = label.contentsRect();
    const int margin = label.margin();
    room.adjust(margin, margin, -margin, -margin);
    const QFontMetrics metrics(label.font());
    int flags = static_cast<int>(label.alignment());
    if (label.wordWrap()) {
        flags |= Qt::TextWordWrap;
    }
    // A wrapped text is measured at the label's width; without a width the
    // box is the text's natural one.
    const QRect box = metrics.boundingRect(label.wordWrap() ? room : QRect(), flags, text);
    return TextRoom{text, room, box.size()};
}

std::optional<TextRoom> buttonRoom(const QAbstractButton& button) {
    const QString text = button.text();
    if (text.isEmpty()) {
        return std::nullopt;
    }
    const QStyleOptionButton option = buttonOption(button);
    QStyle::SubElement element;
    if (qobject_cast<const QPushButton*>(&button) != nullptr) {
        element = QStyle::SE_PushButtonContents;
    } else if (qobject_cast<const QRadioButton*>(&button) != nullptr) {
        element = QStyle::SE_RadioButtonContents;
    } else if (qobject_cast<const QCheckBox*>(&button) != nullptr) {
        element = QStyle::SE_CheckBoxContents;
    } else {
        return std::nullopt;
    }
    const QRect room = button.style()->subElementRect(element, &option, &button);
    const QFontMetrics metrics(button.font());
    QSize needed = metrics.boundingRect(QRect(), Qt::TextShowMnemonic, text).size();
    if (element == QStyle::SE_PushButtonContents && !button.icon().isNull()) {
        needed.rwidth() += button.iconSize().width() + ICON_SPACING;
        needed.rheight() = std::max(needed.height(), button.iconSize().height());
    }
    return TextRoom{text, room, needed};
}

} // namespace

std::optional<TextRoom> textRoom(const QWidget& control) {
    if (const auto* label = qobject_cast<const QLabel*>(&control)) {
        return labelRoom(*label);
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(&control)) {
        return buttonRoom(*button);
    }
    return std::nullopt;
}

void growToShowText(QWidget& control, int margin, int maxHeight) {
    const std::optional<TextRoom> measure = textRoom(control);
    if (!measure || measure->fits()) {
        return;
    }
    QRect geometry = control.geometry();
    const auto* label = qobject_cast<const QLabel*>(&control);
    if (label != nullptr && label->wordWrap()) {
        const int extra = measure->needed.height() - measure->room.height();
        const int height = geometry.height() + extra;
        geometry.setHeight(maxHeight > 0 ? std::min(height, maxHeight) : height);
        control.setGeometry(geometry);
        return;
    }
    const int padding = label != nullptr ? 0 : BUTTON_PADDING;
    const int wanted = geometry.width() + measure->needed.width() - measure->room.width() + padding;
    const QWidget* parent = control.parentWidget();
    const int limit = parent != nullptr ? parent->width() - margin : geometry.right() + 1;
    geometry.setWidth(std::min(wanted, std::max(geometry.width(), limit - geometry.x())));
    if (geometry.width() < wanted && parent != nullptr) {
        // Not enough room to the right: move left, but not over a control
        // beside it.
        int leftmost = margin;
        for (const QObject* child : parent->children()) {
            const auto* sibling = qobject_cast<const QWidget*>(child);
            if (sibling == nullptr || sibling == &control || sibling->isHidden()) {
                continue;
            }
            const QRect other = sibling->geometry();
            const bool beside =
                other.top() <= geometry.bottom() && other.bottom() >= geometry.top();
            if (beside && other.right() < geometry.x()) {
                leftmost = std::max(leftmost, other.right() + 1 + margin);
            }
        }
        const int x = std::max(leftmost, limit - wanted);
        geometry.moveLeft(std::min(geometry.x(), x));
        geometry.setWidth(std::min(wanted, limit - geometry.x()));
    }
    control.setGeometry(geometry);
}

} // namespace crvl
