#include "config/app/updown_ctrl.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace crvl {

CUpDownCtrl::CUpDownCtrl(QLineEdit* buddy, bool numberBuddy, QWidget* parent)
    : QWidget(parent), buddy_(buddy), numberBuddy_(numberBuddy), up_(new QToolButton(this)),
      down_(new QToolButton(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QToolButton* button : {up_, down_}) {
        button->setArrowType(button == up_ ? Qt::UpArrow : Qt::DownArrow);
        button->setFixedSize(16, 11);
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(button);
    }
    up_->setAccessibleName(tr("Up"));
    down_->setAccessibleName(tr("Down"));
    connect(up_, &QToolButton::clicked, this, [this] { Step(+1); });
    connect(down_, &QToolButton::clicked, this, [this] { Step(-1); });
    buddy_->setReadOnly(true);
    buddy_->setAlignment(Qt::AlignRight);
    buddy_->installEventFilter(this);
}

void CUpDownCtrl::SetRange(int low, int high) {
    low_ = low;
    high_ = high;
}

void CUpDownCtrl::SetPos(int position) {
    position_ = position;
    if (numberBuddy_) {
        buddy_->setText(QString::number(position_));
    }
}

void CUpDownCtrl::Step(int delta) {
    if (!isEnabled()) {
        return;
    }
    const int next = std::clamp(position_ + delta, low_, high_);
    if (next == position_) {
        return;
    }
    SetPos(next);
    emit scrolled(position_);
}

bool CUpDownCtrl::eventFilter(QObject* watched, QEvent* event) {
    if (watched == buddy_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            Step(key == Qt::Key_Up ? +1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CUpDownCtrl::SetAccessibleNames(const QString& name) {
    setAccessibleName(name);
    up_->setAccessibleName(name + tr(" up"));
    down_->setAccessibleName(name + tr(" down"));
}

} // namespace crvl
