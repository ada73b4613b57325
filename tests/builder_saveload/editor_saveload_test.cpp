// Save, Load and New through the builder's own window: the palette commands
// open the dialogs, the dialogs' reports reach the editor, and the files and
// the canvas end up as the user expects.

#include "builder/app/exit_save.h"
#include "builder/app/main_frame.h"
#include "builder/app/save_load_commands.h"
#include "builder/app/save_load_dialog.h"
#include "builder/app/scenario_editor_applet.h"
#include "builder/core/builder_console.h"
#include "builder/core/builder_services.h"
#include "builder/core/se_language.h"
#include "builder/editor/scenario_editor_core.h"
#include "tests/builder_saveload/saveload_support.h"
#include "tests/common/next_modal.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <unistd.h>

namespace crvl::test {
namespace {

// Types a name into the save/load dialog, presses OK (and Yes when asked
// whether to overwrite) and lets its worker run.
void confirmName(const QString& name) {
    onNextModal([name](QWidget* modal) {
        auto* dialog = qobject_cast<SaveLoadDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->findChild<QLineEdit*>(QStringLiteral("textField1"))->setText(name);
        dialog->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
        if (dialog->findChild<QWidget*>(QStringLiteral("overwritePanel"))->isVisible()) {
            dialog->findChild<QPushButton*>(QStringLiteral("yesButton"))->click();
        }
        dialog->workerPass();
    });
}

void answerExitSave(const char* button) {
    onNextModal([button](QWidget* modal) {
        ASSERT_NE(qobject_cast<ExitSave*>(modal), nullptr);
        modal->findChild<QPushButton*>(QLatin1String(button))->click();
    });
}

class EditorSaveLoad : public ::testing::Test {
protected:
    void SetUp() override {
        seLanguage::restoreDefaults();
        previousSink_ = setConsoleSink({});
        BuilderState::setDocumentBase(BuilderState::makeDocumentBase(base.dir()));
        window =
            std::make_unique<MainFrame>(new ScenarioEditorApplet, BuilderArguments(), base.dir());
        window->startUp();
        installSaveLoadDialogs(*window);
        BuilderState::clearFileChanged();
    }
    void TearDown() override {
        endWorkers();
        window.reset();
        setConsoleSink(previousSink_);
        BuilderState::clearFileChanged();
    }
    // Lets every closed dialog's worker end, as its next pass would.
    void endWorkers() {
        if (!window) {
            return;
        }
        for (auto* dialog : window->findChildren<SaveLoadDialog*>()) {
            dialog->workerPass();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    ScenarioEditorCore& core() { return window->editor().core(); }
    std::vector<std::string> titles() {
        std::vector<std::string> out;
        for (const ScenarioFrame* f : core().frames()) {
            out.push_back(f->getTitle());
        }
        return out;
    }

    BaseDir base;
    std::unique_ptr<MainFrame> window;
    ConsoleSink previousSink_;
};

TEST_F(EditorSaveLoad, SaveWritesTheFileAndASecondDialogWaitsForTheWorker) {
    core().addLoadedFrame("Frame4", {300, 300});
    BuilderState::file_changed();
    confirmName("my scenario");
    window->save();

    EXPECT_TRUE(std::filesystem::exists(base.scenarios() + "my_scenario.scn"));
    EXPECT_EQ(core().scenarioName(), "my_scenario.scn");
    EXPECT_EQ(core().loadedFileName(), "my_scenario");
    EXPECT_FALSE(BuilderState::isFileChanged());
    EXPECT_EQ(titles(), (std::vector<std::string>{"Frame0", "Frame1"})); // renumbered

    // The closed dialog's worker has not yet ended: Save is refused.
    int opened = 0;
    auto open = core().commands().openSaveDialog;
    core().commands().openSaveDialog = [&](const std::string& name) {
        ++opened;
        open(name);
    };
    EXPECT_TRUE(core().commands().saveLoadDialogOpen());
    window->save();
    EXPECT_EQ(opened, 0);
    endWorkers();
    EXPECT_FALSE(core().commands().saveLoadDialogOpen());
    EXPECT_TRUE(window->findChildren<SaveLoadDialog*>().isEmpty());

    // Saving again under the same name proposes it and overwrites silently.
    confirmName("my_scenario");
    window->save();
    EXPECT_EQ(opened, 1);
}

TEST_F(EditorSaveLoad, LoadBringsBackASavedScenario) {
    core().addLoadedFrame("Frame1", {300, 300});
    confirmName("back");
    window->save();
    endWorkers();

    window->newScenario();
    EXPECT_EQ(titles(), std::vector<std::string>{"Frame0"});
    confirmName("back");
    window->load();
    endWorkers();
    EXPECT_EQ(titles(), (std::vector<std::string>{"Frame0", "Frame1"}));
    EXPECT_EQ(core().scenarioName(), "back.scn");
    EXPECT_EQ(core().loadedFileName(), "back");
}

TEST_F(EditorSaveLoad, LoadingAMissingNameStartsANewScenarioUnderThatName) {
    core().addLoadedFrame("Frame1", {300, 300});
    confirmName("no such");
    window->load();
    endWorkers();
    EXPECT_EQ(core().scenarioName(), "no_such.scn");
    EXPECT_EQ(titles(), std::vector<std::string>{"Frame0"});
}

TEST_F(EditorSaveLoad, UnsavedChangesAskBeforeNew) {
    core().addLoadedFrame("Frame1", {300, 300});
    BuilderState::file_changed();
    answerExitSave("cancelButton");
    window->newScenario();
    EXPECT_EQ(titles().size(), 2u);
    EXPECT_TRUE(BuilderState::isFileChanged());

    answerExitSave("noButton");
    window->newScenario();
    EXPECT_EQ(titles(), std::vector<std::string>{"Frame0"});
    EXPECT_FALSE(BuilderState::isFileChanged());
}

TEST_F(EditorSaveLoad, NoThenCancelInTheLoadDialogKeepsTheChangesUnsaved) {
    core().addLoadedFrame("Frame1", {300, 300});
    BuilderState::file_changed();
    answerExitSave("noButton");
    onNextModal([](QWidget* modal) {
        ASSERT_NE(qobject_cast<SaveLoadDialog*>(modal), nullptr);
        modal->findChild<QPushButton*>(QStringLiteral("cancelButton"))->click();
    });
    window->load();
    endWorkers();
    EXPECT_EQ(titles().size(), 2u);
    EXPECT_TRUE(BuilderState::isFileChanged());

    // New and Exit still ask before the drawing goes.
    answerExitSave("cancelButton");
    window->newScenario();
    EXPECT_EQ(titles().size(), 2u);
    answerExitSave("cancelButton");
    window->doClose();
    EXPECT_FALSE(window->closed());

    // Loaded at last, the drawing is replaced and counts as saved.
    answerExitSave("noButton");
    confirmName("no such");
    window->load();
    endWorkers();
    EXPECT_EQ(titles(), std::vector<std::string>{"Frame0"});
    EXPECT_FALSE(BuilderState::isFileChanged());
}

TEST_F(EditorSaveLoad, YesToTheQuestionOpensTheSaveDialog) {
    BuilderState::file_changed();
    answerExitSave("yesButton");
    confirmName("kept");
    window->doClose();
    endWorkers();
    EXPECT_TRUE(std::filesystem::exists(base.scenarios() + "kept.scn"));
    EXPECT_FALSE(window->closed()); // closing is not continued after Yes
}

// ---- a save that fails ---------------------------------------------------------

enum class SaveCause { FolderInTheWay, DirectoryNotWritable, TemplateMissing, TooManyFrames };

struct FailedSave {
    const char* name;
    SaveCause cause;
    const char* reason;
};

class EditorFailedSave : public EditorSaveLoad, public ::testing::WithParamInterface<FailedSave> {};

TEST_P(EditorFailedSave, KeepsTheFileTheDrawingAndTheQuestionAndSaysWhy) {
    // A scenario saved before, then changed: Frame0 and Frame2, a gap the
    // save would close.
    core().addLoadedFrame("Frame1", {300, 300});
    confirmName("kept");
    window->save();
    endWorkers();
    core().addLoadedFrame("Frame2", {300, 600});
    core().unselectAll(); // Delete takes every selected frame
    core().stringToFrameIconComponent("Frame1")->select();
    core().deleteTool_actionPerformed();
    ASSERT_TRUE(core().undoItemsExist());
    std::string target = "kept";
    switch (GetParam().cause) {
    case SaveCause::FolderInTheWay:
        target = "blocked";
        std::filesystem::create_directories(base.scenarios() + "blocked.scn");
        break;
    case SaveCause::DirectoryNotWritable:
        std::filesystem::permissions(base.scenarios(),
                                     std::filesystem::perms::owner_write |
                                         std::filesystem::perms::group_write |
                                         std::filesystem::perms::others_write,
                                     std::filesystem::perm_options::remove);
        if (::access(base.scenarios().c_str(), W_OK) == 0) {
            GTEST_SKIP() << "the directory stays writable for this user";
        }
        break;
    case SaveCause::TemplateMissing:
        std::filesystem::remove(base.dir() + "template/scenarioProlog.tcl");
        break;
    case SaveCause::TooManyFrames:
        for (int k = 3; k <= 21; ++k) { // as a file with more frames loads
            core().addLoadedFrame("Frame" + std::to_string(k), {600, 30 * k});
        }
        break;
    }
    const std::string before = base.read("scenarios/kept.scn");
    const std::vector<std::string> titlesBefore = titles();
    const std::string nameBefore = core().scenarioName();
    ASSERT_TRUE(BuilderState::isFileChanged());

    SeenBox seen;
    onNextMessageBox(seen);
    confirmName(QString::fromStdString(target));
    window->save();
    ASSERT_TRUE(QTest::qWaitFor([&] { return seen.shown; }, 5000));
    EXPECT_EQ(seen.title, "Save Scenario");
    EXPECT_EQ(seen.text, "The scenario was not saved as " + target +
                             ".scn. Your drawing is still open.\n" + GetParam().reason);
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_EQ(seen.owner, window.get());

    EXPECT_EQ(base.read("scenarios/kept.scn"), before);
    EXPECT_TRUE(BuilderState::isFileChanged());
    EXPECT_EQ(core().scenarioName(), nameBefore);
    EXPECT_EQ(core().loadedFileName(), "kept");
    EXPECT_EQ(titles(), titlesBefore); // not renumbered
    EXPECT_TRUE(core().undoItemsExist());
    EXPECT_FALSE(std::filesystem::exists(base.scenarios() + target + ".scn.saving"));

    endWorkers();
    answerExitSave("cancelButton");
    window->doClose();
    EXPECT_FALSE(window->closed());
}

INSTANTIATE_TEST_SUITE_P(
    Causes, EditorFailedSave,
    ::testing::Values(FailedSave{"FolderInTheWay", SaveCause::FolderInTheWay,
                                 "A folder of that name is in the way."},
                      // The old file may be written; the new one goes beside it.
                      FailedSave{"DirectoryNotWritable", SaveCause::DirectoryNotWritable,
                                 "The scenario's folder must be writable: saving writes a new "
                                 "file beside the old one and then renames it."},
                      FailedSave{"TemplateMissing", SaveCause::TemplateMissing,
                                 "The template file template/scenarioProlog.tcl is missing."},
                      FailedSave{"TooManyFrames", SaveCause::TooManyFrames,
                                 "A scenario can have no more than 20 frames."}),
    [](const ::testing::TestParamInfo<FailedSave>& p) { return std::string(p.param.name); });

// ---- loads that cannot read everything --------------------------------------------

TEST_F(EditorSaveLoad, LoadWithOneBadLineKeepsTheRestAndNamesTheLine) {
    ScenarioFrame& f1 = core().addLoadedFrame("Frame1", {300, 300});
    addEvent(f1, 1, "TimeEvent", "T30");
    addEvent(f1, 2, "DefibEvent", "2");
    confirmName("mixed");
    window->save();
    endWorkers();
    std::string file = base.read("scenarios/mixed.scn");
    const auto at = file.find("#T30\r\n");
    ASSERT_NE(at, std::string::npos);
    file.replace(at, 4, "#T3O"); // a letter O typed for a zero
    base.write("scenarios/mixed.scn", file);

    window->newScenario();
    SeenBox seen;
    onNextMessageBox(seen);
    confirmName("mixed");
    window->load();
    ASSERT_TRUE(QTest::qWaitFor([&] { return seen.shown; }, 5000));
    EXPECT_EQ(seen.title, "Load Scenario");
    EXPECT_EQ(seen.text, "These lines of mixed.scn could not be read and were left out:\n"
                         "Frame1: #TimeEvent #T3O");
    EXPECT_EQ(seen.owner, window.get());
    EXPECT_EQ(titles(), (std::vector<std::string>{"Frame0", "Frame1"}));
    const ScenarioFrame& loaded = *core().stringToFrameIconComponent("Frame1");
    EXPECT_FALSE(loaded.output(1).text);
    EXPECT_EQ(loaded.output(2).code, "SHK 02");
    EXPECT_EQ(core().scenarioName(), "mixed.scn");
}

TEST_F(EditorSaveLoad, UnreadableFileIsNamedAndTheNextSaveAsksForAName) {
    base.write("scenarios/broken.scn", "#BeginSavedDiagram\n#FrameIconComponents\n"
                                       "#FrameIconComponent\tFrame0\t1O0\t20\n");
    std::filesystem::create_directories(base.scenarios() + "folder.scn");
    base.write("scenarios/table.scn", "# a state table alone\r\n  00   FF   FF   FF\r\n");
    base.write("scenarios/text.scn", "Shopping list: milk, bread\n");
    base.write("scenarios/half.scn", "#BeginSavedDiagram\n#FrameIconComponents\n"
                                     "#FrameIconComponent\tFrame3\t100\t20\n#listOfactionItems\n"
                                     "#End\n#End\n#EndFrameIconComponent\n");
    const std::string noDrawing =
        "It holds no saved drawing (the lines from #BeginSavedDiagram to #EndSavedDiagram). "
        "The start frame is shown instead.";
    const std::pair<const char*, std::string> cases[] = {
        {"table", "The scenario table.scn could not be loaded.\n" + noDrawing},
        {"text", "The scenario text.scn could not be loaded.\n" + noDrawing},
        {"half", "The scenario half.scn could not be loaded.\nIts saved drawing ends early: the "
                 "line #EndSavedDiagram is missing. The start frame is shown instead."},
        {"broken", "The scenario broken.scn could not be loaded.\nIts drawing is damaged:\n"
                   "Not a whole number: \"1O0\""},
        {"folder", "The scenario folder.scn could not be loaded.\nThe file cannot be read."},
    };
    for (const auto& [name, message] : cases) {
        SeenBox seen;
        onNextMessageBox(seen);
        confirmName(name);
        window->load();
        ASSERT_TRUE(QTest::qWaitFor([&] { return seen.shown; }, 5000)) << name;
        EXPECT_EQ(seen.text, message);
        EXPECT_EQ(seen.icon, QMessageBox::Warning);
        EXPECT_EQ(core().scenarioName(), "New Scenario");
        EXPECT_EQ(core().loadedFileName(), "newFile");
        EXPECT_EQ(titles(), std::vector<std::string>{"Frame0"});
        endWorkers();
    }

    // Save proposes a new name, and the unreadable file's name is asked about.
    bool asked = false;
    QString proposed;
    onNextModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<SaveLoadDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("textField1"));
        proposed = name->text();
        name->setText("broken");
        dialog->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
        asked = dialog->findChild<QWidget*>(QStringLiteral("overwritePanel"))->isVisible();
        dialog->findChild<QPushButton*>(QStringLiteral("noButton"))->click();
        dialog->findChild<QPushButton*>(QStringLiteral("cancelButton"))->click();
    });
    window->save();
    EXPECT_EQ(proposed, "Filename");
    EXPECT_TRUE(asked);
    EXPECT_THAT(base.read("scenarios/broken.scn"), ::testing::HasSubstr("1O0"));
}

} // namespace
} // namespace crvl::test
