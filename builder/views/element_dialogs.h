#pragma once

// The modal dialogs in which the instructor edits a scenario element. Each
// dialog owns its element and keeps its controls and the element in step:
// the element holds the rules (rhythm options, defaults, checks on OK), the
// dialog shows them.
//
// Use: makeElementDialog(type, owner); init(attributes); setAttributes()
// shows it at screen position (100, 200). OK and Cancel hide it and emit
// reported() with seLanguage::READ_OK_ACTION or READ_CANCEL_ACTION; closing
// the window counts as Cancel.

#include "builder/model/scenario_element.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

class QPushButton;

namespace crvl {

class ElementDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int SCREEN_X = 100;
    static constexpr int SCREEN_Y = 200;

    ~ElementDialog() override;

    ScenarioElement& element() const { return *element_; }
    int exitCode() const { return element_->exitCode; }

    // Sets the element from the attribute string and the controls from it.
    void init(const std::string& attributes);
    // Remembers the attributes a Cancel restores and shows the dialog.
    void setAttributes();

    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

    // How a refused OK is told: by default the builder's warning box.
    using Warn = std::function<void(const std::string& title, const std::string& text)>;
    static void setWarning(Warn warn);

signals:
    void reported(const QString& command);

protected:
    ElementDialog(std::unique_ptr<ScenarioElement> element, int width, int height, QWidget* owner);

    // Controls from the element, and the element from the controls.
    virtual void showElement() = 0;
    virtual void readControls() {}
    // The numeric field whose value OK refused gets the focus, its text
    // selected.
    virtual void selectRefusedField() {}

    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void onOk();
    void onCancel();
    void finish(int code, const std::string& command);

    std::unique_ptr<ScenarioElement> element_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

// The dialog of the element whose class name is type (package prefix
// allowed), or nullptr for any other name.
std::unique_ptr<ElementDialog> makeElementDialog(std::string_view type, QWidget* owner);

} // namespace crvl
