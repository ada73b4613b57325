#pragma once

// The scenario editor without its window: the open document (the frames in
// canvas order and the connection list), the palette selection and the
// DrawState machine, frame creation and numbering, deletion, the history of
// edits with undo and redo, copy and paste, the canvas size rule, the two
// refresh timers, the element dialog hand-off and the save/load hand-off. It
// talks to its window through EditorView, so it runs and is tested without a
// display. Its work is kept in one file per role: scenario_editor_core.cpp
// (the document and its dispatch), scenario_editor_palette.cpp,
// scenario_editor_connections.cpp, scenario_editor_history.cpp and
// scenario_editor_files.cpp.

#include "builder/editor/edit_history.h"
#include "builder/editor/editor_view.h"
#include "builder/editor/palette.h"
#include "builder/editor/unsaved_changes.h"
#include "builder/io/tcl_code_loader.h"
#include "builder/model/frame_editor.h"
#include "builder/model/scenario_frame.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace crvl {

class ScenarioElement;
class TclControl;

class ScenarioEditorCore : public FrameEditor, public DiagramHost {
public:
    static constexpr int REFRESH_TIMERS_STOP = -1;
    static constexpr int REFRESH_TIMER_STARTVAL = 2;
    static constexpr int REFRESH_CONNECTION_TIMER_STARTVAL = 2;
    static constexpr Size INITIAL_PANEL_SIZE{800, 1810};
    static constexpr int PANEL_MARGIN = 20;
    static constexpr int SCROLL_STEP = 20;

    explicit ScenarioEditorCore(EditorView& view);
    ~ScenarioEditorCore() override;

    EditorCommands& commands() { return commands_; }

    // Start-up: the language table and the file access object for the base
    // directory, then the start frame; ends in SELECTING.
    void init(const std::string& baseDirectory);

    // ---- FrameEditor
    std::vector<ScenarioFrame*> frames() const override;
    Size canvasSize() const override { return canvasSize_; }
    DrawState drawState() const override { return drawState_; }
    std::vector<Connection*> connections() const override;
    void addConnection(std::unique_ptr<Connection> connection) override;
    void removeAllConnections(ScenarioFrame& frame) override;
    void unselectFrameIcons() override;
    void repaintAll() override;
    void repaintCanvas(Rect canvasRegion) override;
    void resizePanelToFit() override;
    void startRefreshConnectionsTimer() override;
    bool getPrinting() const override { return printing_; }
    FontSpec getPrintingFont() const override;
    void sendTheBeep() override;
    void consoleLine(std::string_view line) override;
    void messageBox(const std::string& title, const std::string& text, MessageKind kind) override;
    void resetUndo() override;
    void fileChanged() override;
    void frameRequest(ScenarioFrame& frame, const std::string& command) override;
    void frameMoved(ScenarioFrame& frame) override;
    void deleteTool_actionPerformed() override;
    void showStateTransition(ScenarioFrame& source) override;

    // ---- DiagramHost
    void deleteCurrentDiagram() override;
    ScenarioFrame& addLoadedFrame(const std::string& title, Point location) override;
    void setNindex() override;
    void showLoadSaveStatus(int count) override;

    // ---- palette and states
    // A press on a palette entry.
    void selectTheObject(PaletteTool tool);
    // Back to SELECTING with nothing selected (a press on the select tool).
    void unselectAll() { selectTheObject(PaletteTool::selectTool); }
    std::optional<PaletteTool> selectedTool() const { return selectedTool_; }
    // The entry that shows its selected picture, if any.
    std::optional<PaletteTool> highlightedTool() const { return highlightedTool_; }
    std::string_view toolImage(PaletteTool tool) const;

    // A press on the empty canvas; altOnly: left button with Alt and no
    // other modifier.
    void bigPanel_MouseClick(Point canvasPoint, bool altOnly);

    // ---- frames
    int nIndex() const { return nIndex_; }
    ScenarioFrame* selectedFrameIcon() const { return selectedFrameIcon_; }

    // ---- connections
    void removeSelectedConnection();
    Connection* checkIfHitOnLine(int x, int y);
    void drawAllConnections();

    // ---- history
    // The palette's undo tool: the last step, when it was a deletion and no
    // save came after it.
    void undoTool_mouseClicked();
    bool undoItemsExist() const;
    // What that deletion took away: the frame's saved text as it was, then
    // the connections that went with it; empty when undoItemsExist is false.
    const std::string& undoString() const;
    // The Edit menu's Undo and Redo; both beep when there is nothing to do.
    void undo();
    void redo();
    bool canUndo() const { return history_.canUndo(); }
    bool canRedo() const { return history_.canRedo(); }
    // "Undo Create Frame3", or "Undo" when there is nothing to undo.
    std::string undoText() const;
    std::string redoText() const;
    const EditHistory& history() const { return history_; }
    // The document as the history keeps it.
    DocumentState documentState() const;

    // ---- copy and paste
    // The selected frames with the connections among them, as saved-diagram
    // text; empty (and a beep) when no frame is selected.
    std::string copySelection();
    // Adds the frames of a saved-diagram text 20 pixels from where they
    // were, with new numbers, and the connections among them, selected.
    // Beeps at a text without frames; refuses with the frame limit's
    // message when the canvas would hold more than 20 frames.
    void paste(const std::string& text);
    static constexpr int PASTE_OFFSET = 20;

    // ---- canvas size
    Size getMinimumPanelSize() const;
    // The scroll view's new size: the canvas grows to at least fill it.
    void viewportResized(Size view);

