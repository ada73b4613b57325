#include "builder/app/exit_save.h"

#include "builder/app/save_load_dialog.h"
#include "builder/core/se_language.h"
#include "builder/views/view_style.h"
#include "builder/widgets/text_fit.h"

#include <QLabel>
#include <QPushButton>

namespace crvl {

std::optional<ExitSaveMode> exitSaveModeFromName(const std::string& name) {
    if (name == "closing") {
        return ExitSaveMode::closing;
    }
    if (name == "loading") {
        return ExitSaveMode::loading;
    }
    if (name == "newScenario") {
        return ExitSaveMode::newScenario;
    }
    return std::nullopt;
}

ExitSave::ExitSave(QWidget* mainWindow, ExitSaveMode mode, ExitSaveCommands commands)
    : QDialog(mainWindow), mode_(mode), commands_(std::move(commands)) {
    setWindowTitle(QStringLiteral("Scenario Builder"));
    setFixedSize(WIDTH, HEIGHT);
    fillDialogBackground(this);
    const QFont bold = dialogPixelFont(12, true);

    auto* text = new QLabel(qs(seLanguage::saveChangesText), this);
    text->setObjectName(QStringLiteral("saveChangesText"));
    text->setGeometry(24, 31, 258, 25);
    text->setFont(bold);
    text->setWordWrap(true);
    growToShowText(*text, 0, 71 - 31 - 2);

    auto makeButton = [&](const std::string& label, const char* name, int x, Answer answer) {
        auto* button = new QPushButton(qs(label), this);
        button->setObjectName(QLatin1String(name));
        button->setGeometry(x, 71, 68, 24);
        button->setAccessibleName(qs(label));
        button->setAutoDefault(false);
        growToShowText(*button);
        connect(button, &QPushButton::clicked, this, [this, answer] { answerWith(answer); });
        return button;
    };
    makeButton(seLanguage::yesText, "yesButton", 29, Answer::Yes);
    makeButton(seLanguage::noText, "noButton", 115, Answer::No);
    makeButton(seLanguage::labelCancelText, "cancelButton", 202, Answer::Cancel);
}

void ExitSave::showEvent(QShowEvent* event) {
    if (QWidget* owner = parentWidget()) {
        const QRect area = owner->window()->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
    QDialog::showEvent(event);
}

void ExitSave::answerWith(Answer answer) {
    answer_ = answer;
    hide();
}

void ExitSave::run() {
    exec();
    actOnAnswer();
}

void ExitSave::actOnAnswer() {
    auto call = [](const std::function<void()>& command) {
        if (command) {
            command();
        }
    };
    switch (answer_) {
    case Answer::Yes:
        call(commands_.save);
        break;
    case Answer::No:
        switch (mode_) {
        case ExitSaveMode::closing:
            call(commands_.doClose);
            break;
        case ExitSaveMode::loading:
            call(commands_.load);
            break;
        case ExitSaveMode::newScenario:
            call(commands_.newScenario);
            break;
        }
        break;
    case Answer::None:
    case Answer::Cancel:
        break;
    }
}

} // namespace crvl
