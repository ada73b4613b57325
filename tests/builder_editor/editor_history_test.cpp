// The editor's history without a window: every kind of edit undone and
// redone with its name, a long random run of edits undone and redone byte
// for byte, the changed flag across save points, and copy and paste.

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

#include <unistd.h>

#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace crvl::test {
namespace {

const std::string kDataDir = std::string(CRVL_SOURCE_DIR) + "/builder/data/";

class EditorHistoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        seLanguage::restoreDefaults();
        previousSink_ = setConsoleSink([](std::string_view) {});
        view.core = &core;
        core.init(kDataDir);
        BuilderState::clearFileChanged();
    }
    void TearDown() override {
        setConsoleSink(previousSink_);
        BuilderState::clearFileChanged();
    }

    ScenarioFrame& frame(const std::string& title) { return frameTitled(core, title); }
    ScenarioFrame& create(Point at) { return createFrame(core, at); }
    std::vector<std::string> titles() const { return frameTitles(core); }
    std::string diagram() const { return core.documentState().diagram; }
    void drag(ScenarioFrame& f, Point by) {
        core.unselectAll();
        pressBorder(f);
        f.mouseDragged({1, 1});
        f.mouseDragged({1 + by.x, 1 + by.y});
        f.mouseReleased({1 + by.x, 1 + by.y});
    }
    void link(ScenarioFrame& from, int box, ScenarioFrame& to) {
        core.selectTheObject(PaletteTool::linkFramesTool);
        pressOutput(from, box);
        const Rect list = to.listBounds();
        const Point onTarget = to.location() + Point{list.x + 10, list.y + 3} - from.location();
        from.mouseDragged(onTarget);
        from.mouseReleased(onTarget);
        core.unselectAll();
    }
    void element(ScenarioFrame& f, PaletteTool tool, int part) {
        core.selectTheObject(tool);
        if (part == inputField) {
            pressRow(f, 0);
        } else {
            pressOutput(f, part - 1);
        }
    }

    RecordingView view;
    ScenarioEditorCore core{view};

private:
    ConsoleSink previousSink_;
};

TEST_F(EditorHistoryTest, EveryKindOfEditIsOneStepUndoneAndRedoneExactly) {
    struct Edit {
        const char* name;
        std::function<void()> run;
    };
    const std::vector<Edit> edits = {
        {"Create Frame1",
         [&] {
             create({100, 300});
         }},
        {"Move Frame1",
         [&] {
             drag(frame("Frame1"), {40, 60});
         }},
        {"Edit Frame1", [&] { element(frame("Frame1"), PaletteTool::motionActionTool, 1); }},
        {"Edit Frame0", [&] { element(frame("Frame0"), PaletteTool::cprEventTool, 2); }},
        {"Create Connection", [&] { link(frame("Frame0"), 1, frame("Frame1")); }},
        {"Delete Action in Frame1",
         [&] {
             pressRow(frame("Frame1"), 1);
             core.deleteTool_actionPerformed();
         }},
        {"Clear Output of Frame0",
         [&] {
             pressOutput(frame("Frame0"), 1);
             core.deleteTool_actionPerformed();
         }},
        {"Delete Connection",
         [&] {
             core.connections()[0]->select();
             core.deleteTool_actionPerformed();
         }},
        {"Delete Frame1",
         [&] {
             pressBorder(frame("Frame1"));
             core.deleteTool_actionPerformed();
         }},
    };
    EXPECT_EQ(core.undoText(), "Undo");
    EXPECT_FALSE(core.canUndo());
    for (const Edit& edit : edits) {
        SCOPED_TRACE(edit.name);
        const std::string before = diagram();
        edit.run();
        const std::string after = diagram();
        ASSERT_NE(before, after);
        EXPECT_EQ(core.undoText(), std::string("Undo ") + edit.name);
        EXPECT_EQ(core.redoText(), "Redo");
        core.undo();
        EXPECT_EQ(diagram(), before);
        EXPECT_EQ(core.redoText(), std::string("Redo ") + edit.name);
        core.redo();
        EXPECT_EQ(diagram(), after);
    }
    EXPECT_EQ(core.history().undoCount(), edits.size());

    // A press that moves nothing, and a cancelled dialog, are no steps.
    drag(frame("Frame0"), {0, 0});
    view.answer = seLanguage::READ_CANCEL_ACTION;
    element(frame("Frame0"), PaletteTool::batteryActionTool, 1);
    EXPECT_EQ(core.history().undoCount(), edits.size());

    const int beeps = view.beeps;
    core.redo(); // nothing to redo
    EXPECT_EQ(view.beeps, beeps + 1);
}

