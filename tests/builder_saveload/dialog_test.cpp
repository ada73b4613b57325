// The save and load dialogs driven as a user would: names typed, buttons
// pressed, and the worker's passes run one at a time.

#include "builder/app/exit_save.h"
#include "builder/app/save_load_dialog.h"
#include "builder/core/builder_services.h"
#include "builder/core/builder_settings.h"
#include "builder/core/se_language.h"
#include "builder/core/tcl_control.h"
#include "builder/editor/save_load_rules.h"
#include "builder/io/scenario_saving.h"
#include "tests/builder_saveload/saveload_support.h"
#include "tests/common/next_modal.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace crvl::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The editor side: records the reports and saves the open diagram on OK.
class Editor : public SaveLoadListener {
public:
    explicit Editor(TclControl& io) : io_(io) { buildTwoFrameExample(doc); }

    std::string loadedFileName() const override { return loaded; }
    std::string proposedComment() const override { return {}; }
    void sendTheBeep() override { ++beeps; }
    void saveLoadAction(SaveLoadDialog& dialog, const std::string& command) override {
        reports.push_back(command);
        filename = dialog.getFilename();
        path = dialog.getPath();
        comment = dialog.getComment();
        bool done = command == seLanguage::LOAD_OK_ACTION;
        if (command == seLanguage::SAVE_OK_ACTION) {
            done = saveDiagram(doc, doc, io_, filename, path, comment, fixedDateHooks()).ok();
        }
        if (const auto name = dialog.confirmedName(); done && name) {
            loaded = *name;
        }
        dialog.dispose();
    }

    FakeDocument doc;
    std::string loaded = "newFile";
    int beeps = 0;
    std::vector<std::string> reports;
    std::string filename, path, comment;

private:
    TclControl& io_;
};

