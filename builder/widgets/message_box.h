#pragma once

// The builder's modal message boxes.

#include <memory>
#include <string>

class QMessageBox;
class QWidget;

namespace crvl {

// The main window that owns the boxes of messageBox. Set when it is built.
void setMessageBoxOwner(QWidget* mainWindow);

// An OK box with the caption title. kind "Warning" (the default): stop icon;
// "Exclamation": exclamation icon, kept on top; anything else ("NoIcon"): no
// icon. Application-modal.
void messageBox(const std::string& title, const std::string& text,
                const std::string& kind = "Warning");

// A Yes/No question with No as the default button, owned by owner. kind
// "Warning" adds the exclamation icon. True only when Yes was chosen; false
// without asking when owner is neither a dialog nor a top-level window.
bool yesNoMessageBox(QWidget* owner, const std::string& title, const std::string& text,
                     const std::string& kind);

// The boxes as the two functions above show them, not yet shown.
std::unique_ptr<QMessageBox> makeMessageBox(QWidget* owner, const std::string& title,
                                            const std::string& text, const std::string& kind);
std::unique_ptr<QMessageBox> makeYesNoMessageBox(QWidget* owner, const std::string& title,
                                                 const std::string& text, const std::string& kind);

} // namespace crvl
