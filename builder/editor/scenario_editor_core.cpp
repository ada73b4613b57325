#include "builder/editor/scenario_editor_core.h"

#include "builder/core/builder_console.h"
#include "builder/core/builder_services.h"
#include "builder/core/builder_settings.h"
#include "builder/core/se_language.h"
#include "builder/core/tcl_control.h"
#include "builder/editor/lesson_library.h"
#include "builder/io/scenario_saving.h"
#include "builder/io/state_table.h"
#include "builder/io/tcl_code_generator.h"
#include "builder/model/connection.h"
#include "builder/model/scenario_element.h"
#include "builder/model/scenario_error.h"
#include "builder/model/scenario_frame.h"

#include <algorithm>
#include <exception>
#include <sstream>

namespace crvl {

namespace {

// The lines of before that occur nowhere in after: the connections a
// deletion took away.
std::vector<std::string> removedLines(const std::string& before, const std::string& after) {
    std::vector<std::string> removed;
    std::istringstream in(before);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && after.find(line) == std::string::npos) {
            removed.push_back(line);
        }
    }
    return removed;
}

// Recording stops while one operation makes many changes.
class HistoryPause {
public:
    explicit HistoryPause(bool& recording) : recording_(recording), was_(recording) {
        recording_ = false;
    }
    ~HistoryPause() { recording_ = was_; }
    HistoryPause(const HistoryPause&) = delete;
    HistoryPause& operator=(const HistoryPause&) = delete;

private:
    bool& recording_;
    bool was_;
};

constexpr std::string_view kFrameHeader = "#FrameIconComponent\t";
constexpr std::string_view kFrameEnd = "#EndFrameIconComponent\n";
constexpr std::string_view kConnections = "#Connections\n";
constexpr std::string_view kConnectionsEnd = "#EndConnections";

// The frame blocks of a saved-diagram text, each as the frame writes it.
std::vector<std::string> frameBlocks(const std::string& text) {
    std::vector<std::string> blocks;
    for (auto at = text.find(kFrameHeader); at != std::string::npos;
         at = text.find(kFrameHeader, at)) {
        const auto end = text.find(kFrameEnd, at);
        if (end == std::string::npos) {
            break;
        }
        blocks.push_back(text.substr(at, end + kFrameEnd.size() - at));
        at = end;
    }
    return blocks;
}

// The connection lines of a saved-diagram text.
std::vector<std::string> connectionLines(const std::string& text) {
    std::vector<std::string> lines;
    const auto at = text.find(kConnections);
    if (at == std::string::npos) {
        return lines;
    }
    SavedLineReader reader(text.substr(at + kConnections.size()));
    while (auto line = reader.next()) {
        if (*line == kConnectionsEnd) {
            break;
        }
        lines.push_back(*line);
    }
    return lines;
}

// A saved element's type and attributes as the element itself gives them.
void ownReading(SavedElement& saved) {
    saved.type = std::string(saved.element->className());
    saved.attributes = saved.element->getAttributes();
}

// The tab-, CR-, LF- or "#"-separated fields of a connection line.
std::vector<std::string> connectionFields(std::string_view line) {
    return splitTokens(line, "#\t\r\n");
}

// The element an element tool makes, by class name.
std::string_view elementType(PaletteTool tool) {
    switch (tool) {
    case PaletteTool::ecgActionTool:
        return SetECG::NAME;
    case PaletteTool::motionActionTool:
        return MotionAction::NAME;
    case PaletteTool::electrodesActionTool:
        return ElectrodesAction::NAME;
    case PaletteTool::batteryActionTool:
        return BatteryAction::NAME;
    case PaletteTool::failureActionTool:
        return FailureAction::NAME;
    case PaletteTool::defibEventTool:
        return DefibEvent::NAME;
    case PaletteTool::cprEventTool:
        return CPREvent::NAME;
    case PaletteTool::timeEventTool:
        return TimeEvent::NAME;
    default:
        return {};
    }
}

