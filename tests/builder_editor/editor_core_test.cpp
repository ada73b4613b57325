// The editor's logic without a window: palette and draw states, frame
// creation and numbering, delete and undo, the canvas size rule, the refresh
// timers and the element dialog hand-off.

#include "builder/core/builder_console.h"
#include "builder/core/builder_services.h"
#include "builder/core/builder_settings.h"
#include "builder/core/se_language.h"
#include "builder/editor/scenario_editor_core.h"
#include "builder/model/connection.h"
#include "builder/model/scenario_frame.h"
#include "tests/builder_editor/editor_gestures.h"
#include "tests/builder_editor/recording_view.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <string>
#include <vector>

namespace crvl::test {
namespace {

const std::string kDataDir = std::string(CRVL_SOURCE_DIR) + "/builder/data/";

class EditorCoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        seLanguage::restoreDefaults();
        previousSink_ =
            setConsoleSink([this](std::string_view line) { console.emplace_back(line); });
        view.core = &core;
        core.init(kDataDir);
        BuilderState::clearFileChanged();
        view.beeps = 0;
    }
    void TearDown() override {
        setConsoleSink(previousSink_);
        BuilderState::clearFileChanged();
    }

    ScenarioFrame& frame(const std::string& title) { return frameTitled(core, title); }
    ScenarioFrame& create(Point at) { return createFrame(core, at); }
    std::vector<std::string> titles() const { return frameTitles(core); }
    void addAction(ScenarioFrame& f, PaletteTool tool) {
        core.selectTheObject(tool);
        pressRow(f, 0);
    }
    void connect(ScenarioFrame& from, int box, ScenarioFrame& to) {
        core.addConnection(std::make_unique<Connection>(from, to, box + 1, inputField, false));
    }
    std::string connectionLines() const {
        std::string text;
        for (const Connection* c : core.connections()) {
            text += c->toString();
        }
        return text;
    }

    RecordingView view;
    ScenarioEditorCore core{view};
    std::vector<std::string> console;

private:
    ConsoleSink previousSink_;
};

TEST_F(EditorCoreTest, StartsWithTheTemplateStartFrameInSelecting) {
    EXPECT_EQ(titles(), std::vector<std::string>{"Frame0"});
    EXPECT_EQ(core.drawState(), DrawState::SELECTING);
    EXPECT_EQ(core.selectedTool(), PaletteTool::selectTool);
    EXPECT_EQ(core.toolImage(PaletteTool::selectTool), "picts/select.gif");
    EXPECT_EQ(core.toolImage(PaletteTool::createFramesTool), "picts/no_create.gif");
    EXPECT_EQ(core.toolImage(PaletteTool::undoTool), "picts/no_UndoDisabled.gif");
    EXPECT_EQ(view.scenarioName, "New Scenario");
    EXPECT_EQ(core.nIndex(), 0);
}

TEST_F(EditorCoreTest, ModeToolsSetTheDrawState) {
    const std::pair<PaletteTool, DrawState> cases[] = {
        {PaletteTool::createFramesTool, DrawState::CREATING},
        {PaletteTool::linkFramesTool, DrawState::CONNECTING},
        {PaletteTool::ecgActionTool, DrawState::EDITING},
        {PaletteTool::cprEventTool, DrawState::EDITING},
        {PaletteTool::selectTool, DrawState::SELECTING},
    };
    for (const auto& [tool, state] : cases) {
        core.selectTheObject(tool);
        EXPECT_EQ(core.drawState(), state);
        EXPECT_EQ(core.selectedTool(), tool);
        EXPECT_EQ(core.highlightedTool(), tool);
    }
    EXPECT_EQ(core.toolImage(PaletteTool::selectTool), "picts/select.gif");
    core.selectTheObject(PaletteTool::linkFramesTool);
    EXPECT_EQ(core.toolImage(PaletteTool::linkFramesTool), "picts/link.gif");
    EXPECT_EQ(core.toolImage(PaletteTool::selectTool), "picts/no_select.gif");
}

TEST_F(EditorCoreTest, CreateToolMakesOneFrameThenReturnsToSelect) {
    ScenarioFrame& made = create({300, 200});
    EXPECT_EQ(made.getTitle(), "Frame1");
    EXPECT_EQ(made.location(), (Point{300, 200}));
    EXPECT_EQ(core.drawState(), DrawState::SELECTING);
    EXPECT_EQ(core.selectedTool(), PaletteTool::selectTool);
    EXPECT_TRUE(BuilderState::isFileChanged());

    core.bigPanel_MouseClick({500, 500}, false); // no second frame without the tool
    EXPECT_EQ(core.frames().size(), 2u);
}

