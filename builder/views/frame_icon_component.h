#pragma once

// The widget of one frame on the canvas. It paints what its ScenarioFrame
// says (title row and actions, output boxes, selection and reachability
// colours) and hands mouse and key input to it.
//
// The frame's gestures may delete the frame (Delete key, Alt + press): the
// editor must take the widget away with deleteLater, not delete it at once.

#include "builder/model/scenario_frame.h"

#include <QWidget>

namespace crvl {

class FrameIconComponent : public QWidget, public FrameObserver {
    Q_OBJECT
public:
    FrameIconComponent(ScenarioFrame& frame, FrameEditor& editor, QWidget* canvas);
    ~FrameIconComponent() override;

    ScenarioFrame& frame() const { return frame_; }
    void frameChanged() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The editor's font (the printing font while printing) and the line
    // height the frame's layout follows.
    void applyFont();

    ScenarioFrame& frame_;
    FrameEditor& editor_;
    bool extendingSelection_ = false;
};

} // namespace crvl