class Dialogs : public ::testing::Test {
protected:
    std::unique_ptr<SaveLoadDialog> open(bool isSave, const std::string& proposed) {
        auto dialog = std::make_unique<SaveLoadDialog>(&owner, editor, isSave, proposed, io);
        dialog->show();
        return dialog;
    }
    template <class W> static W* find(SaveLoadDialog& d, const char* name) {
        auto* widget = d.findChild<W*>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    static void type(SaveLoadDialog& d, const QString& name) {
        find<QLineEdit>(d, "textField1")->setText(name);
    }
    static void press(SaveLoadDialog& d, const char* button) {
        find<QPushButton>(d, button)->click();
    }
    static QStringList listed(SaveLoadDialog& d) {
        QStringList names;
        auto* list = find<QListWidget>(d, "list1");
        for (int i = 0; i < list->count(); ++i) {
            names << list->item(i)->text();
        }
        return names;
    }
    // Saves the example under name with a comment through a save dialog.
    void saveAs(const std::string& name, const QString& comment = {}) {
        auto d = open(true, "scenarios/Filename");
        type(*d, QString::fromStdString(name));
        find<QPlainTextEdit>(*d, "commentField")->setPlainText(comment);
        press(*d, "okButton");
        d->workerPass();
    }
    void makeReadOnly(const std::string& name) {
        std::filesystem::permissions(base.scenarios() + name, std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::remove);
    }

    BaseDir base;
    TclControl io{base.location()};
    Editor editor{io};
    QWidget owner;
};

TEST_F(Dialogs, LayoutTextsAndModes) {
    auto save = open(true, "scenarios/Filename");
    EXPECT_EQ(save->windowTitle(), "Save Scenario");
    EXPECT_EQ(save->size(), QSize(363, 416));
    EXPECT_EQ(find<QLineEdit>(*save, "textField1")->text(), "Filename");
    EXPECT_EQ(find<QLineEdit>(*save, "textField1")->geometry(), QRect(23, 31, 220, 27));
    EXPECT_EQ(find<QListWidget>(*save, "list1")->geometry(), QRect(23, 67, 221, 195));
    EXPECT_EQ(find<QPushButton>(*save, "okButton")->geometry(), QRect(277, 107, 60, 24));
    EXPECT_EQ(find<QPushButton>(*save, "cancelButton")->text(), "CANCEL");
    EXPECT_EQ(find<QPushButton>(*save, "browseButton")->geometry(), QRect(277, 247, 60, 24));
    EXPECT_EQ(find<QLabel>(*save, "labelComment")->text(), "Comment:");
    EXPECT_EQ(find<QPlainTextEdit>(*save, "commentField")->geometry(), QRect(23, 302, 220, 99));
    EXPECT_FALSE(find<QPlainTextEdit>(*save, "commentField")->isReadOnly());
    EXPECT_FALSE(find<QPushButton>(*save, "deleteButton")->isVisible());
    EXPECT_FALSE(find<QWidget>(*save, "overwritePanel")->isVisible());
    EXPECT_FALSE(find<QWidget>(*save, "progressPanel")->isVisible());
    EXPECT_EQ(find<QPushButton>(*save, "okButton")->accessibleName(), "OK");

    auto load = open(false, "scenarios/NewFile.scn");
    EXPECT_EQ(load->windowTitle(), "Load Scenario");
    EXPECT_EQ(find<QLineEdit>(*load, "textField1")->text(), "NewFile");
    EXPECT_TRUE(find<QPlainTextEdit>(*load, "commentField")->isReadOnly());
    EXPECT_TRUE(find<QPushButton>(*load, "deleteButton")->isVisible());
    EXPECT_EQ(find<QPushButton>(*load, "deleteButton")->geometry(), QRect(276, 180, 60, 24));
}

TEST_F(Dialogs, SpaceInTheNameBecomesAnUnderscore) {
    saveAs("my scenario");
    EXPECT_THAT(editor.reports, ElementsAre(seLanguage::SAVE_OK_ACTION));
    EXPECT_EQ(editor.filename, "my_scenario.scn");
    EXPECT_EQ(editor.path, base.scenarios());
    EXPECT_EQ(editor.loaded, "my_scenario");
    EXPECT_TRUE(std::filesystem::exists(base.scenarios() + "my_scenario.scn"));
}

TEST_F(Dialogs, WorkerShowsProgressThenReportsAndHides) {
    auto d = open(true, "scenarios/Filename");
    type(*d, "p");
    press(*d, "okButton");
    EXPECT_THAT(editor.reports, IsEmpty()); // only the worker reports
    d->workerPass();
    EXPECT_FALSE(d->isVisible());
    EXPECT_FALSE(find<QLineEdit>(*d, "textField1")->isVisible());
    EXPECT_EQ(find<QLabel>(*d, "progressLabel")->text(), "Please wait...");
    EXPECT_THAT(editor.reports, ElementsAre(seLanguage::SAVE_OK_ACTION));
}

TEST_F(Dialogs, ListedNameAsksBeforeOverwriting) {
    saveAs("first");
    editor.loaded = "other";
    auto d = open(true, "scenarios/Filename");
    type(*d, "first");
    press(*d, "okButton");
    EXPECT_TRUE(find<QWidget>(*d, "overwritePanel")->isVisible());
    EXPECT_EQ(find<QLabel>(*d, "overwriteQuestion")->text(), "Filename exists, overwrite?");
    EXPECT_FALSE(find<QPushButton>(*d, "okButton")->isVisible());
    EXPECT_FALSE(find<QListWidget>(*d, "list1")->isVisible());
    d->workerPass();
    EXPECT_EQ(editor.reports.size(), 1u); // nothing saved while the question stands

    press(*d, "noButton");
    EXPECT_FALSE(find<QWidget>(*d, "overwritePanel")->isVisible());
    for (const char* name : {"okButton", "cancelButton", "browseButton"}) {
        EXPECT_TRUE(find<QPushButton>(*d, name)->isVisible()) << name;
    }
    EXPECT_TRUE(find<QLineEdit>(*d, "textField1")->isVisible());
    EXPECT_FALSE(find<QPushButton>(*d, "deleteButton")->isVisible());

    press(*d, "okButton");
    press(*d, "yesButton");
    d->workerPass();
    EXPECT_EQ(editor.reports.size(), 2u);
    EXPECT_EQ(editor.filename, "first.scn");
}

TEST_F(Dialogs, EnterInTheNameFieldAsksLikeOk) {
    saveAs("first");
    editor.loaded = "other";
    auto d = open(true, "scenarios/Filename");
    type(*d, "first");
    QTest::keyClick(find<QLineEdit>(*d, "textField1"), Qt::Key_Return);
    EXPECT_TRUE(find<QWidget>(*d, "overwritePanel")->isVisible());
    EXPECT_EQ(find<QLabel>(*d, "overwriteQuestion")->text(), "Filename exists, overwrite?");
    d->workerPass();
    EXPECT_EQ(editor.reports.size(), 1u);

    // Enter on the question's No returns to the dialog.
    QTest::keyClick(find<QPushButton>(*d, "noButton"), Qt::Key_Return);
    EXPECT_FALSE(find<QWidget>(*d, "overwritePanel")->isVisible());
    EXPECT_TRUE(find<QLineEdit>(*d, "textField1")->isVisible());
}

TEST_F(Dialogs, SavingAgainUnderTheLastNameDoesNotAsk) {
    saveAs("mine");
    ASSERT_EQ(editor.loaded, "mine");
    auto d = open(true, "scenarios/mine.scn");
    press(*d, "okButton");
    EXPECT_FALSE(find<QWidget>(*d, "overwritePanel")->isVisible());
    d->workerPass();
    EXPECT_EQ(editor.reports.size(), 2u);
}

TEST_F(Dialogs, ReadOnlyScenarioAsksAndYesMakesItWritable) {
    saveAs("ro", "old");
    makeReadOnly("ro.scn");
    auto d = open(true, "scenarios/ro.scn");
    EXPECT_EQ(find<QPlainTextEdit>(*d, "commentField")->toPlainText(), "old");
    find<QPlainTextEdit>(*d, "commentField")->setPlainText("new");
    press(*d, "okButton");
    EXPECT_EQ(find<QLabel>(*d, "overwriteQuestion")->text(), "File is Read-only, overwrite?");
    press(*d, "yesButton");
    d->workerPass();
    EXPECT_FALSE(getFileReadOnly(base.scenarios() + "ro.scn"));
    EXPECT_THAT(base.read("scenarios/ro.scn"), ::testing::HasSubstr("# Comment:  new\r\n"));
}

TEST_F(Dialogs, ReadOnlyScenarioAnsweredNoStaysUntouched) {
    saveAs("ro", "old");
    makeReadOnly("ro.scn");
    const std::string before = base.read("scenarios/ro.scn");
    auto d = open(true, "scenarios/ro.scn");
    press(*d, "okButton");
    press(*d, "noButton");
    d->workerPass();
    EXPECT_EQ(editor.reports.size(), 1u);
    EXPECT_TRUE(getFileReadOnly(base.scenarios() + "ro.scn"));
    EXPECT_EQ(base.read("scenarios/ro.scn"), before);
    EXPECT_TRUE(find<QPushButton>(*d, "okButton")->isVisible());
}

TEST_F(Dialogs, EmptyNameDirectoryOrListSeparatorInTheNameBeeps) {
    auto d = open(true, "scenarios/Filename");
    for (const QString& name :
         {QString("   "), QString("../outside"), QString("a\\b"), QString("a;b")}) {
        type(*d, name);
        press(*d, "okButton");
        d->workerPass();
    }
    EXPECT_EQ(editor.beeps, 4);
    EXPECT_THAT(editor.reports, IsEmpty());
    EXPECT_FALSE(std::filesystem::exists(base.dir() + "outside.scn"));
    EXPECT_FALSE(std::filesystem::exists(base.scenarios() + "a;b.scn"));
}

TEST_F(Dialogs, TextTheEncodingCannotHoldIsRefusedByName) {
    struct Case {
        const char* encoding;
        QString name, comment;
        std::string message;
    };
    const Case cases[] = {
        {"ISO-8859-1", "price", QString::fromUtf8("costs 5 \u20ac"),
         "These characters cannot be stored in the encoding ISO-8859-1 (Latin-1) of the scenario "
         "files: \u20ac\nPlease remove or replace them."},
        {"Cp1252", QString::fromUtf8("G\u0151z"), QString::fromUtf8("\u6f22 \u20ac \u6f22"),
         "These characters cannot be stored in the encoding Windows-1252 of the scenario files: "
         "\u0151 \u6f22\nPlease remove or replace them."},
    };
    for (const Case& c : cases) {
        Parameters::ENCODING = c.encoding;
        auto d = open(true, "scenarios/Filename");
        type(*d, c.name);
        find<QPlainTextEdit>(*d, "commentField")->setPlainText(c.comment);
        SeenBox seen;
        onNextMessageBox(seen);
        press(*d, "okButton");
        d->workerPass();
        EXPECT_EQ(seen.text, c.message) << c.encoding;
        EXPECT_EQ(seen.title, "Save Scenario");
        EXPECT_THAT(editor.reports, IsEmpty());
        // The dialog stays, the text as typed, for the user to mend.
        EXPECT_TRUE(find<QPushButton>(*d, "okButton")->isVisible());
        EXPECT_EQ(find<QPlainTextEdit>(*d, "commentField")->toPlainText(), c.comment);
    }
    // What Windows-1252 holds is saved as it is.
    Parameters::ENCODING = "Cp1252";
    saveAs("euro", QString::fromUtf8("5 \u20ac, \u00e4"));
    EXPECT_THAT(base.read("scenarios/euro.scn"), ::testing::HasSubstr("5 \x80, \xe4"));
}

TEST_F(Dialogs, CommentGoesOutOnOneLineAndComesBack) {
    saveAs("c", "first line\nsecond\tline");
    EXPECT_EQ(editor.comment, "first line\tsecond    line");
    EXPECT_THAT(base.read("scenarios/c.scn"),
                ::testing::HasSubstr("# Comment:  first line\tsecond    line\r\n"));

    auto d = open(true, "scenarios/c");
    EXPECT_EQ(find<QPlainTextEdit>(*d, "commentField")->toPlainText(),
              "first line\nsecond    line");
    EXPECT_EQ(d->getComment(), "first line\tsecond    line"); // no line gained per save
}

TEST_F(Dialogs, CommentHintIsSavedAsNoComment) {
    saveAs("h", QString::fromStdString(seLanguage::addCommentsText));
    EXPECT_EQ(editor.comment, "");
    EXPECT_THAT(base.read("scenarios/h.scn"), ::testing::HasSubstr("# Comment:  \r\n"));
}

TEST_F(Dialogs, ListIsSortedWithoutRegardToCaseAndChoosingShowsTheComment) {
    saveAs("gamma", "third");
    saveAs("alpha", "first");
    saveAs("Beta", "second");
    base.write("scenarios/notes.txt", "not a scenario");
    std::filesystem::create_directories(base.scenarios() + "folder.scn");
    auto d = open(false, "scenarios/NewFile");
    EXPECT_EQ(listed(*d), QStringList({"alpha", "Beta", "gamma"}));
    find<QListWidget>(*d, "list1")->setCurrentRow(1);
    EXPECT_EQ(find<QLineEdit>(*d, "textField1")->text(), "Beta");
    EXPECT_EQ(find<QPlainTextEdit>(*d, "commentField")->toPlainText(), "second");
}

TEST_F(Dialogs, ScenarioDirectoryIsCreatedWhenMissing) {
    std::filesystem::remove_all(base.scenarios());
    auto d = open(false, "scenarios/NewFile");
    EXPECT_TRUE(listed(*d).isEmpty());
    EXPECT_TRUE(std::filesystem::is_directory(base.scenarios()));
}

TEST_F(Dialogs, LoadReportsTheNameEvenWhenItsFileIsMissing) {
    auto d = open(false, "scenarios/NewFile");
    type(*d, "no such");
    press(*d, "okButton");
    d->workerPass();
    EXPECT_THAT(editor.reports, ElementsAre(seLanguage::LOAD_OK_ACTION));
    EXPECT_EQ(editor.filename, "no_such.scn");
    EXPECT_EQ(editor.loaded, "no_such");
}

TEST_F(Dialogs, DeleteAsksAndRemovesTheScenario) {
    saveAs("gone");
    saveAs("kept");
    makeReadOnly("kept.scn");
    std::vector<std::string> questions;
    auto d = open(false, "scenarios/NewFile");
    bool answer = false;
    d->setQuestion([&](QWidget*, const std::string& title, const std::string& text) {
        questions.push_back(title + "|" + text);
        return answer;
    });

    type(*d, "kept");
    press(*d, "deleteButton");
    d->workerPass();
    EXPECT_TRUE(std::filesystem::exists(base.scenarios() + "kept.scn"));
    EXPECT_FALSE(getFileReadOnly(base.scenarios() + "kept.scn"));

    answer = true;
    type(*d, "gone");
    press(*d, "deleteButton");
    d->workerPass();
    EXPECT_FALSE(std::filesystem::exists(base.scenarios() + "gone.scn"));
    EXPECT_EQ(listed(*d), QStringList({"kept"}));
    EXPECT_EQ(find<QLineEdit>(*d, "textField1")->text(), "");
    EXPECT_THAT(questions,
                ElementsAre("Delete Scenario|Do you really want to delete this scenario ?",
                            "Delete Scenario|Do you really want to delete this scenario ?"));

    type(*d, "unknown");
    press(*d, "deleteButton");
    d->workerPass();
    EXPECT_EQ(editor.beeps, 1);
    EXPECT_EQ(questions.size(), 2u);
}

TEST_F(Dialogs, BrowseReportsTheChosenFileAndDirectory) {
    auto d = open(true, "scenarios/Filename");
    QString startedIn;
    d->setFileChooser([&](QWidget*, bool save, const QString& title, const QString& dir,
                          const QString&) -> std::optional<QString> {
        EXPECT_TRUE(save);
        EXPECT_EQ(title, "Save");
        startedIn = dir;
        return QString::fromStdString(base.dir() + "elsewhere/case");
    });
    std::filesystem::create_directories(base.dir() + "elsewhere");
    find<QPlainTextEdit>(*d, "commentField")->setPlainText("typed\nhere");
    press(*d, "browseButton");
    d->workerPass();
    EXPECT_EQ(startedIn.toStdString(), base.scenarios());
    EXPECT_THAT(editor.reports, ElementsAre(seLanguage::SAVE_OK_ACTION));
    EXPECT_EQ(editor.filename, "case.scn");
    EXPECT_EQ(editor.path, base.dir() + "elsewhere/");
    EXPECT_EQ(editor.loaded, "newFile");      // Browse leaves the last name alone
    EXPECT_EQ(editor.comment, "typed\there"); // the comment typed, not one read from a file
    EXPECT_THAT(base.read("elsewhere/case.scn"),
                ::testing::HasSubstr("# Comment:  typed\there\r\n"));
    EXPECT_EQ(d->getFilename(), "Filename.scn"); // the choice is in force for the report only
}

TEST_F(Dialogs, CancelReportsAndClosingTheWindowDoesNot) {
    auto d = open(true, "scenarios/Filename");
    press(*d, "cancelButton");
    EXPECT_THAT(editor.reports, ElementsAre(seLanguage::SAVELOAD_CANCEL_ACTION));
    auto e = open(true, "scenarios/Filename");
    e->close();
    EXPECT_FALSE(e->isVisible());
    EXPECT_EQ(editor.reports.size(), 1u);
}

TEST_F(Dialogs, WorkerTimerServesTheRequestAndEndsAfterDispose) {
    auto d = open(true, "scenarios/Filename");
    bool ended = false;
    QObject::connect(d.get(), &SaveLoadDialog::workerEnded, [&] { ended = true; });
    type(*d, "timed");
    press(*d, "okButton");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !editor.reports.empty(); }, 3000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return ended; }, 3000));
    EXPECT_FALSE(d->workerRunning());
}