// The message of a save that failed: what was not saved, and why.
std::string notSavedMessage(const std::string& filename, SaveFailure failure) {
    std::string reason;
    switch (failure) {
    case SaveFailure::TooManyFrames:
        reason = seLanguage::notSavedTooManyFramesText;
        break;
    case SaveFailure::MissingTemplate:
        reason = fillIn(seLanguage::notSavedNoTemplateText, {TCLCodeGenerator::prologFileName});
        break;
    case SaveFailure::NoPermission:
        reason = seLanguage::notSavedNoPermissionText;
        break;
    case SaveFailure::DiskFull:
        reason = seLanguage::notSavedDiskFullText;
        break;
    case SaveFailure::FolderInTheWay:
        reason = seLanguage::notSavedFolderText;
        break;
    case SaveFailure::None:
    case SaveFailure::WriteError:
        reason = seLanguage::notSavedWriteErrorText;
        break;
    }
    return fillIn(seLanguage::notSavedText, {filename}) + "\n" + reason;
}

} // namespace

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

void ScenarioEditorCore::addConnection(std::unique_ptr<Connection> connection) {
    theConnections_.push_back(std::move(connection));
    recordStep(seLanguage::stepCreateConnection);
}

void ScenarioEditorCore::removeAllConnections(ScenarioFrame& frame) {
    std::erase_if(theConnections_, [&](const std::unique_ptr<Connection>& c) {
        if (&c->getSource() != &frame && &c->getDest() != &frame) {
            return false;
        }
        c->EraseLine(*this);
        return true;
    });
}

void ScenarioEditorCore::removeSelectedConnection() {
    const auto it = std::find_if(theConnections_.begin(), theConnections_.end(),
                                 [](const auto& c) { return c->isSelected(); });
    if (it != theConnections_.end()) {
        (*it)->EraseLine(*this);
        theConnections_.erase(it);
    }
}

Connection* ScenarioEditorCore::checkIfHitOnLine(int x, int y) {
    for (const auto& connection : theConnections_) {
        if (connection->inside(x, y)) {
            connection->select();
            drawAllConnections();
            return connection.get();
        }
    }
    return nullptr;
}

void ScenarioEditorCore::drawAllConnections() {
    try {
        for (const auto& connection : theConnections_) {
            connection->DrawLine(*this);
        }
    } catch (const std::exception& error) {
        consoleLine(std::string("Error in drawAllConnections: ") + error.what());
    }
}

