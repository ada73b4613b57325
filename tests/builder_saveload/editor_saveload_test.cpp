// Save, Load and New through the builder's own window: the palette commands
// open the dialogs, the dialogs' reports reach the editor, and the files and
// the canvas end up as the user expects.

#include "../common/next_modal.h"
#include "builder_console.h"
#include "builder_services.h"
#include "exit_save.h"
#include "main_frame.h"
#include "save_load_commands.h"
#include "save_load_dialog.h"
#include "saveload_support.h"
#include "scenario_editor_applet.h"
#include "scenario_editor_core.h"
#include "se_language.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace crvl::test {
namespace {

// Types a name into the save/load dialog, presses OK and lets its worker run.
void confirmName(const QString& name) {
    onNextModal([name](QWidget* modal) {
        auto* dialog = qobject_cast<SaveLoadDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->findChild<QLineEdit*>(QStringLiteral("textField1"))->setText(name);
        dialog->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
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

TEST_F(EditorSaveLoad, YesToTheQuestionOpensTheSaveDialog) {
    BuilderState::file_changed();
    answerExitSave("yesButton");
    confirmName("kept");
    window->doClose();
    endWorkers();
    EXPECT_TRUE(std::filesystem::exists(base.scenarios() + "kept.scn"));
    EXPECT_FALSE(window->closed()); // closing is not continued after Yes
}

} // namespace
} // namespace crvl::test
