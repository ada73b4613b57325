#pragma once

// What frames and connections need of the scenario editor that holds them:
// the document (frames in canvas order, the connection list), selection,
// the draw state, services (beep, console, message box, undo reset,
// document-changed flag) and the requests a frame makes (element dialogs,
// the "Connect to frame" dialog, repaints, canvas fitting, refresh timer).
// The editor implements it; tests use a fake.

#include "builder/model/geometry.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace crvl {

class Connection;
class ScenarioFrame;

// The editor's editing state.
enum class DrawState { SELECTING = 1, CREATING = 2, CONNECTING = 3, EDITING = 4 };

// Kinds of the builder's message boxes.
enum class MessageKind { Warning, Exclamation, NoIcon };

// A font by name, as the builder's drawing code asks for it.
struct FontSpec {
    std::string family = "Dialog";
    int pointSize = 10;
    bool bold = false;
    friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

class FrameEditor {
public:
    virtual ~FrameEditor() = default;

    // ---- the document
    // The frames on the canvas, in canvas order.
    virtual std::vector<ScenarioFrame*> frames() const = 0;
    virtual Size canvasSize() const = 0;
    virtual DrawState drawState() const = 0;
    // theConnections, in the order they were added.
    virtual std::vector<Connection*> connections() const = 0;
    virtual void addConnection(std::unique_ptr<Connection> connection) = 0;
    // Erases and removes every connection that starts or ends at the frame.
    virtual void removeAllConnections(ScenarioFrame& frame) = 0;

    // The first frame with exactly this title, or nullptr.
    ScenarioFrame* stringToFrameIconComponent(std::string_view title) const;
    // The frame drawn on top at the canvas point: the last, in canvas order,
    // whose area holds it.
    ScenarioFrame* frameAt(Point canvasPoint) const;
    // Connections starting (ending) at the frame, in list order.
    std::vector<Connection*> getAllSrcConnections(const ScenarioFrame& frame) const;
    std::vector<Connection*> getAllDstConnections(const ScenarioFrame& frame) const;

    // ---- selection and drawing
    // Unselects every frame and connection, repainting what was selected.
    virtual void unselectFrameIcons() = 0;
    virtual void repaintAll() = 0;
    // Asks for a repaint of a canvas region (connections, rubber band).
    virtual void repaintCanvas(Rect canvasRegion) = 0;
    virtual void resizePanelToFit() = 0;
    virtual void startRefreshConnectionsTimer() = 0;
    virtual bool getPrinting() const = 0;
    virtual FontSpec getPrintingFont() const = 0;

    // ---- services
    virtual void sendTheBeep() = 0;
    // One diagnostic line for the developer's console.
    virtual void consoleLine(std::string_view line) = 0;
    virtual void messageBox(const std::string& title, const std::string& text,
                            MessageKind kind) = 0;
    virtual void resetUndo() = 0;
    // Marks the document changed since it was last saved.
    virtual void fileChanged() = 0;

    // ---- requests of a frame
    // command is seLanguage::READ_ACTION_ACTION or READ_EVENT_ACTION; the
    // frame's getPendingComponent names the part to fill.
    virtual void frameRequest(ScenarioFrame& frame, const std::string& command) = 0;
    // The delete tool, as the Delete key and Alt + press use it.
    virtual void deleteTool_actionPerformed() = 0;
    // A connection drag from an unconnected output ended outside every
    // frame: show the "Connect to frame" dialog, modal, which answers with
    // source.setStateTransition(destination) before this returns.
    virtual void showStateTransition(ScenarioFrame& source) = 0;
    // A press, and maybe a drag, of the frame ended: an editor that keeps
    // a history records the move, if the frame moved.
    virtual void frameMoved(ScenarioFrame& /*frame*/) {}
};

} // namespace crvl
