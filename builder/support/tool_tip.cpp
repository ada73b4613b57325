#include "builder/support/tool_tip.h"

#include "builder/core/se_language.h"

#include <QDialog>
#include <QEnterEvent>
#include <QEvent>
#include <QPainter>

#include <algorithm>

namespace crvl {

TipWindow::TipWindow(QWidget* owner, const QString& text)
    : QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint), text_(text) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAccessibleName(text);
    resize(fontMetrics().horizontalAdvance(text) + EXTRA_WIDTH, HEIGHT);
}

void TipWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor::fromRgb(BACKGROUND));
    p.setPen(Qt::black);
    p.drawRect(0, 0, width() - 1, height() - 1);
    p.drawText(TEXT_X, TEXT_BASELINE, text_);
}

ToolTip::ToolTip(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("toolTip"));
    setAccessibleName(QString::fromStdString(seLanguage::tooltipAccessibleText));
    resize(PLACEHOLDER_SIZE);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    timer_.setInterval(ToolTipTiming::TICK_MS);
    connect(&timer_, &QTimer::timeout, this, &ToolTip::tick);
    timer_.start();
}

ToolTip::~ToolTip() {
    pleaseStop();
}

void ToolTip::addTool(QWidget* control, const QString& text) {
    const auto known = std::find(components_.begin(), components_.end(), control);
    if (known != components_.end()) {
        texts_[static_cast<std::size_t>(known - components_.begin())] = text;
        return;
    }
    components_.push_back(control);
    texts_.push_back(text);
    control->installEventFilter(this);
    connect(control, &QObject::destroyed, this, [this](QObject* gone) {
        const auto it = std::find(components_.begin(), components_.end(), gone);
        if (it != components_.end()) {
            texts_.erase(texts_.begin() + (it - components_.begin()));
            components_.erase(it);
        }
    });
}

QString ToolTip::textOf(const QWidget* control) const {
    const auto it = std::find(components_.begin(), components_.end(), control);
    return it == components_.end() ? QString()
                                   : texts_[static_cast<std::size_t>(it - components_.begin())];
}

void ToolTip::hitTest(QWidget* control, QPoint pos) {
    if (!keepRunning_ || qobject_cast<QDialog*>(control) != nullptr || tip_ != nullptr) {
        return;
    }
    const auto it = std::find(components_.begin(), components_.end(), control);
    if (it == components_.end()) {
        return;
    }
    tip_ = new TipWindow(control->window(),
                         texts_[static_cast<std::size_t>(it - components_.begin())]);
    tip_->move(control->mapToGlobal(QPoint(0, 0)) + pos + QPoint(0, TipWindow::POINTER_GAP));
    timing_.prepare();
}

void ToolTip::removeTipWindow() {
    if (tip_ != nullptr) {
        tip_->hide();
        delete tip_.data();
    }
    timing_.reset();
}

void ToolTip::pleaseStop() {
    removeTipWindow();
    keepRunning_ = false;
    timer_.stop();
}

void ToolTip::tick() {
    if (!keepRunning_) {
        return;
    }
    switch (timing_.tick(tip_ != nullptr)) {
    case ToolTipTiming::Step::Show:
        tip_->show();
        tip_->raise();
        break;
    case ToolTipTiming::Step::Hide:
        if (tip_ != nullptr) {
            tip_->hide();
        }
        break;
    case ToolTipTiming::Step::None:
        break;
    }
}

bool ToolTip::eventFilter(QObject* watched, QEvent* event) {
    auto* control = qobject_cast<QWidget*>(watched);
    if (control != nullptr) {
        switch (event->type()) {
        case QEvent::Enter:
            removeTipWindow();
            hitTest(control, static_cast<QEnterEvent*>(event)->position().toPoint());
            break;
        case QEvent::Leave:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            removeTipWindow();
            break;
        case QEvent::ToolTip:
            // This tip replaces the toolkit's own.
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace crvl