TEST_F(EditorHistoryTest, PaletteUndoIsTheLastStepWhenItWasADeletion) {
    create({100, 300});
    pressBorder(frame("Frame1"));
    core.deleteTool_actionPerformed();
    EXPECT_TRUE(core.undoItemsExist());
    core.selectTheObject(PaletteTool::undoTool);
    EXPECT_EQ(titles(), (std::vector<std::string>{"Frame0", "Frame1"}));
    EXPECT_FALSE(core.undoItemsExist()); // the step before was a creation
    EXPECT_TRUE(core.canUndo());

    core.redo(); // the deletion again: the palette offers to undo it
    EXPECT_TRUE(core.undoItemsExist());
    EXPECT_EQ(core.toolImage(PaletteTool::undoTool), "picts/no_Undo.gif");
    EXPECT_EQ(core.undoText(), "Undo Delete Frame1");
}

TEST_F(EditorHistoryTest, LongRandomRunUndoneAndRedoneByteForByte) {
    std::mt19937 random(20261209);
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    auto anyFrame = [&]() -> ScenarioFrame& {
        const auto all = core.frames();
        return *all[static_cast<std::size_t>(pick(static_cast<int>(all.size())))];
    };
    const PaletteTool actions[] = {PaletteTool::ecgActionTool, PaletteTool::motionActionTool,
                                   PaletteTool::electrodesActionTool,
                                   PaletteTool::batteryActionTool, PaletteTool::failureActionTool};
    const PaletteTool events[] = {PaletteTool::defibEventTool, PaletteTool::cprEventTool,
                                  PaletteTool::timeEventTool};
    view.answer = seLanguage::READ_OK_ACTION;
    view.messages.clear();

    std::vector<std::string> states{diagram()};
    const std::size_t steps = EditHistory::DEFAULT_DEPTH;
    for (int attempt = 0; states.size() <= steps && attempt < 5000; ++attempt) {
        switch (pick(8)) {
        case 0:
            create({pick(700), pick(1500)});
            break;
        case 1:
            drag(anyFrame(), {pick(200) - 100, pick(200) - 100});
            break;
        case 2:
            element(anyFrame(), actions[pick(5)], inputField);
            break;
        case 3:
            element(anyFrame(), events[pick(3)], output1Field + pick(3));
            break;
        case 4:
            link(anyFrame(), 1 + pick(3), anyFrame());
            break;
        case 5: {
            ScenarioFrame& f = anyFrame();
            core.unselectAll();
            const int part = pick(3);
            if (part == 0) {
                pressBorder(f);
            } else if (part == 1) {
                pressRow(f, 1 + pick(3));
            } else {
                pressOutput(f, 1 + pick(3));
            }
            core.deleteTool_actionPerformed();
            break;
        }
        case 6:
            if (!core.connections().empty()) {
                core.connections()[static_cast<std::size_t>(
                                       pick(static_cast<int>(core.connections().size())))]
                    ->select();
                core.deleteTool_actionPerformed();
            }
            break;
        default: {
            core.unselectAll();
            pressBorder(anyFrame());
            core.paste(core.copySelection());
            break;
        }
        }
        core.unselectAll();
        if (core.history().undoCount() == states.size()) {
            states.push_back(diagram());
        }
        ASSERT_EQ(core.history().undoCount() + 1, states.size()) << "attempt " << attempt;
    }
    ASSERT_EQ(states.size(), steps + 1);
    EXPECT_FALSE(view.messages.empty()) << "the run should reach the frame limit";

    for (std::size_t k = steps; k > 0; --k) {
        core.undo();
        ASSERT_EQ(diagram(), states[k - 1]) << "undo to state " << k - 1;
    }
    EXPECT_FALSE(core.canUndo());
    for (std::size_t k = 1; k <= steps; ++k) {
        core.redo();
        ASSERT_EQ(diagram(), states[k]) << "redo to state " << k;
    }
    EXPECT_FALSE(core.canRedo());

    // One step more drops the oldest: the start is out of reach.
    create({5, 5});
    while (core.canUndo()) {
        core.undo();
    }
    EXPECT_EQ(diagram(), states[1]);
}

