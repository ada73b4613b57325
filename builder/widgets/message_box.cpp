#include "builder/widgets/message_box.h"

#include "builder/core/se_language.h"

#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QWidget>

namespace crvl {

namespace {

QPointer<QWidget>& mainWindow() {
    static QPointer<QWidget> window;
    return window;
}

std::unique_ptr<QMessageBox> makeBox(QWidget* owner, const std::string& title,
                                     const std::string& text) {
    auto box = std::make_unique<QMessageBox>(owner);
    box->setWindowTitle(QString::fromStdString(title));
    box->setText(QString::fromStdString(text));
    box->setAccessibleName(QString::fromStdString(title));
    box->setWindowModality(Qt::ApplicationModal);
    return box;
}

// The standard buttons speak the language table's words, not the toolkit's.
void labelButtons(QMessageBox& box) {
    const std::pair<QMessageBox::StandardButton, const std::string*> labels[] = {
        {QMessageBox::Ok, &seLanguage::labelOkText},
        {QMessageBox::Cancel, &seLanguage::labelCancelText},
        {QMessageBox::Yes, &seLanguage::yesText},
        {QMessageBox::No, &seLanguage::noText},
    };
    for (const auto& [which, text] : labels) {
        if (QAbstractButton* button = box.button(which)) {
            button->setText(QString::fromStdString(*text));
            button->setAccessibleName(QString::fromStdString(*text));
        }
    }
}

} // namespace

void setMessageBoxOwner(QWidget* window) {
    mainWindow() = window;
}

std::unique_ptr<QMessageBox> makeMessageBox(QWidget* owner, const std::string& title,
                                            const std::string& text, const std::string& kind) {
    auto box = makeBox(owner, title, text);
    box->setStandardButtons(QMessageBox::Ok);
    if (kind == "Warning") {
        box->setIcon(QMessageBox::Critical); // the stop sign
    } else if (kind == "Exclamation") {
        box->setIcon(QMessageBox::Warning);
        box->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    } else {
        box->setIcon(QMessageBox::NoIcon);
    }
    labelButtons(*box);
    return box;
}

std::unique_ptr<QMessageBox> makeYesNoMessageBox(QWidget* owner, const std::string& title,
                                                 const std::string& text, const std::string& kind) {
    auto box = makeBox(owner, title, text);
    box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box->setDefaultButton(QMessageBox::No);
    box->setIcon(kind == "Warning" ? QMessageBox::Warning : QMessageBox::NoIcon);
    labelButtons(*box);
    return box;
}

void messageBox(const std::string& title, const std::string& text, const std::string& kind) {
    makeMessageBox(mainWindow().data(), title, text, kind)->exec();
}

bool yesNoMessageBox(QWidget* owner, const std::string& title, const std::string& text,
                     const std::string& kind) {
    if (owner == nullptr || !(qobject_cast<QDialog*>(owner) != nullptr || owner->isWindow())) {
        return false;
    }
    return makeYesNoMessageBox(owner, title, text, kind)->exec() == QMessageBox::Yes;
}

} // namespace crvl