    // ---- refresh timers, ticked by the main window's loop
    void startRefreshTimer();
    void decrementRefreshTimer();
    bool refreshTimerTimeout() const { return refreshTimer_ == 0; }
    void refreshTimer_TimerEvent();
    void decrementRefreshConnectionsTimer();
    bool refreshConnectionsTimerTimeout() const { return refreshConnectionsTimer_ == 0; }
    void refreshConnectionsTimer_TimerEvent();
    // One tick of the loop: the connections timer, then the refresh timer.
    void tickTimers();
    int refreshTimer() const { return refreshTimer_; }
    int refreshConnectionsTimer() const { return refreshConnectionsTimer_; }
    void refreshScreen();

    // ---- element dialogs
    void onActionRequest(ScenarioFrame& frame, int part);
    void onEventRequest(ScenarioFrame& frame, int part);
    void onScenarioElementOk(const ScenarioElement& element);
    // command: READ_OK_ACTION, READ_CANCEL_ACTION or anything else.
    void onElementDialogReport(const std::string& command, const ScenarioElement& element);

    // ---- New, Load, Save and the save/load dialog's reports
    void newTool_mouseClicked(UnsavedChanges changes = UnsavedChanges::Ask);
    void loadTool_mouseClicked(UnsavedChanges changes = UnsavedChanges::Ask);
    void saveTool_mouseClicked();
    void printTool_mouseClicked();
    void newDiagram();
    // Brings Frame0 into the canvas view.
    void showStartFrame();
    // command: SAVE_OK_ACTION, LOAD_OK_ACTION or SAVELOAD_CANCEL_ACTION.
    void onSaveLoadDialogReport(const std::string& command, const SaveLoadResult& result);
    void onSaveLoadDialogExit(bool isSave, const SaveLoadResult& result);
    // Loads a scenario file by its full path, as the load dialog's OK does
    // (the caller has asked about unsaved changes); beeps while a save/load
    // dialog is open.
    void loadScenarioFile(const std::string& fullPath);
    // Opens a shipped lesson as a new, unsaved scenario named after it: the
    // next Save asks for a name, proposes the lesson's comment and writes
    // into scenarios/, never back into the lessons (the caller has asked
    // about unsaved changes).
    void loadLesson(const std::string& path, const std::string& filename,
                    const std::string& comment);
    // The comment the save dialog proposes when the file it would write has
    // none of its own: the open lesson's, or empty.
    const std::string& proposedComment() const { return proposedComment_; }
    const std::string& scenarioName() const { return scenarioName_; }
    // The name last confirmed with OK in a save or load dialog whose file was
    // then written or read; NEW_FILE_NAME for a new scenario.
    const std::string& loadedFileName() const { return loadedFileName_; }
    static inline const std::string NEW_FILE_NAME = "newFile";
    TclControl* getTclControl() const { return theTCLWrapper_.get(); }

    // ---- printing
    void setPrinting(bool printing) { printing_ = printing; }
    void setPrintingFont(std::optional<FontSpec> font) { printingFont_ = std::move(font); }

private:
    ScenarioFrame& makeFrame(const std::string& title, Point location);
    void removeFrame(ScenarioFrame& frame);
    std::string connectionsText() const;
    void setScenarioName(std::string name);
    void requestElement(ScenarioFrame& frame, int part, PaletteGroup group);
    Status restoreFrame(const std::string& header, SavedLineReader& lines);
    // Puts the saved-diagram text on the canvas, keeping the frames it holds
    // as they are; stops at the first frame or connection it cannot read.
    Status rebuildDiagram(const std::string& diagram);
    // Each copied title with the title of its pasted frame.
    using PastedTitles = std::vector<std::pair<std::string, std::string>>;
    // Adds the pasted frames, numbered anew and moved by offset, selected.
    PastedTitles placePastedFrames(const std::vector<SavedFrame>& pasted, int offset);
    void saveScenario(const SaveLoadResult& result);
    // A scenario is opened to be saved over; a lesson is opened as a copy.
    enum class LoadKind { Scenario, Lesson };
    void loadScenario(const SaveLoadResult& result, LoadKind kind = LoadKind::Scenario);
    // Records the edit just made as a step, unless it changed nothing.
    void recordStep(std::string name, StepKind kind = StepKind::Edit, std::string removed = {});
    void restartHistory();
    void showState(const DocumentState& state);
    void historyMoved();

    EditorView& view_;
    EditorCommands commands_;
    std::vector<std::unique_ptr<ScenarioFrame>> frames_;
    std::vector<std::unique_ptr<Connection>> theConnections_;
    std::unique_ptr<TclControl> theTCLWrapper_;

    std::optional<PaletteTool> selectedTool_ = PaletteTool::selectTool;
    std::optional<PaletteTool> highlightedTool_ = PaletteTool::selectTool;
    DrawState drawState_ = DrawState::SELECTING;
    ScenarioFrame* selectedFrameIcon_ = nullptr;
    int savedComponent_ = UNDEFINED;
    int nIndex_ = 0;
    // The text pasted last and how often in a row.
    std::string lastPasted_;
    int pasteCount_ = 0;

    EditHistory history_;
    // Loading, restoring and pasting make many changes that form one step
    // or none.
    bool recording_ = true;
    // A save withdraws the palette's undo of the deletion before it.
    bool paletteUndoWithdrawn_ = false;

    Size canvasSize_ = INITIAL_PANEL_SIZE;
    int prevWidth_ = 0;
    int prevHeight_ = 0;
    int refreshTimer_ = REFRESH_TIMERS_STOP;
    int refreshConnectionsTimer_ = REFRESH_TIMERS_STOP;

    std::string scenarioName_;
    std::string loadedFileName_ = NEW_FILE_NAME;
    std::string proposedComment_;
    bool printing_ = false;
    std::optional<FontSpec> printingFont_;
};

} // namespace crvl