TEST_F(EditorHistoryTest, ChangedFlagFollowsTheSavePoint) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("crvl_history_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::vector<std::string> used;
    core.commands().scenarioFileUsed = [&](const std::string& path) { used.push_back(path); };

    create({100, 200});
    create({100, 400});
    pressBorder(frame("Frame1"));
    core.deleteTool_actionPerformed();
    ASSERT_TRUE(BuilderState::isFileChanged());
    core.onSaveLoadDialogReport(seLanguage::SAVE_OK_ACTION,
                                {"flag.scn", dir.string() + "/", "", false, {}});
    EXPECT_EQ(used, std::vector<std::string>{dir.string() + "/flag.scn"});
    EXPECT_FALSE(BuilderState::isFileChanged());
    EXPECT_FALSE(core.undoItemsExist()); // the save withdrew the palette's undo
    const std::string saved = diagram(); // renumbered: Frame0, Frame1

    create({300, 300});
    EXPECT_TRUE(BuilderState::isFileChanged());
    core.undo();
    EXPECT_FALSE(BuilderState::isFileChanged());
    EXPECT_EQ(diagram(), saved);
    core.undo(); // before the deletion, with the numbers of that time
    EXPECT_TRUE(BuilderState::isFileChanged());
    EXPECT_EQ(titles(), (std::vector<std::string>{"Frame0", "Frame1", "Frame2"}));
    core.redo();
    EXPECT_FALSE(BuilderState::isFileChanged());
    EXPECT_EQ(diagram(), saved);
    core.redo();
    EXPECT_TRUE(BuilderState::isFileChanged());

    // A new step after undoing past the save point loses that point.
    core.undo();
    core.undo();
    create({500, 500});
    EXPECT_FALSE(core.canRedo());
    core.undo();
    EXPECT_TRUE(BuilderState::isFileChanged());

    // Loading and New start the history afresh.
    core.onSaveLoadDialogReport(seLanguage::LOAD_OK_ACTION,
                                {"flag.scn", dir.string() + "/", "", true, {}});
    EXPECT_FALSE(core.canUndo());
    EXPECT_FALSE(core.canRedo());
    EXPECT_EQ(diagram(), saved);
    EXPECT_EQ(used.size(), 2u);
    create({300, 300});
    BuilderState::clearFileChanged();
    core.newTool_mouseClicked();
    EXPECT_FALSE(core.canUndo());
    std::filesystem::remove_all(dir);
}

TEST_F(EditorHistoryTest, CopyAndPasteTwoConnectedFrames) {
    ScenarioFrame& f1 = create({100, 300});
    ScenarioFrame& f2 = create({400, 300});
    element(f1, PaletteTool::electrodesActionTool, inputField);
    link(frame("Frame0"), 1, f1);
    link(f1, 1, f2);
    link(f2, 1, frame("Frame0"));

    core.unselectAll();
    f1.select();
    f2.select();
    const std::string copied = core.copySelection();
    EXPECT_NE(copied.find("#FrameIconComponent\tFrame1\t100\t300\n"), std::string::npos);
    EXPECT_NE(copied.find("#FrameIconComponent\tFrame2\t400\t300\n"), std::string::npos);
    EXPECT_NE(copied.find("#Frame1\tFrame2\t2\t1\n"), std::string::npos);
    EXPECT_EQ(copied.find("Frame0"), std::string::npos); // not copied, nor what leads there
    EXPECT_TRUE(copied.starts_with("#BeginSavedDiagram\n"));

    const std::string before = diagram();
    core.paste(copied);
    ASSERT_EQ(titles(),
              (std::vector<std::string>{"Frame0", "Frame1", "Frame2", "Frame3", "Frame4"}));
    EXPECT_EQ(frame("Frame3").location(), (Point{120, 320}));
    EXPECT_EQ(frame("Frame4").location(), (Point{420, 320}));
    ASSERT_EQ(frame("Frame3").rows().size(), 2u);
    EXPECT_EQ(frame("Frame3").rows()[1].code, f1.rows()[1].code);
    EXPECT_TRUE(frame("Frame3").isSelected());
    EXPECT_TRUE(frame("Frame4").isSelected());
    EXPECT_FALSE(f1.isSelected());
    ASSERT_EQ(core.connections().size(), 4u);
    EXPECT_EQ(core.connections().back()->toString(), "#Frame3\tFrame4\t2\t1\n");
    EXPECT_EQ(core.undoText(), "Undo Paste");

    // Pasted frames delete and undo like any other.
    core.unselectAll();
    pressBorder(frame("Frame4"));
    core.deleteTool_actionPerformed();
    EXPECT_EQ(core.connections().size(), 3u);
    core.undoTool_mouseClicked();
    EXPECT_EQ(core.connections().size(), 4u);
    core.undo();
    EXPECT_EQ(diagram(), before);
}

TEST_F(EditorHistoryTest, PasteRefusesPastTheFrameLimitAndTextWithoutFrames) {
    ScenarioFrame& f1 = create({100, 300});
    core.unselectAll();
    f1.select();
    const std::string two = core.copySelection() + core.copySelection();
    for (int k = 2; k < Parameters::MAX_NUM_OF_FRAMES - 1; ++k) {
        create({10 * k, 50 * k});
    }
    ASSERT_EQ(core.frames().size(), 19u);
    const std::string before = diagram();
    core.paste(two);
    EXPECT_EQ(view.messages,
              std::vector<std::string>{"Create Frames: Can not have more than 20 frames in a "
                                       "scenario."});
    EXPECT_EQ(diagram(), before);

    const int beeps = view.beeps;
    core.paste("just some text\n#FrameIconComponent\tFrame1\tnot-a-number\t3\n");
    core.paste("");
    core.unselectAll();
    EXPECT_EQ(core.copySelection(), "");
    EXPECT_EQ(view.beeps, beeps + 3);
    EXPECT_EQ(diagram(), before);
}

} // namespace
} // namespace crvl::test