TEST_F(EditorCoreTest, TwentiethFrameIsAcceptedTheTwentyFirstRefused) {
    for (int k = 1; k < Parameters::MAX_NUM_OF_FRAMES - 1; ++k) {
        create({10 * k, 100 * k});
    }
    ASSERT_EQ(core.frames().size(), 19u);
    create({600, 50});
    EXPECT_EQ(core.frames().size(), 20u);
    EXPECT_TRUE(view.messages.empty());

    core.selectTheObject(PaletteTool::createFramesTool);
    core.bigPanel_MouseClick({650, 80}, false);
    EXPECT_EQ(core.frames().size(), 20u);
    EXPECT_EQ(view.messages,
              std::vector<std::string>{"Create Frames: Can not have more than 20 frames in a "
                                       "scenario."});
    EXPECT_EQ(core.drawState(), DrawState::SELECTING);
    EXPECT_EQ(core.selectedTool(), PaletteTool::selectTool);
}

TEST_F(EditorCoreTest, DeletingAFrameLeavesAGapInTheNumbers) {
    create({100, 200});
    create({100, 400});
    pressBorder(frame("Frame1"));
    core.deleteTool_actionPerformed();
    EXPECT_EQ(titles(), (std::vector<std::string>{"Frame0", "Frame2"}));
    EXPECT_EQ(create({400, 400}).getTitle(), "Frame3");
}

TEST_F(EditorCoreTest, FrameRestoredByUndoNeverSharesATitleWithTheNextFrame) {
    create({100, 200});
    create({100, 400});
    pressBorder(frame("Frame2"));
    core.deleteTool_actionPerformed();
    create({100, 600}); // Frame3
    pressBorder(frame("Frame1"));
    core.deleteTool_actionPerformed();
    core.selectTheObject(PaletteTool::undoTool);
    EXPECT_EQ(titles(), (std::vector<std::string>{"Frame0", "Frame3", "Frame1"}));
    EXPECT_EQ(create({500, 500}).getTitle(), "Frame4");
}

TEST_F(EditorCoreTest, UndoOfAnActionLineRestoresTheFrameWithItsConnections) {
    ScenarioFrame& f1 = create({100, 200});
    ScenarioFrame& f2 = create({100, 400});
    connect(frame("Frame0"), 1, f1);
    connect(f1, 1, f2);
    addAction(f1, PaletteTool::motionActionTool);
    addAction(f1, PaletteTool::batteryActionTool);
    ASSERT_EQ(f1.rows().size(), 3u);
    const std::string savedFrame = f1.toString();
    const std::string savedConnections = connectionLines();

    core.unselectAll();
    pressRow(f1, 1);
    core.deleteTool_actionPerformed();
    EXPECT_EQ(frame("Frame1").rows().size(), 2u);
    EXPECT_TRUE(core.undoItemsExist());
    EXPECT_EQ(core.undoString(), savedFrame); // no connection went with the line
    EXPECT_EQ(core.toolImage(PaletteTool::undoTool), "picts/no_Undo.gif");

    core.selectTheObject(PaletteTool::undoTool);
    EXPECT_EQ(frame("Frame1").toString(), savedFrame);
    EXPECT_EQ(core.connections().size(), 2u);
    EXPECT_EQ(titles(), (std::vector<std::string>{"Frame0", "Frame2", "Frame1"}));
    for (const Connection* c : core.connections()) {
        EXPECT_NE(savedConnections.find(c->toString()), std::string::npos) << c->toString();
    }
    EXPECT_FALSE(core.undoItemsExist());
}

TEST_F(EditorCoreTest, UndoWorksOnTheStartFrame) {
    ScenarioFrame& f1 = create({100, 300});
    connect(frame("Frame0"), 1, f1);
    addAction(frame("Frame0"), PaletteTool::electrodesActionTool);
    const std::string saved = frame("Frame0").toString();
    core.unselectAll();
    pressRow(frame("Frame0"), 1);
    core.deleteTool_actionPerformed();
    ASSERT_EQ(frame("Frame0").rows().size(), 1u);

    core.selectTheObject(PaletteTool::undoTool);
    EXPECT_EQ(frame("Frame0").toString(), saved);
    EXPECT_EQ(core.stringToFrameIconComponent("Frame99999"), nullptr);
    ASSERT_EQ(core.connections().size(), 1u);
    EXPECT_EQ(core.connections()[0]->getSource().getTitle(), "Frame0");
}