TEST_F(Dialogs, InstanceCountedUntilTheWorkerHasEnded) {
    const int before = SaveLoadDialog::getInstanceCount();
    auto d = open(true, "scenarios/Filename");
    EXPECT_EQ(SaveLoadDialog::getInstanceCount(), before + 1);
    int ended = 0;
    QObject::connect(d.get(), &SaveLoadDialog::workerEnded, [&] { ++ended; });
    press(*d, "cancelButton"); // the editor disposes the dialog
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(SaveLoadDialog::getInstanceCount(), before + 1); // a new dialog is refused
    d->workerPass();
    EXPECT_EQ(SaveLoadDialog::getInstanceCount(), before);
    EXPECT_EQ(ended, 1);
}

TEST(CommentRules, EncodingAndProposedNames) {
    EXPECT_EQ(encodeComment("a\r\nb\tc"), "a\t\tb    c");
    EXPECT_EQ(decodeComment("a\t\tb"), "a\r\n\r\nb");
    EXPECT_EQ(nameFromProposal("scenarios/Filename"), "Filename");
    EXPECT_EQ(nameFromProposal("scenarios/case.tcl"), "case");
    EXPECT_EQ(nameFromProposal("my.scn"), "my");
    EXPECT_EQ(nameFromProposal("other/x.txt"), "other/x.txt");
}

