#include "scenario_editor_core.h"

#include "builder_console.h"
#include "builder_services.h"
#include "connection.h"
#include "parameters.h"
#include "scenario_element.h"
#include "scenario_error.h"
#include "scenario_frame.h"
#include "scenario_saving.h"
#include "se_language.h"
#include "state_table.h"
#include "tcl_code_generator.h"
#include "tcl_control.h"

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

// The second tab-, CR- or LF-separated field of a line, or nothing.
std::optional<std::string> secondField(std::string_view line) {
    int field = 0;
    std::size_t start = 0;
    while (start < line.size()) {
        const auto end = line.find_first_of("\t\r\n", start);
        const auto stop = end == std::string_view::npos ? line.size() : end;
        if (stop > start && ++field == 2) {
            return std::string(line.substr(start, stop - start));
        }
        start = stop + 1;
    }
    return std::nullopt;
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
    DiagramLoader(*this, *this, *theTCLWrapper_).loadFrame0();
    setNindex();
    unselectAll();
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
    undoString_.clear();
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
    for (ScenarioFrame* frame : frames()) {
        std::string saved = frame->toString();
        const DeleteResult result = frame->deleteTheSelectedFrameItem();
        if (result != DeleteResult::Nothing) {
            resetUndo();
            undoText = std::move(saved);
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
    undoString_ = std::move(undoText);
    view_.paletteChanged();
    resizePanelToFit();
    startRefreshTimer();
    repaintAll();
}

void ScenarioEditorCore::undoTool_mouseClicked() {
    if (undoString_.empty()) {
        sendTheBeep();
        return;
    }
    const std::string text = undoString_;
    undoDeletion(text);
    resetUndo();
    fileChanged();
    unselectFrameIcons();
    repaintAll();
}

void ScenarioEditorCore::restoreFrame(const std::string& header, SavedLineReader& lines) {
    const SavedFrame saved = readFrameIconComponent(header, lines);
    ScenarioFrame& frame = addLoadedFrame(saved.title, saved.location);
    fillFrame(frame, saved);
}

void ScenarioEditorCore::restoreConnection(const std::string& line) {
    addConnection(Connection::fromString(*this, line));
}

void ScenarioEditorCore::undoDeletion(const std::string& text) {
    try {
        SavedLineReader lines(text);
        while (auto line = lines.next()) {
            if (line->starts_with("#FrameIconComponent")) {
                const auto title = secondField(*line);
                if (!title) {
                    throw ScenarioFormatError("frame line without a title: " + *line);
                }
                std::vector<std::string> dropped;
                if (ScenarioFrame* existing = stringToFrameIconComponent(*title)) {
                    // Only an item of it was deleted: replace the frame whole.
                    const std::string before = connectionsText();
                    if (*title == seLanguage::NAME_STARTFRAME) {
                        existing->setTitle("Frame99999");
                    }
                    removeAllConnections(*existing);
                    removeFrame(*existing);
                    dropped = removedLines(before, connectionsText());
                }
                restoreFrame(*line, lines);
                setNindex();
                resizePanelToFit();
                for (const std::string& connection : dropped) {
                    restoreConnection(connection);
                }
            } else if (*line == "#Connections") {
                while (auto connection = lines.next()) {
                    if (*connection == "#EndConnections") {
                        break;
                    }
                    restoreConnection(*connection);
                }
            }
        }
    } catch (const std::exception& error) {
        consoleLine(std::string("Undo error: ") + error.what());
        sendTheBeep();
    }
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
    deleteCurrentDiagram();
    setScenarioName(seLanguage::newScenarioText);
    if (theTCLWrapper_) {
        DiagramLoader(*this, *this, *theTCLWrapper_).loadFrame0();
    } else {
        addLoadedFrame(seLanguage::NAME_STARTFRAME, {100, 20});
    }
    setNindex();
    unselectFrameIcons();
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
    // Saving renumbers the frames and ends the undo; a save that fails
    // gives both back, so the drawing is as it was before.
    std::vector<std::pair<ScenarioFrame*, std::string>> titles;
    for (const auto& frame : frames_) {
        titles.emplace_back(frame.get(), frame->getTitle());
    }
    const std::string undo = undoString_;
    const int index = nIndex_;
    const GenerationResult saved =
        saveDiagram(*this, *this, *theTCLWrapper_, result.filename, result.path, result.comment);
    if (!saved.ok) {
        for (auto& [frame, title] : titles) {
            frame->setTitle(title);
        }
        nIndex_ = index;
        undoString_ = undo;
        view_.paletteChanged();
        repaintAll();
        view_.showMessageLater(seLanguage::saveScenarioText,
                               notSavedMessage(result.filename, saved.failure),
                               MessageKind::Exclamation);
        return;
    }
    BuilderState::clearFileChanged();
    if (result.confirmedName) {
        loadedFileName_ = *result.confirmedName;
    }
    setScenarioName(result.filename);
}

void ScenarioEditorCore::loadScenario(const SaveLoadResult& result) {
    const LoadReport report = DiagramLoader(*this, *this, *theTCLWrapper_)
                                  .createDiagramFromFile(result.filename, result.path);
    if (report.outcome != LoadReport::Outcome::Loaded) {
        // What is on the canvas is a new scenario: the next save asks for a
        // name and does not overwrite the file that could not be read.
        setScenarioName(seLanguage::newScenarioText);
        loadedFileName_ = NEW_FILE_NAME;
        std::string text = fillIn(seLanguage::loadFailedText, {result.filename}) + "\n";
        if (report.outcome == LoadReport::Outcome::CannotOpen) {
            text += seLanguage::loadCannotOpenText;
        } else {
            text += seLanguage::loadDamagedText + "\n" + report.error;
        }
        view_.showMessageLater(seLanguage::loadScenarioText, text, MessageKind::Exclamation);
        return;
    }
    if (result.confirmedName) {
        loadedFileName_ = *result.confirmedName;
    }
    setScenarioName(result.filename);
    if (!report.skipped.empty()) {
        std::string text = fillIn(seLanguage::loadSkippedText, {result.filename});
        for (const std::string& line : report.skipped) {
            text += "\n" + line;
        }
        view_.showMessageLater(seLanguage::loadScenarioText, text, MessageKind::Exclamation);
    }
}

} // namespace crvl
