// File > Open Lesson... through the builder's own window: the shipped
// lessons are listed with their comments in the language's folder, the
// chosen one opens as a new scenario named after it, and saving it writes
// into scenarios/ and never into lessons/.

#include "builder/app/exit_save.h"
#include "builder/app/lesson_tools.h"
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

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace crvl::test {
namespace {

namespace fs = std::filesystem;

// Every file under a folder with its bytes and time of last change.
std::map<std::string, std::pair<std::string, fs::file_time_type>> snapshot(const fs::path& dir) {
    std::map<std::string, std::pair<std::string, fs::file_time_type>> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        if (entry.is_regular_file()) {
            std::ifstream in(entry.path(), std::ios::binary);
            files[entry.path().string()] = {std::string(std::istreambuf_iterator<char>(in), {}),
                                            fs::last_write_time(entry.path())};
        }
    }
    return files;
}

class OpenLesson : public ::testing::Test {
protected:
    void SetUp() override {
        seLanguage::restoreDefaults();
        previousSink_ = setConsoleSink({});
        fs::copy(fs::path(CRVL_SOURCE_DIR) / "builder/data/lessons", base.dir() + "lessons",
                 fs::copy_options::recursive);
        BuilderState::setDocumentBase(BuilderState::makeDocumentBase(base.dir()));
        window =
            std::make_unique<MainFrame>(new ScenarioEditorApplet, BuilderArguments(), base.dir());
        installSaveLoadDialogs(*window);
        tools = &installLessonTools(*window);
        window->startUp();
        BuilderState::clearFileChanged();
        tools->setChooser([this](const std::vector<LessonEntry>& lessons) {
            listed = lessons;
            for (const LessonEntry& lesson : lessons) {
                if (lesson.name == choice) {
                    return std::optional<LessonEntry>(lesson);
                }
            }
            return std::optional<LessonEntry>();
        });
    }
    void TearDown() override {
        for (auto* dialog : window->findChildren<SaveLoadDialog*>()) {
            dialog->workerPass();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        window.reset();
        setConsoleSink(previousSink_);
        BuilderState::clearFileChanged();
    }
    ScenarioEditorCore& core() { return window->editor().core(); }

    BaseDir base;
    std::unique_ptr<MainFrame> window;
    LessonTools* tools = nullptr;
    std::string choice = "vf-first-shock";
    std::vector<LessonEntry> listed;
    ConsoleSink previousSink_;
};

TEST_F(OpenLesson, StandsInTheFileMenuAfterLoadWithItsShortcut) {
    const QList<QAction*> items = window->fileMenu()->actions();
    const auto load = items.indexOf(window->menuItem(MainFrame::MenuCommand::Load));
    ASSERT_GE(load, 0);
    EXPECT_EQ(items.at(load + 1), tools->action());
    EXPECT_EQ(tools->action()->text(), "Open Lesson...");
    EXPECT_EQ(tools->action()->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
}

TEST_F(OpenLesson, OpensALessonAsANewScenarioAndSavesItIntoScenarios) {
    const auto lessonsBefore = snapshot(base.dir() + "lessons");
    tools->action()->trigger();

    ASSERT_EQ(listed.size(), 9u);
    EXPECT_EQ(listed.front().name, "asystole-cpr"); // ordered by name
    EXPECT_EQ(listed.front().path, base.dir() + "lessons/");
    EXPECT_EQ(listed.front().comment.substr(0, 48),
              "Asystole: no shock is advised, CPR throughout.\r\n");
    EXPECT_EQ(core().frames().size(), 2u);
    EXPECT_EQ(core().scenarioName(), "vf-first-shock.scn");
    EXPECT_EQ(core().loadedFileName(), ScenarioEditorCore::NEW_FILE_NAME);
    EXPECT_FALSE(BuilderState::isFileChanged());

    // Save proposes the lesson's name and comment and writes into scenarios/.
    onNextModal([](QWidget* modal) {
        auto* dialog = qobject_cast<SaveLoadDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->findChild<QLineEdit*>(QStringLiteral("textField1"))->text(),
                  "vf-first-shock");
        EXPECT_TRUE(dialog->findChild<QPlainTextEdit*>()->toPlainText().startsWith(
            "VF converted by the first shock.\nThe student"));
        dialog->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
        dialog->workerPass();
    });
    window->save();
    const std::string saved = base.read("scenarios/vf-first-shock.scn");
    EXPECT_NE(saved.find("# Comment:  VF converted by the first shock.\t"), std::string::npos);
    EXPECT_EQ(core().loadedFileName(), "vf-first-shock");
    EXPECT_EQ(snapshot(base.dir() + "lessons"), lessonsBefore);
}

TEST_F(OpenLesson, ASaveAimedAtTheLessonsIsRefused) {
    tools->action()->trigger();
    const auto lessonsBefore = snapshot(base.dir() + "lessons");
    SeenBox seen;
    onNextMessageBox(seen);
    SaveLoadResult result;
    result.filename = "vf-first-shock.scn";
    result.path = base.dir() + "lessons/de/../";
    core().onSaveLoadDialogReport(seLanguage::SAVE_OK_ACTION, result);
    ASSERT_TRUE(QTest::qWaitFor([&] { return seen.shown; }, 5000));
    EXPECT_EQ(seen.text, "vf-first-shock.scn was not saved: the shipped lessons cannot be "
                         "changed. Save the scenario under a name of your own in scenarios/.");
    EXPECT_EQ(snapshot(base.dir() + "lessons"), lessonsBefore);
    EXPECT_EQ(core().loadedFileName(), ScenarioEditorCore::NEW_FILE_NAME);
}

TEST_F(OpenLesson, CommentsFollowTheLanguageFileAndFallBackToEnglish) {
    seLanguage::lessonsFolder = "lessons/de/";
    tools->openLesson();
    ASSERT_FALSE(listed.empty());
    EXPECT_EQ(listed.front().path, base.dir() + "lessons/de/");
    EXPECT_EQ(listed.front().comment.substr(0, 52),
              "Asystolie: kein Schock empfohlen, durchgehend HLW.\r\n");

    seLanguage::lessonsFolder = "lessons/fr/";
    tools->openLesson();
    ASSERT_FALSE(listed.empty());
    EXPECT_EQ(listed.front().path, base.dir() + "lessons/");
}

TEST_F(OpenLesson, AsksAboutUnsavedChangesFirst) {
    core().addLoadedFrame("Frame7", {300, 300});
    BuilderState::file_changed();
    onNextModal([](QWidget* modal) {
        ASSERT_NE(qobject_cast<ExitSave*>(modal), nullptr);
        modal->findChild<QPushButton*>(QStringLiteral("cancelButton"))->click();
    });
    tools->openLesson();
    EXPECT_EQ(core().frames().size(), 2u); // Frame0 and Frame7 stay
    EXPECT_EQ(core().frames().back()->getTitle(), "Frame7");

    onNextModal([](QWidget* modal) {
        modal->findChild<QPushButton*>(QStringLiteral("noButton"))->click();
    });
    choice = "pulseless-vt";
    tools->openLesson();
    EXPECT_EQ(core().scenarioName(), "pulseless-vt.scn");
    EXPECT_EQ(core().frames().size(), 3u);
}

TEST_F(OpenLesson, NoLessonsFoundIsSaid) {
    fs::remove_all(base.dir() + "lessons");
    SeenBox seen;
    onNextMessageBox(seen);
    tools->openLesson();
    EXPECT_TRUE(seen.shown);
    EXPECT_EQ(seen.text, "No lessons were found in " + base.dir() + "lessons/.");
    EXPECT_TRUE(listed.empty());
}

TEST(LessonDialog, ShowsTheChosenLessonsCommentAndOpensOnADoubleClick) {
    seLanguage::restoreDefaults();
    LessonDialog dialog(nullptr, {{"a", "a.scn", "/l/", "First line\r\nsecond line"},
                                  {"b", "b.scn", "/l/", "Other"}});
    EXPECT_EQ(dialog.list()->count(), 2);
    EXPECT_EQ(dialog.comment()->toPlainText(), "First line\nsecond line");
    EXPECT_EQ(dialog.list()->accessibleName(), "Lessons");
    EXPECT_EQ(dialog.comment()->accessibleName(), "What the lesson teaches");
    EXPECT_EQ(dialog.openButton()->text(), "Open");
    dialog.list()->setCurrentRow(1);
    EXPECT_EQ(dialog.comment()->toPlainText(), "Other");
    EXPECT_EQ(dialog.chosen()->filename, "b.scn");
    dialog.list()->setCurrentRow(-1);
    EXPECT_FALSE(dialog.openButton()->isEnabled());
    EXPECT_FALSE(dialog.chosen());
    dialog.list()->setCurrentRow(0);
    dialog.show();
    const QPoint first = dialog.list()->visualItemRect(dialog.list()->item(0)).center();
    QTest::mouseClick(dialog.list()->viewport(), Qt::LeftButton, {}, first);
    QTest::mouseDClick(dialog.list()->viewport(), Qt::LeftButton, {}, first);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

} // namespace
} // namespace crvl::test
