#pragma once

// The "Connect to frame" dialog: it makes a jump connection from the output
// where a connection drag began to the frame chosen by name (a loop when
// that is the source frame itself). OK and Cancel report
// seLanguage::REFRESHSCREEN_ACTION; closing the window only hides it.

#include "builder/model/frame_editor.h"
#include "builder/model/scenario_frame.h"

#include <QDialog>

class QComboBox;
class QPushButton;

namespace crvl {

class StateTransition : public QDialog {
    Q_OBJECT
public:
    static constexpr int WIDTH = 299;
    static constexpr int HEIGHT = 89;

    StateTransition(const FrameEditor& editor, ScenarioFrame& source, QWidget* parent);

    QComboBox* choice() const { return choiceStateTransition_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

    // Centred on the parent, modal.
    void showCentred();

signals:
    void reported(const QString& command);

private:
    void onOk();
    void onCancel();

    const FrameEditor& editor_;
    ScenarioFrame& source_;
    QComboBox* choiceStateTransition_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

} // namespace crvl