TEST_F(EditorCoreTest, UndoOfAFrameRestoresAllThreeConnectionsAndASecondUndoBeeps) {
    ScenarioFrame& f1 = create({100, 200});
    ScenarioFrame& f2 = create({100, 400});
    connect(frame("Frame0"), 1, f1);
    connect(f1, 1, f2);
    connect(f1, 2, frame("Frame0"));
    connect(f2, 1, frame("Frame0"));
    const std::string before = connectionLines();

    pressBorder(f1);
    core.deleteTool_actionPerformed();
    EXPECT_EQ(core.stringToFrameIconComponent("Frame1"), nullptr);
    EXPECT_EQ(core.connections().size(), 1u);
    EXPECT_NE(core.undoString().find("#Connections\n"), std::string::npos);
    EXPECT_TRUE(core.undoString().ends_with("#EndConnections\n"));

    core.selectTheObject(PaletteTool::undoTool);
    ASSERT_NE(core.stringToFrameIconComponent("Frame1"), nullptr);
    EXPECT_EQ(core.connections().size(), 4u);
    for (const Connection* c : core.connections()) {
        EXPECT_NE(before.find(c->toString()), std::string::npos) << c->toString();
    }
    const int beeps = view.beeps;
    core.selectTheObject(PaletteTool::undoTool);
    EXPECT_EQ(view.beeps, beeps + 1);
    EXPECT_EQ(core.frames().size(), 3u);
    EXPECT_EQ(core.connections().size(), 4u);
}

TEST_F(EditorCoreTest, CreatingConnectingOrConfirmingADialogEndsTheUndo) {
    auto deleteSomething = [&] {
        ScenarioFrame& f = create({500, 500 + 100 * static_cast<int>(core.frames().size())});
        pressBorder(f);
        core.deleteTool_actionPerformed();
        ASSERT_TRUE(core.undoItemsExist());
    };
    deleteSomething();
    create({300, 300});
    EXPECT_FALSE(core.undoItemsExist()) << "creating a frame";

    deleteSomething();
    // A connection drag from Frame0's first output onto another frame.
    ScenarioFrame& target = *core.frames()[1];
    ScenarioFrame& start = frame("Frame0");
    core.selectTheObject(PaletteTool::linkFramesTool);
    const Rect out = start.outputBounds(1);
    start.mousePressed({out.x + 3, out.y + 3}, MouseButton::Left, false);
    const Point onTarget = target.location() - start.location() + Point{20, 10};
    start.mouseDragged(onTarget);
    start.mouseReleased(onTarget);
    ASSERT_EQ(core.connections().size(), 1u);
    EXPECT_FALSE(core.undoItemsExist()) << "making a connection";

    core.unselectAll();
    deleteSomething();
    addAction(frame("Frame0"), PaletteTool::failureActionTool);
    EXPECT_FALSE(core.undoItemsExist()) << "confirming an element dialog";
}

TEST_F(EditorCoreTest, DeleteWithTheLinkToolSelectedDeletesNothing) {
    ScenarioFrame& f1 = create({100, 200});
    pressBorder(f1);
    core.selectTheObject(PaletteTool::linkFramesTool);
    core.deleteTool_actionPerformed();
    EXPECT_EQ(core.frames().size(), 2u);
    EXPECT_EQ(core.drawState(), DrawState::SELECTING);
    EXPECT_EQ(core.selectedTool(), PaletteTool::selectTool);
    EXPECT_FALSE(core.undoItemsExist());
}

TEST_F(EditorCoreTest, DeleteWithNothingSelectedOrOnTheStartFrameBeeps) {
    core.deleteTool_actionPerformed();
    EXPECT_EQ(view.beeps, 1);
    pressBorder(frame("Frame0"));
    core.deleteTool_actionPerformed();
    EXPECT_EQ(view.beeps, 3); // the start frame refuses, then nothing else is found
    EXPECT_EQ(core.frames().size(), 1u);
    EXPECT_FALSE(core.undoItemsExist());
}

TEST_F(EditorCoreTest, CommandToolKeepsTheSelectionAndReturnsToSelect) {
    ScenarioFrame& f1 = create({100, 200});
    pressBorder(f1);
    core.selectTheObject(PaletteTool::undoTool); // nothing to undo
    EXPECT_EQ(view.beeps, 1);
    EXPECT_TRUE(f1.isSelected());
    EXPECT_EQ(core.selectedTool(), PaletteTool::selectTool);
    EXPECT_EQ(core.drawState(), DrawState::SELECTING);
    EXPECT_EQ(core.toolImage(PaletteTool::undoTool), "picts/no_UndoDisabled.gif");

    core.selectTheObject(PaletteTool::selectTool);
    EXPECT_FALSE(f1.isSelected());
}