TEST(CommentRules, CommentReadFromTheFirstCommentLineBeforeTheDiagram) {
    BaseDir base;
    TclControl io(base.location());
    base.write("scenarios/a.scn", "# x\r\n# Comment:  one\ttwo\r\n# Comment:  later\r\n");
    base.write("scenarios/b.scn", "#BeginSavedDiagram\r\n# Comment:  inside\r\n");
    base.write("scenarios/c.scn", "# Comment:\r\n");
    EXPECT_EQ(readScenarioComment(io, "a.scn", base.scenarios()), "one\r\ntwo");
    EXPECT_EQ(readScenarioComment(io, "b.scn", base.scenarios()), "");
    EXPECT_EQ(readScenarioComment(io, "c.scn", base.scenarios()), "");
    EXPECT_EQ(readScenarioComment(io, "missing.scn", base.scenarios()), std::nullopt);
}

// ---- the exit-save question ---------------------------------------------------

struct Calls {
    std::vector<std::string> log;
    ExitSaveCommands commands() {
        return {[this] { log.push_back("save"); }, [this] { log.push_back("load"); },
                [this] { log.push_back("new"); }, [this] { log.push_back("close"); }};
    }
};

void answer(ExitSave& question, const char* button) {
    question.show();
    question.findChild<QPushButton*>(QLatin1String(button))->click();
    question.actOnAnswer();
}

