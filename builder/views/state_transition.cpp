#include "builder/views/state_transition.h"

#include "builder/core/se_language.h"
#include "builder/views/view_style.h"
#include "builder/widgets/text_fit.h"

#include <QComboBox>
#include <QPushButton>

namespace crvl {

StateTransition::StateTransition(const FrameEditor& editor, ScenarioFrame& source, QWidget* parent)
    : QDialog(parent), editor_(editor), source_(source) {
    setWindowTitle(qs(seLanguage::titleStateTransitionText));
    setWindowModality(Qt::ApplicationModal);
    resize(WIDTH, HEIGHT);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kButtonGrey);
    setPalette(palette);
    const QFont bold = dialogFont(12, true);

    choiceStateTransition_ = new QComboBox(this);
    choiceStateTransition_->setObjectName(QStringLiteral("choiceStateTransition"));
    choiceStateTransition_->setGeometry(24, 14, 170, 29);
    choiceStateTransition_->setFont(bold);
    choiceStateTransition_->setAccessibleName(qs(seLanguage::titleStateTransitionText));
    for (ScenarioFrame* frame : editor_.frames()) {
        choiceStateTransition_->addItem(qs(frame->getTitleTranslated()));
    }

    ok_ = new QPushButton(qs(seLanguage::labelOkText), this);
    ok_->setGeometry(228, 12, 60, 24);
    cancel_ = new QPushButton(qs(seLanguage::labelCancelText), this);
    cancel_->setGeometry(228, 48, 60, 24);
    for (QPushButton* button : {ok_, cancel_}) {
        button->setFont(bold);
        button->setAutoDefault(false);
        growToShowText(*button);
    }
    connect(ok_, &QPushButton::clicked, this, &StateTransition::onOk);
    connect(cancel_, &QPushButton::clicked, this, &StateTransition::onCancel);
}

void StateTransition::showCentred() {
    if (parentWidget() != nullptr) {
        const QRect area = parentWidget()->window()->geometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    show();
}

void StateTransition::onOk() {
    hide();
    const std::string chosen = choiceStateTransition_->currentText().toStdString();
    for (ScenarioFrame* frame : editor_.frames()) {
        if (frame->getTitleTranslated() == chosen) {
            source_.setStateTransition(*frame);
            break;
        }
    }
    emit reported(qs(seLanguage::REFRESHSCREEN_ACTION));
}

void StateTransition::onCancel() {
    hide();
    emit reported(qs(seLanguage::REFRESHSCREEN_ACTION));
}

} // namespace crvl