std::string ScenarioEditorCore::connectionsText() const {
    std::string text;
    for (const auto& connection : theConnections_) {
        text += connection->toString();
    }
    return text;
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

void ScenarioEditorCore::showStateTransition(ScenarioFrame& source) {
    view_.runStateTransition(source);
}

// ---- palette and states ---------------------------------------------------------

std::string_view ScenarioEditorCore::toolImage(PaletteTool tool) const {
    return paletteImage(tool, highlightedTool_ == tool, undoItemsExist());
}

void ScenarioEditorCore::selectTheObject(PaletteTool tool) {
    const PaletteEntry& entry = paletteEntry(tool);
    if (entry.kind == ToolKind::Button) {
        if (tool == PaletteTool::deleteTool) {
            deleteTool_actionPerformed();
        } else if (commands_.help) {
            commands_.help();
        } else {
            sendTheBeep();
        }
        return;
    }
    highlightedTool_ = tool;
    selectedTool_ = tool;
    view_.paletteChanged();

    bool commandRan = false;
    if (entry.kind == ToolKind::Command) {
        switch (tool) {
        case PaletteTool::saveTool:
            saveTool_mouseClicked();
            break;
        case PaletteTool::loadTool:
            loadTool_mouseClicked();
            break;
        case PaletteTool::newTool:
            newTool_mouseClicked();
            break;
        case PaletteTool::printTool:
            printTool_mouseClicked();
            break;
        default:
            undoTool_mouseClicked();
            break;
        }
        // The frames stay selected after a command.
        highlightedTool_.reset();
        selectedTool_ = PaletteTool::selectTool;
        commandRan = true;
    }

    drawState_ = DrawState::EDITING;
    if (selectedTool_ == PaletteTool::createFramesTool) {
        drawState_ = DrawState::CREATING;
    } else if (selectedTool_ == PaletteTool::linkFramesTool) {
        drawState_ = DrawState::CONNECTING;
    } else if (selectedTool_ == PaletteTool::selectTool) {
        highlightedTool_ = PaletteTool::selectTool;
        if (!commandRan) {
            unselectFrameIcons();
            drawAllConnections();
        }
        drawState_ = DrawState::SELECTING;
    }
    view_.paletteChanged();
}

void ScenarioEditorCore::bigPanel_MouseClick(Point canvasPoint, bool altOnly) {
    unselectFrameIcons();
    if (selectedTool_ == PaletteTool::createFramesTool) {
        if (frames_.size() > static_cast<std::size_t>(Parameters::MAX_NUM_OF_FRAMES - 1)) {
            messageBox(seLanguage::createFramesToolText, seLanguage::numOfFramesLimitText,
                       MessageKind::Exclamation);
            unselectAll();
            return;
        }
        fileChanged();
        ++nIndex_;
        ScenarioFrame& frame = makeFrame("Frame" + std::to_string(nIndex_), canvasPoint);
        frame.select();
        resetUndo();
        const Rect r = frame.bounds();
        if (r.x + r.width > canvasSize_.width || r.y + r.height > canvasSize_.height) {
            resizePanelToFit();
        }
        recordStep(fillIn(seLanguage::stepCreateFrame, {frame.getTitle()}));
    }
    if (drawState_ == DrawState::SELECTING) {
        if (checkIfHitOnLine(canvasPoint.x, canvasPoint.y) != nullptr && altOnly) {
            deleteTool_actionPerformed();
        }
        return;
    }
    unselectAll();
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

// ---- delete and undo ----------------------------------------------------------------

void ScenarioEditorCore::resetUndo() {
    paletteUndoWithdrawn_ = true;
    view_.paletteChanged();
}

void ScenarioEditorCore::deleteTool_actionPerformed() {
    fileChanged();
    if (drawState_ != DrawState::SELECTING) {
        unselectAll();
        return;
    }
    const std::size_t countBefore = theConnections_.size();
    const std::string before = connectionsText();

    std::string undoText;
    std::string name = seLanguage::stepDeleteConnection;
    for (ScenarioFrame* frame : frames()) {
        std::string saved = frame->toString();
        const int item = frame->selectedItem();
        const DeleteResult result = frame->deleteTheSelectedFrameItem();
        if (result != DeleteResult::Nothing) {
            resetUndo();
            undoText = std::move(saved);
            const std::string& text = result == DeleteResult::Frame ? seLanguage::stepDeleteFrame
                                      : item == inputField          ? seLanguage::stepDeleteAction
                                                                    : seLanguage::stepClearOutput;
            name = fillIn(text, {frame->getTitle()});
            if (result == DeleteResult::Frame) {
                removeFrame(*frame);
            }
            break;
        }
    }
    if (undoText.empty()) {
        removeSelectedConnection();
    }
    if (theConnections_.size() != countBefore) {
        resetUndo();
        const auto removed = removedLines(before, connectionsText());
        if (!removed.empty()) {
            undoText += "#Connections\n";
            for (const std::string& line : removed) {
                undoText += line + "\n";
            }
            undoText += "#EndConnections\n";
        }
    }
    if (undoText.empty()) {
        sendTheBeep();
        return;
    }
    resizePanelToFit();
    startRefreshTimer();
    repaintAll();
    recordStep(std::move(name), StepKind::Deletion, std::move(undoText));
}

// ---- history ----------------------------------------------------------------------------

void ScenarioEditorCore::recordStep(std::string name, StepKind kind, std::string removed) {
    if (!recording_) {
        return;
    }
    DocumentState state = documentState();
    if (state == history_.current()) {
        return;
    }
    history_.record({std::move(name), kind, std::move(removed)}, std::move(state));
    fileChanged();
    historyMoved();
}

void ScenarioEditorCore::restartHistory() {
    history_.reset(documentState(), !BuilderState::isFileChanged());
    historyMoved();
}

void ScenarioEditorCore::historyMoved() {
    paletteUndoWithdrawn_ = false;
    view_.paletteChanged();
    view_.historyChanged();
}

DocumentState ScenarioEditorCore::documentState() const {
    std::vector<const ScenarioFrame*> all(frames_.size());
    std::transform(frames_.begin(), frames_.end(), all.begin(),
                   [](const auto& frame) { return frame.get(); });
    return {diagramText(std::move(all), connections()), nIndex_};
}

bool ScenarioEditorCore::undoItemsExist() const {
    const HistoryStep* step = history_.undoStep();
    return !paletteUndoWithdrawn_ && step != nullptr && step->kind == StepKind::Deletion;
}

const std::string& ScenarioEditorCore::undoString() const {
    static const std::string none;
    return undoItemsExist() ? history_.undoStep()->removed : none;
}

void ScenarioEditorCore::undoTool_mouseClicked() {
    if (!undoItemsExist()) {
        sendTheBeep();
        return;
    }
    undo();
}

void ScenarioEditorCore::undo() {
    if (!history_.canUndo()) {
        sendTheBeep();
        return;
    }
    showState(history_.undo());
}

void ScenarioEditorCore::redo() {
    if (!history_.canRedo()) {
        sendTheBeep();
        return;
    }
    showState(history_.redo());
}

std::string ScenarioEditorCore::undoText() const {
    const HistoryStep* step = history_.undoStep();
    return step == nullptr ? seLanguage::menuItemUndo
                           : fillIn(seLanguage::undoStepText, {step->name});
}

std::string ScenarioEditorCore::redoText() const {
    const HistoryStep* step = history_.redoStep();
    return step == nullptr ? seLanguage::menuItemRedo
                           : fillIn(seLanguage::redoStepText, {step->name});
}

ScenarioFrame& ScenarioEditorCore::restoreFrame(const std::string& header, SavedLineReader& lines) {
    const SavedFrame saved = readFrameIconComponent(header, lines);
    ScenarioFrame& frame = addLoadedFrame(saved.title, saved.location);
    fillFrame(frame, saved);
    return frame;
}

// Frames the state holds as they are stay where they are; the others are
// rebuilt and come to the front, at the end of the canvas order. The
// connections are rebuilt in their order.
void ScenarioEditorCore::showState(const DocumentState& state) {
    const HistoryPause pause(recording_);
    try {
        for (const auto& connection : theConnections_) {
            connection->EraseLine(*this);
        }
        theConnections_.clear();
        std::vector<std::string> wanted = frameBlocks(state.diagram);
        for (ScenarioFrame* frame : frames()) {
            const auto kept = std::find(wanted.begin(), wanted.end(), frame->toString());
            if (kept != wanted.end()) {
                wanted.erase(kept);
            } else {
                removeFrame(*frame);
            }
        }
        for (const std::string& block : wanted) {
            SavedLineReader lines(block);
            if (const auto header = lines.next()) {
                restoreFrame(*header, lines);
            }
        }
        for (const std::string& line : connectionLines(state.diagram)) {
            addConnection(Connection::fromString(*this, line));
        }
    } catch (const std::exception& error) {
        consoleLine(std::string("Undo error: ") + error.what());
        sendTheBeep();
    }
    nIndex_ = state.nIndex;
    if (history_.atSavePoint()) {
        BuilderState::clearFileChanged();
    } else {
        fileChanged();
    }
    unselectFrameIcons();
    resizePanelToFit();
    repaintAll();
    startRefreshConnectionsTimer();
    historyMoved();
}

void ScenarioEditorCore::frameMoved(ScenarioFrame& frame) {
    recordStep(fillIn(seLanguage::stepMoveFrame, {frame.getTitle()}));
}

// ---- copy and paste -------------------------------------------------------------------

std::string ScenarioEditorCore::copySelection() {
    std::vector<const ScenarioFrame*> selected;
    for (const auto& frame : frames_) {
        if (frame->isSelected()) {
            selected.push_back(frame.get());
        }
    }
    if (selected.empty()) {
        sendTheBeep();
        return {};
    }
    auto isSelected = [&](const ScenarioFrame& frame) {
        return std::find(selected.begin(), selected.end(), &frame) != selected.end();
    };
    std::vector<Connection*> among;
    for (const auto& connection : theConnections_) {
        if (isSelected(connection->getSource()) && isSelected(connection->getDest())) {
            among.push_back(connection.get());
        }
    }
    return diagramText(std::move(selected), among);
}

void ScenarioEditorCore::paste(const std::string& text) {
    std::vector<SavedFrame> pasted;
    std::vector<std::string> lines;
    try {
        SavedLineReader reader(text);
        while (auto line = reader.next()) {
            if (line->starts_with(kFrameHeader)) {
                pasted.push_back(readFrameIconComponent(*line, reader));
                // The frames keep each element as the element reads its text:
                // text from elsewhere may hold what no dialog writes.
                SavedFrame& frame = pasted.back();
                for (SavedElement& action : frame.actions) {
                    ownReading(action);
                }
                for (auto& output : frame.outputs) {
                    if (output) {
                        ownReading(*output);
                    }
                }
            } else if (*line == "#Connections") {
                while (auto connection = reader.next()) {
                    if (*connection == kConnectionsEnd) {
                        break;
                    }
                    lines.push_back(*connection);
                }
            }
        }
    } catch (const std::exception& error) {
        consoleLine(std::string("Paste error: ") + error.what());
        pasted.clear();
    }
    if (pasted.empty()) {
        sendTheBeep();
        return;
    }
    if (frames_.size() + pasted.size() > static_cast<std::size_t>(Parameters::MAX_NUM_OF_FRAMES)) {
        messageBox(seLanguage::createFramesToolText, seLanguage::numOfFramesLimitText,
                   MessageKind::Exclamation);
        return;
    }
    unselectFrameIcons();
    {
        const HistoryPause pause(recording_);
        // Far beyond any canvas, and far from overflowing.
        constexpr int kMaxPlace = 100000;
        std::vector<std::pair<std::string, std::string>> titles; // copied, pasted
        std::vector<ScenarioFrame*> made;
        for (const SavedFrame& saved : pasted) {
            const Point at{std::clamp(saved.location.x, 0, kMaxPlace) + PASTE_OFFSET,
                           std::clamp(saved.location.y, 0, kMaxPlace) + PASTE_OFFSET};
            ScenarioFrame& frame = addLoadedFrame("Frame" + std::to_string(++nIndex_), at);
            fillFrame(frame, saved);
            titles.emplace_back(saved.title, frame.getTitle());
            made.push_back(&frame);
        }
        // Each new frame unselects the others: select them all at the end.
        for (ScenarioFrame* frame : made) {
            frame->select();
        }
        auto pastedTitle = [&](const std::string& copied) -> const std::string* {
            for (const auto& [from, to] : titles) {
                if (from == copied) {
                    return &to;
                }
            }
            return nullptr;
        };
        for (const std::string& line : lines) {
            std::vector<std::string> fields = connectionFields(line);
            const std::string* source = fields.size() >= 4 ? pastedTitle(fields[0]) : nullptr;
            const std::string* dest = fields.size() >= 4 ? pastedTitle(fields[1]) : nullptr;
            if (source == nullptr || dest == nullptr) {
                continue; // a connection to a frame that was not copied
            }
            std::string rebuilt = "#" + *source + "\t" + *dest;
            for (std::size_t k = 2; k < fields.size(); ++k) {
                rebuilt += "\t" + fields[k];
            }
            try {
                addConnection(Connection::fromString(*this, rebuilt));
            } catch (const std::exception& error) {
                consoleLine(std::string("Connection dropped: ") + error.what());
            }
        }
    }
    resizePanelToFit();
    repaintAll();
    startRefreshConnectionsTimer();
    recordStep(seLanguage::stepPaste);
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

// ---- element dialogs ------------------------------------------------------------------------

void ScenarioEditorCore::frameRequest(ScenarioFrame& frame, const std::string& command) {
    if (command == seLanguage::READ_EVENT_ACTION) {
        onEventRequest(frame, frame.getPendingComponent());
    } else if (command == seLanguage::READ_ACTION_ACTION) {
        onActionRequest(frame, frame.getPendingComponent());
    }
}

void ScenarioEditorCore::onActionRequest(ScenarioFrame& frame, int part) {
    requestElement(frame, part, PaletteGroup::Action);
}

void ScenarioEditorCore::onEventRequest(ScenarioFrame& frame, int part) {
    requestElement(frame, part, PaletteGroup::Event);
}

void ScenarioEditorCore::requestElement(ScenarioFrame& frame, int part, PaletteGroup group) {
    savedComponent_ = part;
    // Only a tool of the matching group fills the part: an action tool the
    // list, an event tool an output box.
    if (!selectedTool_ || paletteEntry(*selectedTool_).group != group) {
        sendTheBeep();
        return;
    }
    const std::string_view type = elementType(*selectedTool_);
    selectedTool_.reset();
    selectedFrameIcon_ = &frame;
    view_.runElementDialog(type);
}

void ScenarioEditorCore::onElementDialogReport(const std::string& command,
                                               const ScenarioElement& element) {
    if (command == seLanguage::READ_OK_ACTION) {
        onScenarioElementOk(element);
    } else if (command == seLanguage::READ_CANCEL_ACTION) {
        selectedFrameIcon_ = nullptr;
        unselectAll();
    }
}

void ScenarioEditorCore::onScenarioElementOk(const ScenarioElement& element) {
    if (selectedFrameIcon_ != nullptr) {
        if (element.className() == SetECG::NAME) {
            seLanguage::lastECGAttributes = element.getAttributes();
        }
        selectedFrameIcon_->onRequestFinished(&element, savedComponent_);
        recordStep(fillIn(seLanguage::stepEditFrame, {selectedFrameIcon_->getTitle()}));
        selectedFrameIcon_ = nullptr;
    }
    unselectAll();
    resetUndo();
}

// ---- New, Load, Save ----------------------------------------------------------------------------

void ScenarioEditorCore::setScenarioName(std::string name) {
    scenarioName_ = std::move(name);
    view_.scenarioNameChanged(scenarioName_);
}

void ScenarioEditorCore::saveTool_mouseClicked() {
    if ((commands_.saveLoadDialogOpen && commands_.saveLoadDialogOpen()) ||
        !commands_.openSaveDialog) {
        sendTheBeep();
        return;
    }
    const std::string name = scenarioName_ == seLanguage::newScenarioText
                                 ? Parameters::SCENARIO_DIR + seLanguage::defaultSavedFile
                                 : scenarioName_;
    commands_.openSaveDialog(name);
    startRefreshConnectionsTimer();
}

void ScenarioEditorCore::loadTool_mouseClicked() {
    if (commands_.saveLoadDialogOpen && commands_.saveLoadDialogOpen()) {
        sendTheBeep();
        return;
    }
    if (BuilderState::isFileChanged()) {
        if (commands_.askSaveChanges) {
            commands_.askSaveChanges("loading");
        } else {
            sendTheBeep();
        }
        return;
    }
    if (!commands_.openLoadDialog) {
        sendTheBeep();
        return;
    }
    commands_.openLoadDialog(Parameters::SCENARIO_DIR + seLanguage::defaultLoadedFile);
    startRefreshConnectionsTimer();
}

void ScenarioEditorCore::newTool_mouseClicked() {
    if (commands_.saveLoadDialogOpen && commands_.saveLoadDialogOpen()) {
        sendTheBeep();
        return;
    }
    if (BuilderState::isFileChanged()) {
        if (commands_.askSaveChanges) {
            commands_.askSaveChanges("newScenario");
            startRefreshConnectionsTimer();
        } else {
            sendTheBeep();
        }
        return;
    }
    newDiagram();
}

void ScenarioEditorCore::printTool_mouseClicked() {
    if (commands_.print) {
        commands_.print();
    } else {
        sendTheBeep();
    }
}

void ScenarioEditorCore::newDiagram() {
    {
        const HistoryPause pause(recording_);
        deleteCurrentDiagram();
        setScenarioName(seLanguage::newScenarioText);
        proposedComment_.clear();
        if (theTCLWrapper_) {
            DiagramLoader(*this, *this, *theTCLWrapper_).loadFrame0();
        } else {
            addLoadedFrame(seLanguage::NAME_STARTFRAME, {100, 20});
        }
        setNindex();
    }
    unselectFrameIcons();
    restartHistory();
}

void ScenarioEditorCore::deleteCurrentDiagram() {
    for (const auto& connection : theConnections_) {
        connection->EraseLine(*this);
    }
    theConnections_.clear();
    auto removed = std::move(frames_);
    frames_.clear();
    for (auto& frame : removed) {
        view_.frameRemoved(std::move(frame));
    }
    selectedFrameIcon_ = nullptr;
    resetUndo();
}

ScenarioFrame& ScenarioEditorCore::addLoadedFrame(const std::string& title, Point location) {
    return makeFrame(title, location);
}

void ScenarioEditorCore::showLoadSaveStatus(int count) {
    view_.showStatus(std::to_string(count) + "...");
}

void ScenarioEditorCore::onSaveLoadDialogReport(const std::string& command,
                                                const SaveLoadResult& result) {
    if (command == seLanguage::SAVE_OK_ACTION) {
        onSaveLoadDialogExit(true, result);
    } else if (command == seLanguage::LOAD_OK_ACTION) {
        if (result.fileExists) {
            onSaveLoadDialogExit(false, result);
        } else {
            const auto dot = result.filename.rfind('.');
            const std::string name = dot == std::string::npos
                                         ? result.filename
                                         : result.filename.substr(0, dot) + ".scn";
            newDiagram();
            setScenarioName(name);
            if (result.confirmedName) {
                loadedFileName_ = *result.confirmedName;
            }
        }
    }
    // The dialog closes after each of its commands.
    unselectAll();
    startRefreshConnectionsTimer();
}

void ScenarioEditorCore::onSaveLoadDialogExit(bool isSave, const SaveLoadResult& result) {
    if (!theTCLWrapper_) {
        sendTheBeep();
        return;
    }
    if (isSave) {
        saveScenario(result);
    } else {
        loadScenario(result);
    }
}

void ScenarioEditorCore::saveScenario(const SaveLoadResult& result) {
    // The shipped lessons stay as they are, even where their folder can be
    // written (a build directory, a copied installation).
    if (isLessonsPath(theTCLWrapper_->baseDirectory(), result.path)) {
        view_.showMessageLater(seLanguage::saveScenarioText,
                               fillIn(seLanguage::lessonReadOnlyText, {result.filename}),
                               MessageKind::Exclamation);
        return;
    }
    // Saving renumbers the frames and ends the palette's undo; a save that
    // fails gives both back, so the drawing is as it was before.
    std::vector<std::pair<ScenarioFrame*, std::string>> titles;
    for (const auto& frame : frames_) {
        titles.emplace_back(frame.get(), frame->getTitle());
    }
    const bool withdrawn = paletteUndoWithdrawn_;
    const int index = nIndex_;
    const GenerationResult saved =
        saveDiagram(*this, *this, *theTCLWrapper_, result.filename, result.path, result.comment);
    if (!saved.ok) {
        for (auto& [frame, title] : titles) {
            frame->setTitle(title);
        }
        nIndex_ = index;
        paletteUndoWithdrawn_ = withdrawn;
        view_.paletteChanged();
        repaintAll();
        view_.showMessageLater(seLanguage::saveScenarioText,
                               notSavedMessage(result.filename, saved.failure),
                               MessageKind::Exclamation);
        return;
    }
    BuilderState::clearFileChanged();
    // The saved state is the renumbered one.
    history_.replaceCurrent(documentState());
    history_.markSaved();
    view_.historyChanged();
    if (result.confirmedName) {
        loadedFileName_ = *result.confirmedName;
    }
    setScenarioName(result.filename);
    proposedComment_.clear();
    if (commands_.scenarioFileUsed) {
        commands_.scenarioFileUsed(result.path + result.filename);
    }
}

void ScenarioEditorCore::loadScenario(const SaveLoadResult& result, LoadKind kind) {
    LoadReport report;
    {
        const HistoryPause pause(recording_);
        report = DiagramLoader(*this, *this, *theTCLWrapper_)
                     .createDiagramFromFile(result.filename, result.path);
    }
    restartHistory();
    if (report.outcome != LoadReport::Outcome::Loaded) {
        // What is on the canvas is a new scenario: the next save asks for a
        // name and does not overwrite the file that could not be read.
        setScenarioName(seLanguage::newScenarioText);
        loadedFileName_ = NEW_FILE_NAME;
        proposedComment_.clear();
        std::string text = fillIn(seLanguage::loadFailedText, {result.filename}) + "\n";
        if (report.outcome == LoadReport::Outcome::CannotOpen) {
            text += seLanguage::loadCannotOpenText;
        } else {
            text += seLanguage::loadDamagedText + "\n" + report.error;
        }
        view_.showMessageLater(seLanguage::loadScenarioText, text, MessageKind::Exclamation);
        return;
    }
    setScenarioName(result.filename);
    if (kind == LoadKind::Lesson) {
        // Saving asks for a name and does not list the lesson as recent.
        loadedFileName_ = NEW_FILE_NAME;
        proposedComment_ = result.comment;
    } else {
        if (result.confirmedName) {
            loadedFileName_ = *result.confirmedName;
        }
        proposedComment_.clear();
        if (commands_.scenarioFileUsed) {
            commands_.scenarioFileUsed(result.path + result.filename);
        }
    }
    if (!report.skipped.empty()) {
        std::string text = fillIn(seLanguage::loadSkippedText, {result.filename});
        for (const std::string& line : report.skipped) {
            text += "\n" + line;
        }
        view_.showMessageLater(seLanguage::loadScenarioText, text, MessageKind::Exclamation);
    }
}

void ScenarioEditorCore::loadScenarioFile(const std::string& fullPath) {
    if (commands_.saveLoadDialogOpen && commands_.saveLoadDialogOpen()) {
        sendTheBeep();
        return;
    }
    SaveLoadResult result;
    const auto slash = fullPath.find_last_of('/');
    result.path = slash == std::string::npos ? "" : fullPath.substr(0, slash + 1);
    result.filename = fullPath.substr(result.path.size());
    result.fileExists = true;
    const auto dot = result.filename.rfind('.');
    result.confirmedName =
        dot == std::string::npos ? result.filename : result.filename.substr(0, dot);
    onSaveLoadDialogExit(false, result);
    unselectAll();
    startRefreshConnectionsTimer();
}

void ScenarioEditorCore::loadLesson(const std::string& path, const std::string& filename,
                                    const std::string& comment) {
    if ((commands_.saveLoadDialogOpen && commands_.saveLoadDialogOpen()) || !theTCLWrapper_) {
        sendTheBeep();
        return;
    }
    SaveLoadResult result;
    result.path = path;
    result.filename = filename;
    result.comment = comment;
    result.fileExists = true;
    loadScenario(result, LoadKind::Lesson);
    unselectAll();
    startRefreshConnectionsTimer();
}

} // namespace crvl