TEST(ExitSaveQuestion, AnswersByMode) {
    QWidget window;
    EXPECT_EQ(exitSaveModeFromName("loading"), ExitSaveMode::loading);
    EXPECT_EQ(exitSaveModeFromName("other"), std::nullopt);

    for (auto [mode, expected] :
         {std::pair{ExitSaveMode::closing, "close"}, std::pair{ExitSaveMode::loading, "load"},
          std::pair{ExitSaveMode::newScenario, "new"}}) {
        Calls calls;
        BuilderState::file_changed();
        ExitSave no(&window, mode, calls.commands());
        EXPECT_EQ(no.size(), QSize(298, 109));
        EXPECT_EQ(no.windowTitle(), "Scenario Builder");
        answer(no, "noButton");
        // The command decides: the flag goes only when the drawing does.
        EXPECT_TRUE(BuilderState::isFileChanged());
        EXPECT_THAT(calls.log, ElementsAre(expected));

        BuilderState::file_changed();
        ExitSave yes(&window, mode, calls.commands());
        answer(yes, "yesButton");
        ExitSave cancel(&window, mode, calls.commands());
        answer(cancel, "cancelButton");
        EXPECT_THAT(calls.log, ElementsAre(expected, "save"));
        EXPECT_TRUE(BuilderState::isFileChanged());
    }
    BuilderState::clearFileChanged();
}

} // namespace
} // namespace crvl::test
