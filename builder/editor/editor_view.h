#pragma once

// What the scenario editor asks of its window (EditorView), the commands it
// hands on (EditorCommands) and what the save/load dialog reports to it
// (SaveLoadResult).

#include "builder/model/frame_editor.h"
#include "builder/model/scenario_frame.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace crvl {

// What the editor asks of its window.
class EditorView {
public:
    virtual ~EditorView() = default;

    virtual void beep() = 0;
    virtual void messageBox(const std::string& title, const std::string& text,
                            MessageKind kind) = 0;
    // The same box, shown once the event in progress is over: saving and
    // loading run in the save/load dialog's worker pass, which is no place
    // to wait for the user.
    virtual void showMessageLater(const std::string& title, const std::string& text,
                                  MessageKind kind) = 0;
    // The palette's pictures (selected entry, undo availability) changed.
    virtual void paletteChanged() = 0;
    // A frame joined the canvas, at the end of the canvas order.
    virtual void frameAdded(ScenarioFrame& frame) = 0;
    // A frame left the canvas. The view disposes of it, and of its widget,
    // once the event in progress is over: the gesture that deleted it may
    // still be running in the frame's own widget.
    virtual void frameRemoved(std::unique_ptr<ScenarioFrame> frame) = 0;
    virtual void repaintFrames() = 0;
    virtual void repaintCanvas(Rect canvasRegion) = 0;
    virtual void canvasResized(Size size) = 0;
    virtual void scenarioNameChanged(const std::string& name) = 0;
    // What undo and redo would do changed (the Edit menu's texts).
    virtual void historyChanged() {}
    // Scrolls the canvas view so that the frame is in sight.
    virtual void showFrame(const ScenarioFrame& /*frame*/) {}
    virtual void showStatus(const std::string& text) = 0;
    // Line height of the frames' list font.
    virtual int frameLineHeight() const { return ScenarioFrame::DEFAULT_LINE_HEIGHT; }
    // Opens the dialog of the element type ("SetECG", ...), modal, set up
    // from the empty attribute text; its report reaches the editor through
    // ScenarioEditorCore::onElementDialogReport before this returns.
    virtual void runElementDialog(std::string_view type) = 0;
    // The "Connect to frame" dialog for an output of source, modal.
    virtual void runStateTransition(ScenarioFrame& source) = 0;
};

// The commands the editor hands on: the save/load dialogs, the exit-save
// question, printing and help. An unset command beeps.
struct EditorCommands {
    std::function<bool()> saveLoadDialogOpen;
    // Opens the save (load) dialog proposing the name.
    std::function<void(const std::string& name)> openSaveDialog;
    std::function<void(const std::string& name)> openLoadDialog;
    // The exit-save question in mode "loading" or "newScenario".
    std::function<void(const std::string& mode)> askSaveChanges;
    std::function<void()> print;
    std::function<void()> help;
    // A scenario file was saved or loaded: its full path.
    std::function<void(const std::string& path)> scenarioFileUsed;
};

// What the save/load dialog reports with its OK.
struct SaveLoadResult {
    std::string filename;
    std::string path;
    std::string comment;
    bool fileExists = false; // load: something of that name is there
    // The name confirmed with OK, which becomes loadedFileName once the
    // file was written or read; none for a file chosen through Browse.
    std::optional<std::string> confirmedName;
};

} // namespace crvl
