#include "builder/editor/scenario_editor_core.h"

// The scenario editor's files: New, Load and Save, the save/load dialog's
// reports, and opening a scenario file or a shipped lesson.

#include "builder/core/builder_services.h"
#include "builder/core/builder_settings.h"
#include "builder/core/se_language.h"
#include "builder/core/tcl_control.h"
#include "builder/editor/history_pause.h"
#include "builder/editor/lesson_library.h"
#include "builder/io/scenario_saving.h"
#include "builder/io/tcl_code_generator.h"
#include "builder/model/connection.h"
#include "builder/model/scenario_frame.h"

namespace crvl {

namespace {

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
    case SaveFailure::FolderNotWritable:
        reason = seLanguage::notSavedFolderNotWritableText;
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

void ScenarioEditorCore::loadTool_mouseClicked(UnsavedChanges changes) {
    if (commands_.saveLoadDialogOpen && commands_.saveLoadDialogOpen()) {
        sendTheBeep();
        return;
    }
    if (changes == UnsavedChanges::Ask && BuilderState::isFileChanged()) {
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

void ScenarioEditorCore::newTool_mouseClicked(UnsavedChanges changes) {
    if (commands_.saveLoadDialogOpen && commands_.saveLoadDialogOpen()) {
        sendTheBeep();
        return;
    }
    if (changes == UnsavedChanges::Ask && BuilderState::isFileChanged()) {
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
            addLoadedFrame(seLanguage::NAME_STARTFRAME, DiagramLoader::EMPTY_FRAME0_LOCATION);
        }
        setNindex();
    }
    unselectFrameIcons();
    BuilderState::clearFileChanged();
    restartHistory();
    showStartFrame();
}

void ScenarioEditorCore::showStartFrame() {
    // A new or loaded drawing is seen from its start, wherever the view
    // stood in the drawing before.
    if (const ScenarioFrame* start = stringToFrameIconComponent(seLanguage::NAME_STARTFRAME)) {
        view_.showFrame(*start);
    }
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
    if (!saved.ok()) {
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
    BuilderState::clearFileChanged();
    restartHistory();
    showStartFrame();
    if (report.outcome != LoadReport::Outcome::Loaded) {
        // What is on the canvas is a new scenario: the next save asks for a
        // name and does not overwrite the file that could not be read.
        setScenarioName(seLanguage::newScenarioText);
        loadedFileName_ = NEW_FILE_NAME;
        proposedComment_.clear();
        std::string text = fillIn(seLanguage::loadFailedText, {result.filename}) + "\n";
        switch (report.outcome) {
        case LoadReport::Outcome::CannotOpen:
            text += seLanguage::loadCannotOpenText;
            break;
        case LoadReport::Outcome::NoDiagram:
            text += seLanguage::loadNoDiagramText;
            break;
        case LoadReport::Outcome::DiagramCut:
            text += seLanguage::loadDiagramCutText;
            break;
        case LoadReport::Outcome::Loaded:
        case LoadReport::Outcome::Damaged:
            text += seLanguage::loadDamagedText + "\n" + report.error;
            break;
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
