#include "builder/editor/scenario_editor_core.h"

// The scenario editor's palette and draw states: a press on a palette entry
// or on the empty canvas, the delete tool, and the element dialogs that an
// element tool opens on a frame.

#include "builder/core/builder_settings.h"
#include "builder/core/se_language.h"
#include "builder/model/connection.h"
#include "builder/model/saved_diagram_tags.h"
#include "builder/model/scenario_element.h"
#include "builder/model/scenario_frame.h"

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

} // namespace

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
    // Every selected frame goes (Ctrl+click selects several), in one step;
    // an action or an output is deleted on its own.
    std::string deletedTitles;
    for (ScenarioFrame* frame : frames()) {
        std::string saved = frame->toString();
        const int item = frame->selectedItem();
        const DeleteResult result = frame->deleteTheSelectedFrameItem();
        if (result == DeleteResult::Nothing) {
            continue;
        }
        resetUndo();
        undoText += saved;
        if (result == DeleteResult::Frame) {
            if (!deletedTitles.empty()) {
                deletedTitles += ", ";
            }
            deletedTitles += frame->getTitle();
            name = fillIn(seLanguage::stepDeleteFrame, {deletedTitles});
            removeFrame(*frame);
            continue;
        }
        const std::string& text =
            item == inputField ? seLanguage::stepDeleteAction : seLanguage::stepClearOutput;
        name = fillIn(text, {frame->getTitle()});
        break;
    }
    if (undoText.empty()) {
        removeSelectedConnection();
    }
    if (theConnections_.size() != countBefore) {
        resetUndo();
        const auto removed = removedLines(before, connectionsText());
        if (!removed.empty()) {
            undoText += std::string(saved_diagram::kConnections) + "\n";
            for (const std::string& line : removed) {
                undoText += line + "\n";
            }
            undoText += std::string(saved_diagram::kConnectionsEnd) + "\n";
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

} // namespace crvl