TEST_F(EditorCoreTest, ElementToolsFillOnlyTheirOwnPart) {
    ScenarioFrame& f0 = frame("Frame0");
    core.selectTheObject(PaletteTool::timeEventTool);
    pressRow(f0, 0); // an event tool on the action list
    EXPECT_EQ(view.beeps, 1);
    EXPECT_TRUE(view.dialogs.empty());

    core.selectTheObject(PaletteTool::ecgActionTool);
    pressOutput(f0, 1); // an action tool on an output box
    EXPECT_EQ(view.beeps, 2);
    EXPECT_TRUE(view.dialogs.empty());

    view.edit = [](ScenarioElement& e) { static_cast<DefibEvent&>(e).setFieldText("3"); };
    core.selectTheObject(PaletteTool::defibEventTool);
    pressOutput(f0, 1);
    EXPECT_EQ(view.dialogs, std::vector<std::string>{"DefibEvent"});
    EXPECT_EQ(f0.output(1).code, "SHK 03");
    EXPECT_EQ(core.drawState(), DrawState::SELECTING);
}

TEST_F(EditorCoreTest, CancelledDialogChangesNothingAndOkRemembersTheEcg) {
    ScenarioFrame& f0 = frame("Frame0");
    view.answer = seLanguage::READ_CANCEL_ACTION;
    addAction(f0, PaletteTool::motionActionTool);
    EXPECT_EQ(f0.rows().size(), 1u);
    EXPECT_EQ(core.drawState(), DrawState::SELECTING);

    view.answer = seLanguage::READ_OK_ACTION;
    view.edit = [](ScenarioElement& e) { static_cast<SetECG&>(e).setRhythm("VF"); };
    addAction(f0, PaletteTool::ecgActionTool);
    ASSERT_EQ(f0.rows().size(), 2u);
    EXPECT_EQ(seLanguage::lastECGAttributes, f0.rows()[1].attributes);
    EXPECT_EQ(core.selectedFrameIcon(), nullptr);
}

TEST_F(EditorCoreTest, CanvasGrowsPastAFrameAndNeverBelowTheFittedMinimum) {
    core.resizePanelToFit();
    EXPECT_EQ(core.canvasSize(), (Size{820, 1830}));

    ScenarioFrame& far = create({900, 1900});
    const Rect r = far.bounds();
    EXPECT_EQ(core.canvasSize(), (Size{r.x + r.width + 20, r.y + r.height + 20}));

    far.setLocation({10, 10});
    core.resizePanelToFit();
    EXPECT_EQ(core.canvasSize(), (Size{820, 1830}));
}

TEST_F(EditorCoreTest, ViewLargerThanTheCanvasFitsItAndRedrawsConnections) {
    core.viewportResized({700, 500});
    EXPECT_EQ(core.refreshConnectionsTimer(), ScenarioEditorCore::REFRESH_TIMERS_STOP);
    core.viewportResized({900, 500});
    EXPECT_EQ(core.canvasSize(), (Size{820, 1830}));
    EXPECT_EQ(core.refreshConnectionsTimer(), 2);
}

TEST_F(EditorCoreTest, TimersFireOnTheSecondTickConnectionsFirst) {
    console.clear();
    core.startRefreshTimer();
    core.startRefreshConnectionsTimer();
    core.tickTimers();
    EXPECT_TRUE(console.empty());
    core.startRefreshTimer(); // postpones
    core.tickTimers();
    EXPECT_EQ(console, std::vector<std::string>{"RefreshConnections timer event"});
    core.tickTimers();
    EXPECT_EQ(console,
              (std::vector<std::string>{"RefreshConnections timer event", "Refresh timer event"}));
    for (int k = 0; k < 10; ++k) {
        core.tickTimers();
    }
    EXPECT_EQ(console.size(), 2u);
    EXPECT_EQ(core.refreshTimer(), ScenarioEditorCore::REFRESH_TIMERS_STOP);
}

TEST_F(EditorCoreTest, DeletionStartsTheRefreshTimer) {
    pressBorder(create({100, 200}));
    core.deleteTool_actionPerformed();
    EXPECT_EQ(core.refreshTimer(), ScenarioEditorCore::REFRESH_TIMER_STARTVAL);
}

