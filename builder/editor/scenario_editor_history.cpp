#include "builder/editor/scenario_editor_core.h"

// The scenario editor's history and clipboard: recording the steps, undo and
// redo (the Edit menu's and the palette's), copy and paste.

#include "builder/core/builder_services.h"
#include "builder/core/builder_settings.h"
#include "builder/core/se_language.h"
#include "builder/editor/history_pause.h"
#include "builder/io/scenario_saving.h"
#include "builder/model/connection.h"
#include "builder/model/saved_diagram_tags.h"
#include "builder/model/saved_text.h"
#include "builder/model/scenario_element.h"
#include "builder/model/scenario_frame.h"

#include <algorithm>
#include <optional>

namespace crvl {

namespace {

using namespace saved_diagram;

// The frame blocks of a saved-diagram text, each as the frame writes it.
std::vector<std::string> frameBlocks(const std::string& text) {
    std::vector<std::string> blocks;
    for (auto at = text.find(kFrameHeader); at != std::string::npos;
         at = text.find(kFrameHeader, at)) {
        // With its line end, so that "#EndFrameIconComponents" is not taken.
        const std::string blockEnd = std::string(kFrameEnd) + "\n";
        const auto end = text.find(blockEnd, at);
        if (end == std::string::npos) {
            break;
        }
        blocks.push_back(text.substr(at, end + blockEnd.size() - at));
        at = end;
    }
    return blocks;
}

// The connection lines of a saved-diagram text.
std::vector<std::string> connectionLines(const std::string& text) {
    std::vector<std::string> lines;
    const std::string section = std::string(kConnections) + "\n";
    const auto at = text.find(section);
    if (at == std::string::npos) {
        return lines;
    }
    SavedLineReader reader(text.substr(at + section.size()));
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

// Each copied title with the title of its pasted frame.
using PastedTitles = std::vector<std::pair<std::string, std::string>>;

// What a saved-diagram text on the clipboard holds: its frames, each element
// as the element reads its text, and its connection lines.
struct ClipboardDiagram {
    std::vector<SavedFrame> frames;
    std::vector<std::string> connections;
};

// A failure at a damaged frame block.
Result<ClipboardDiagram> readClipboardDiagram(const std::string& text) {
    ClipboardDiagram diagram;
    SavedLineReader reader(text);
    while (auto line = reader.next()) {
        if (line->starts_with(kFrameHeader)) {
            Result<SavedFrame> read = readFrameIconComponent(*line, reader);
            if (!read.ok()) {
                return read.status();
            }
            diagram.frames.push_back(std::move(read).value());
            // The frames keep each element as the element reads its text:
            // text from elsewhere may hold what no dialog writes.
            SavedFrame& frame = diagram.frames.back();
            for (SavedElement& action : frame.actions) {
                ownReading(action);
            }
            for (auto& output : frame.outputs) {
                if (output) {
                    ownReading(*output);
                }
            }
        } else if (*line == kConnections) {
            while (auto connection = reader.next()) {
                if (*connection == kConnectionsEnd) {
                    break;
                }
                diagram.connections.push_back(*connection);
            }
        }
    }
    return diagram;
}

// A copied connection line between the pasted frames, by their new titles;
// none for a connection to a frame that was not copied.
std::optional<std::string> renamedConnection(const std::string& line, const PastedTitles& titles) {
    auto pastedTitle = [&](const std::string& copied) -> const std::string* {
        for (const auto& [from, to] : titles) {
            if (from == copied) {
                return &to;
            }
        }
        return nullptr;
    };
    const std::vector<std::string> fields = connectionFields(line);
    const std::string* source = fields.size() >= 4 ? pastedTitle(fields[0]) : nullptr;
    const std::string* dest = fields.size() >= 4 ? pastedTitle(fields[1]) : nullptr;
    if (source == nullptr || dest == nullptr) {
        return std::nullopt;
    }
    std::string rebuilt = "#" + *source + "\t" + *dest;
    for (std::size_t k = 2; k < fields.size(); ++k) {
        rebuilt += "\t" + fields[k];
    }
    return rebuilt;
}

} // namespace

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

Status ScenarioEditorCore::restoreFrame(const std::string& header, SavedLineReader& lines) {
    const Result<SavedFrame> saved = readFrameIconComponent(header, lines);
    if (!saved.ok()) {
        return saved.status();
    }
    ScenarioFrame& frame = addLoadedFrame(saved.value().title, saved.value().location);
    fillFrame(frame, saved.value());
    return Status::Ok();
}

// Frames the state holds as they are stay where they are; the others are
// rebuilt and come to the front, at the end of the canvas order. The
// connections are rebuilt in their order.
void ScenarioEditorCore::showState(const DocumentState& state) {
    const HistoryPause pause(recording_);
    if (const Status rebuilt = rebuildDiagram(state.diagram); !rebuilt.ok()) {
        consoleLine("Undo error: " + rebuilt.message());
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

Status ScenarioEditorCore::rebuildDiagram(const std::string& diagram) {
    for (const auto& connection : theConnections_) {
        connection->EraseLine(*this);
    }
    theConnections_.clear();
    std::vector<std::string> wanted = frameBlocks(diagram);
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
            if (Status restored = restoreFrame(*header, lines); !restored.ok()) {
                return restored;
            }
        }
    }
    for (const std::string& line : connectionLines(diagram)) {
        Result<std::unique_ptr<Connection>> connection = Connection::fromString(*this, line);
        if (!connection.ok()) {
            return connection.status();
        }
        addConnection(std::move(connection).value());
    }
    return Status::Ok();
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
    Result<ClipboardDiagram> read = readClipboardDiagram(text);
    if (!read.ok()) {
        consoleLine("Paste error: " + read.message());
    }
    const ClipboardDiagram pasted = read.ok() ? std::move(read).value() : ClipboardDiagram{};
    if (pasted.frames.empty()) {
        sendTheBeep();
        return;
    }
    if (frames_.size() + pasted.frames.size() >
        static_cast<std::size_t>(Parameters::MAX_NUM_OF_FRAMES)) {
        messageBox(seLanguage::createFramesToolText, seLanguage::numOfFramesLimitText,
                   MessageKind::Exclamation);
        return;
    }
    // Each paste of the same frames lands PASTE_OFFSET further than the one
    // before, so that the copies do not hide under each other.
    if (text == lastPasted_) {
        ++pasteCount_;
    } else {
        lastPasted_ = text;
        pasteCount_ = 1;
    }
    // Far enough to stay apart, never far enough to overflow.
    constexpr int kMaxPasteRepeat = 1000;
    pasteCount_ = std::min(pasteCount_, kMaxPasteRepeat);
    unselectFrameIcons();
    {
        const HistoryPause pause(recording_);
        const PastedTitles titles = placePastedFrames(pasted.frames, PASTE_OFFSET * pasteCount_);
        for (const std::string& line : pasted.connections) {
            const std::optional<std::string> renamed = renamedConnection(line, titles);
            if (!renamed) {
                continue; // a connection to a frame that was not copied
            }
            Result<std::unique_ptr<Connection>> connection =
                Connection::fromString(*this, *renamed);
            if (connection.ok()) {
                addConnection(std::move(connection).value());
            } else {
                consoleLine("Connection dropped: " + connection.message());
            }
        }
    }
    resizePanelToFit();
    repaintAll();
    startRefreshConnectionsTimer();
    recordStep(seLanguage::stepPaste);
}

PastedTitles ScenarioEditorCore::placePastedFrames(const std::vector<SavedFrame>& pasted,
                                                   int offset) {
    // Far beyond any canvas, and far from overflowing.
    constexpr int kMaxPlace = 100000;
    PastedTitles titles;
    std::vector<ScenarioFrame*> made;
    for (const SavedFrame& saved : pasted) {
        const Point at{std::clamp(saved.location.x, 0, kMaxPlace) + offset,
                       std::clamp(saved.location.y, 0, kMaxPlace) + offset};
        ScenarioFrame& frame = addLoadedFrame("Frame" + std::to_string(++nIndex_), at);
        fillFrame(frame, saved);
        titles.emplace_back(saved.title, frame.getTitle());
        made.push_back(&frame);
    }
    // Each new frame unselects the others: select them all at the end.
    for (ScenarioFrame* frame : made) {
        frame->select();
    }
    return titles;
}

} // namespace crvl
