#include "builder/editor/scenario_editor_core.h"

// The document and its dispatch: start-up, the frames in canvas order, the
// selection, frame numbering, the canvas size rule and the refresh timers.
// The other roles of the class have their own files: scenario_editor_palette
// (palette, draw states, deletion, element dialogs), scenario_editor_connections,
// scenario_editor_history (undo, redo, copy and paste) and
// scenario_editor_files (New, Load, Save).

#include "builder/core/builder_console.h"
#include "builder/core/builder_services.h"
#include "builder/core/se_language.h"
#include "builder/core/tcl_control.h"
#include "builder/editor/history_pause.h"
#include "builder/io/state_table.h"
#include "builder/model/connection.h"
#include "builder/model/scenario_frame.h"

#include <algorithm>

namespace crvl {

ScenarioEditorCore::ScenarioEditorCore(EditorView& view) : view_(view) {}

ScenarioEditorCore::~ScenarioEditorCore() {
    // Connections refer to frames: they go first.
    theConnections_.clear();
    frames_.clear();
}

void ScenarioEditorCore::init(const std::string& baseDirectory) {
    seLanguage::translateText(baseDirectory);
    theTCLWrapper_ = std::make_unique<TclControl>(baseDirectory);
    setScenarioName(seLanguage::newScenarioText);
    canvasSize_ = INITIAL_PANEL_SIZE;
    view_.canvasResized(canvasSize_);
    {
        const HistoryPause pause(recording_);
        DiagramLoader(*this, *this, *theTCLWrapper_).loadFrame0();
    }
    setNindex();
    unselectAll();
    restartHistory();
}

// ---- the document -----------------------------------------------------------

std::vector<ScenarioFrame*> ScenarioEditorCore::frames() const {
    std::vector<ScenarioFrame*> out;
    out.reserve(frames_.size());
    for (const auto& frame : frames_) {
        out.push_back(frame.get());
    }
    return out;
}

std::vector<Connection*> ScenarioEditorCore::connections() const {
    std::vector<Connection*> out;
    out.reserve(theConnections_.size());
    for (const auto& connection : theConnections_) {
        out.push_back(connection.get());
    }
    return out;
}

ScenarioFrame& ScenarioEditorCore::makeFrame(const std::string& title, Point location) {
    frames_.push_back(std::make_unique<ScenarioFrame>(title, *this, view_.frameLineHeight()));
    ScenarioFrame& frame = *frames_.back();
    frame.setLocation(location);
    view_.frameAdded(frame);
    return frame;
}

void ScenarioEditorCore::removeFrame(ScenarioFrame& frame) {
    if (selectedFrameIcon_ == &frame) {
        selectedFrameIcon_ = nullptr;
    }
    const auto it = std::find_if(frames_.begin(), frames_.end(),
                                 [&](const auto& f) { return f.get() == &frame; });
    if (it != frames_.end()) {
        std::unique_ptr<ScenarioFrame> removed = std::move(*it);
        frames_.erase(it);
        view_.frameRemoved(std::move(removed));
    }
}

// ---- selection and drawing ----------------------------------------------------

void ScenarioEditorCore::unselectFrameIcons() {
    bool any = false;
    for (const auto& frame : frames_) {
        if (frame->isSelected()) {
            frame->unselect();
            any = true;
        }
    }
    for (const auto& connection : theConnections_) {
        if (connection->isSelected()) {
            connection->unselect();
            any = true;
        }
    }
    if (any) {
        repaintAll();
    }
}

void ScenarioEditorCore::repaintAll() {
    for (const auto& frame : frames_) {
        frame->updateConnections();
    }
    view_.repaintFrames();
}

void ScenarioEditorCore::repaintCanvas(Rect canvasRegion) {
    view_.repaintCanvas(canvasRegion);
}

FontSpec ScenarioEditorCore::getPrintingFont() const {
    return printing_ && printingFont_ ? *printingFont_ : FontSpec{};
}

void ScenarioEditorCore::sendTheBeep() {
    view_.beep();
}

void ScenarioEditorCore::consoleLine(std::string_view line) {
    crvl::consoleLine(line);
}

void ScenarioEditorCore::messageBox(const std::string& title, const std::string& text,
                                    MessageKind kind) {
    view_.messageBox(title, text, kind);
}

void ScenarioEditorCore::fileChanged() {
    BuilderState::file_changed();
}

// ---- frame numbering --------------------------------------------------------------

void ScenarioEditorCore::setNindex() {
    // The highest number in use, so that a frame restored by an undo never
    // shares its title with the next frame created.
    int highest = 0;
    for (const auto& frame : frames_) {
        highest = std::max(highest, frameNumberFromTitle(frame->getTitle()).value_or(0));
    }
    nIndex_ = highest;
}

// ---- canvas size ----------------------------------------------------------------------

Size ScenarioEditorCore::getMinimumPanelSize() const {
    Size wanted = INITIAL_PANEL_SIZE;
    for (const auto& frame : frames_) {
        const Rect r = frame->bounds();
        wanted.width = std::max(wanted.width, r.x + r.width);
        wanted.height = std::max(wanted.height, r.y + r.height);
    }
    return {wanted.width + PANEL_MARGIN, wanted.height + PANEL_MARGIN};
}

void ScenarioEditorCore::resizePanelToFit() {
    const Size wanted = getMinimumPanelSize();
    const bool widthChanged = wanted.width != canvasSize_.width && wanted.width != prevWidth_;
    const bool heightChanged = wanted.height != canvasSize_.height && wanted.height != prevHeight_;
    if (widthChanged || heightChanged) {
        canvasSize_ = wanted;
        prevWidth_ = wanted.width;
        prevHeight_ = wanted.height;
        view_.canvasResized(canvasSize_);
    }
}

void ScenarioEditorCore::viewportResized(Size view) {
    if (view.width > canvasSize_.width || view.height > canvasSize_.height) {
        resizePanelToFit();
        startRefreshConnectionsTimer();
    }
}

// ---- refresh timers ---------------------------------------------------------------------

void ScenarioEditorCore::startRefreshTimer() {
    refreshTimer_ = REFRESH_TIMER_STARTVAL;
}

void ScenarioEditorCore::startRefreshConnectionsTimer() {
    refreshConnectionsTimer_ = REFRESH_CONNECTION_TIMER_STARTVAL;
}

void ScenarioEditorCore::decrementRefreshTimer() {
    if (refreshTimer_ > 0) {
        --refreshTimer_;
    }
}

void ScenarioEditorCore::refreshTimer_TimerEvent() {
    refreshTimer_ = REFRESH_TIMERS_STOP;
    consoleLine("Refresh timer event");
    refreshScreen();
}

void ScenarioEditorCore::decrementRefreshConnectionsTimer() {
    // A stopped timer stays below zero and never reaches zero again.
    if (refreshConnectionsTimer_ != REFRESH_TIMERS_STOP) {
        --refreshConnectionsTimer_;
    }
}

void ScenarioEditorCore::refreshConnectionsTimer_TimerEvent() {
    refreshConnectionsTimer_ = REFRESH_TIMERS_STOP;
    consoleLine("RefreshConnections timer event");
    drawAllConnections();
}

void ScenarioEditorCore::tickTimers() {
    decrementRefreshConnectionsTimer();
    if (refreshConnectionsTimerTimeout()) {
        refreshConnectionsTimer_TimerEvent();
    }
    decrementRefreshTimer();
    if (refreshTimerTimeout()) {
        refreshTimer_TimerEvent();
    }
}

void ScenarioEditorCore::refreshScreen() {
    unselectFrameIcons();
    repaintAll();
    drawAllConnections();
}

} // namespace crvl