TEST_F(EditorCoreTest, ConnectionHitWithAltDeletesWithoutAltSelects) {
    ScenarioFrame& f1 = create({100, 300});
    connect(frame("Frame0"), 1, f1);
    core.drawAllConnections();
    Connection& c = *core.connections()[0];
    const Point a = c.startPoint();
    const Point b = c.endPoint();
    const Point mid{(a.x + b.x) / 2, (a.y + b.y) / 2};

    core.bigPanel_MouseClick(mid, false);
    EXPECT_TRUE(c.isSelected());
    core.bigPanel_MouseClick(mid, true);
    EXPECT_TRUE(core.connections().empty());
    EXPECT_EQ(core.undoString(),
              "#Connections\n" + std::string("#Frame0\tFrame1\t2\t1") + "\n#EndConnections\n");
    core.selectTheObject(PaletteTool::undoTool);
    EXPECT_EQ(core.connections().size(), 1u);
}

TEST_F(EditorCoreTest, CommandsWithoutTheirDialogBeepAndAnOpenDialogBlocksThem) {
    core.selectTheObject(PaletteTool::saveTool);
    EXPECT_EQ(view.beeps, 1);
    std::vector<std::string> opened;
    bool dialogOpen = false;
    core.commands().saveLoadDialogOpen = [&] { return dialogOpen; };
    core.commands().openSaveDialog = [&](const std::string& name) { opened.push_back(name); };
    core.commands().openLoadDialog = [&](const std::string& name) { opened.push_back(name); };
    core.selectTheObject(PaletteTool::saveTool);
    core.selectTheObject(PaletteTool::loadTool);
    EXPECT_EQ(opened, (std::vector<std::string>{"scenarios/Filename", "scenarios/NewFile"}));
    EXPECT_EQ(core.refreshConnectionsTimer(), 2);
    dialogOpen = true;
    core.saveTool_mouseClicked();
    core.loadTool_mouseClicked();
    core.newTool_mouseClicked();
    EXPECT_EQ(view.beeps, 4);
    EXPECT_EQ(opened.size(), 2u);
}

TEST_F(EditorCoreTest, ChangedDocumentAsksBeforeNewOrLoad) {
    std::vector<std::string> asked;
    core.commands().askSaveChanges = [&](const std::string& mode) { asked.push_back(mode); };
    create({100, 200});
    core.newTool_mouseClicked();
    core.loadTool_mouseClicked();
    EXPECT_EQ(asked, (std::vector<std::string>{"newScenario", "loading"}));
    EXPECT_EQ(core.frames().size(), 2u);

    BuilderState::clearFileChanged();
    core.newTool_mouseClicked();
    EXPECT_EQ(titles(), std::vector<std::string>{"Frame0"});
    EXPECT_EQ(view.scenarioName, "New Scenario");
}

TEST_F(EditorCoreTest, LoadingAMissingNameStartsANewScenarioNamedScn) {
    create({100, 200});
    core.onSaveLoadDialogReport(seLanguage::LOAD_OK_ACTION,
                                {"missing.txt", "scenarios/", "", false, "missing"});
    EXPECT_EQ(titles(), std::vector<std::string>{"Frame0"});
    EXPECT_EQ(view.scenarioName, "missing.scn");
    EXPECT_EQ(core.drawState(), DrawState::SELECTING);
    EXPECT_EQ(core.refreshConnectionsTimer(), 2);
}

TEST_F(EditorCoreTest, SaveRenumbersAndClearsTheChangeLoadBringsTheDrawingBack) {
    const auto dir = std::filesystem::temp_directory_path() / "crvl_editor_save_load";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string path = dir.string() + "/";
    ScenarioFrame& f1 = create({100, 200});
    create({100, 400});
    connect(frame("Frame0"), 1, f1);
    pressBorder(f1);
    core.deleteTool_actionPerformed(); // Frame0, Frame2 left
    ASSERT_TRUE(BuilderState::isFileChanged());

    core.onSaveLoadDialogReport(seLanguage::SAVE_OK_ACTION,
                                {"twoframes.scn", path, "note", false, "twoframes"});
    EXPECT_FALSE(BuilderState::isFileChanged());
    EXPECT_TRUE(std::filesystem::exists(dir / "twoframes.scn"));
    EXPECT_EQ(titles(), (std::vector<std::string>{"Frame0", "Frame1"}));
    EXPECT_EQ(view.scenarioName, "twoframes.scn");
    EXPECT_FALSE(core.undoItemsExist());
    EXPECT_EQ(create({500, 500}).getTitle(), "Frame2");

    core.onSaveLoadDialogReport(seLanguage::LOAD_OK_ACTION,
                                {"twoframes.scn", path, "", true, "twoframes"});
    EXPECT_EQ(titles(), (std::vector<std::string>{"Frame0", "Frame1"}));
    EXPECT_EQ(frame("Frame1").location(), (Point{100, 400}));
    EXPECT_EQ(core.nIndex(), 1);
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace crvl::test
