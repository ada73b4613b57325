// The state table, the saved-diagram text and the scenario file as written.

#include "builder/core/tcl_control.h"
#include "builder/io/scenario_saving.h"
#include "builder/io/state_table.h"
#include "tests/builder_saveload/saveload_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace crvl::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

std::vector<std::string> row(const StateTable& table, int r) {
    std::vector<std::string> cells;
    for (int c = 0; c < kStateTableCells; ++c) {
        cells.push_back(table.cell(r, c));
    }
    return cells;
}

StateTable tableOf(const FakeDocument& doc) {
    StateTable table;
    for (const ScenarioFrame* frame : doc.frames()) {
        table.writeProcedure(snapshotOf(*frame), *frameNumberFromTitle(frame->getTitle()));
    }
    return table;
}

TEST(StateTable, StartFrameOnlyLeavesEveryRowUnset) {
    FakeDocument doc;
    doc.addFrame("Frame0", {100, 20});
    const StateTable table = tableOf(doc);
    for (int r = 0; r < kStateTableRows; ++r) {
        std::vector<std::string> expected(kStateTableCells, "FF");
        expected[0] = hexCell(r);
        EXPECT_EQ(row(table, r), expected) << "row " << r;
    }
    EXPECT_EQ(table.cell(19, 0), "13");
}

TEST(StateTable, TwoFrameExampleCellForCell) {
    FakeDocument doc;
    buildTwoFrameExample(doc);
    const StateTable table = tableOf(doc);
    EXPECT_THAT(row(table, 0), ElementsAre("00", "FF", "FF", "01", "00", "02", "FF", "FF", "01",
                                           "01", "FF", "FF", "FF", "FF"));
    EXPECT_THAT(row(table, 1), ElementsAre("01", "FF", "FF", "00", "01", "00", "FF", "FF", "FF",
                                           "FF", "FF", "FF", "1E", "00"));
}

TEST(StateTable, EveryActionAndEventKindLandsInItsCells) {
    FakeDocument doc;
    auto& f0 = doc.addFrame("Frame0", {0, 0});
    auto& f1 = doc.addFrame("Frame1", {0, 300});
    addAction(f0, "ElectrodesAction", "-");
    addAction(f0, "MotionAction", "+");
    addAction(f0, "BatteryAction", "b");
    addAction(f0, "FailureAction", "+");
    addAction(f0, "SetECG", "S;p;VT;");
    addEvent(f0, 1, "CPREvent", "A60");
    addEvent(f0, 2, "TimeEvent", "T250");
    addEvent(f0, 3, "DefibEvent", "9");
    doc.connect(f0, 1, f1);
    doc.connect(f0, 2, f0);
    doc.connect(f0, 3, f1, true);
    EXPECT_THAT(row(tableOf(doc), 0), ElementsAre("00", "01", "01", "01", "00", "01", "01", "01",
                                                  "09", "01", "3C", "01", "FA", "00"));
}

TEST(StateTable, EventWithoutConnectionAndConnectionWithoutEventLeaveCellsUnset) {
    FakeDocument doc;
    auto& f0 = doc.addFrame("Frame0", {0, 0});
    auto& f1 = doc.addFrame("Frame1", {0, 300});
    addEvent(f0, 2, "CPREvent", "S"); // no connection
    doc.connect(f0, 1, f1);           // no event in box 1
    const auto cells = row(tableOf(doc), 0);
    EXPECT_EQ(cells, std::vector<std::string>({"00", "FF", "FF", "FF", "FF", "FF", "FF", "FF", "FF",
                                               "FF", "FF", "FF", "FF", "FF"}));
    // The diagram still carries the event.
    EXPECT_THAT(f0.toString(), HasSubstr("#Output2\n#CPREvent\n#S\n"));
}

TEST(StateTable, MismatchedListsSkipTheActions) {
    FrameSnapshot frame;
    frame.title = "Frame0";
    frame.listRows = 3;
    frame.actionCodes = {"1,1:code", "1,1:MOT 01"};
    StateTable table;
    const FrameProcedure proc = table.writeProcedure(frame, 0);
    EXPECT_EQ(proc.actionStatements, "#Internal code generation error 1 n = 2 n2 = 3");
    EXPECT_EQ(table.cell(0, CELL_MOTION), "FF");
}

TEST(StateTable, FinalCodeLayout) {
    StateTable table;
    table.setCell(0, CELL_ECG_SHOCKABLE, "01");
    const std::string code = table.finalCode();
    EXPECT_TRUE(code.starts_with("  00   FF   FF   01   "));
    EXPECT_TRUE(code.ends_with("\n  "));
    const auto lines = splitLf(code);
    ASSERT_EQ(lines.size(), 21u);
    for (int r = 0; r < kStateTableRows; ++r) {
        ASSERT_EQ(lines[r].size(), 72u) << "row " << r;
        EXPECT_EQ(lines[r].substr(0, 4), "  " + hexCell(r));
        for (int c = 0; c < kStateTableCells; ++c) {
            EXPECT_EQ(lines[r].substr(2 + 5 * c + 2, 3), "   ");
        }
    }
    EXPECT_EQ(lines[20], "  ");
}

TEST(SavedDiagram, TwoFrameExampleLineForLine) {
    FakeDocument doc;
    buildTwoFrameExample(doc);
    const std::string text = createStringFromDiagram(doc, doc);
    EXPECT_THAT(splitLf(text),
                ElementsAre("#BeginSavedDiagram", "#FrameIconComponents",
                            "#FrameIconComponent\tFrame0\t100\t20", "#listOfactionItems", "#SetECG",
                            "#S;p;VF;", "#End", "#Output1", "#DefibEvent", "#1", "#End",
                            "#EndFrameIconComponent", "#FrameIconComponent\tFrame1\t100\t200",
                            "#listOfactionItems", "#SetECG", "#s;P;Sinus;", "#End", "#Output1",
                            "#TimeEvent", "#T30", "#End", "#EndFrameIconComponent",
                            "#EndFrameIconComponents", "#Connections", "#Frame0\tFrame1\t2\t1",
                            "#Frame1\tFrame0\t2\t1\tj", "#EndConnections", "#EndSavedDiagram"));
    EXPECT_EQ(doc.undoResets, 1);
}

TEST(SavedDiagram, RenumbersFramesWithoutGapsAndConnectionsFollow) {
    FakeDocument doc;
    auto& f7 = doc.addFrame("Frame7", {300, 300});
    auto& f0 = doc.addFrame("Frame0", {100, 20});
    auto& f3 = doc.addFrame("Frame3", {100, 300});
    addEvent(f0, 1, "DefibEvent", "2");
    addEvent(f3, 1, "TimeEvent", "T10");
    doc.connect(f0, 1, f7);
    doc.connect(f3, 1, f7, true);
    const std::string text = createStringFromDiagram(doc, doc);

    EXPECT_EQ(f0.getTitle(), "Frame0");
    EXPECT_EQ(f3.getTitle(), "Frame1");
    EXPECT_EQ(f7.getTitle(), "Frame2");
    EXPECT_EQ(f7.rows().front().text, "Name = Frame2");
    EXPECT_EQ(doc.nIndex, 2);
    EXPECT_THAT(text, HasSubstr("#Frame0\tFrame2\t2\t1\n#Frame1\tFrame2\t2\t1\tj\n"));
    // Frames are written in number order, whatever their canvas order.
    EXPECT_LT(text.find("\tFrame0\t"), text.find("\tFrame1\t"));
    EXPECT_LT(text.find("\tFrame1\t"), text.find("\tFrame2\t"));
    EXPECT_EQ(doc.connections()[1]->labelText(), "Frame2");

    const StateTable table = tableOf(doc);
    EXPECT_EQ(table.cell(0, CELL_SHOCKS_NEXT), "02");
    EXPECT_EQ(table.cell(1, CELL_TIME_NEXT), "02");
}

// ---- the file as written ---------------------------------------------------

class GeneratorFile : public ::testing::Test {
protected:
    GenerationResult save(const std::string& name, const std::string& comment = "",
                          GeneratorHooks hooks = fixedDateHooks()) {
        return saveDiagram(doc, doc, io, name, base.scenarios(), comment, std::move(hooks));
    }
    std::string written(const std::string& name) const { return base.read("scenarios/" + name); }

    BaseDir base;
    TclControl io{base.location()};
    FakeDocument doc;
};

TEST_F(GeneratorFile, WritesTemplateTableAndDiagramInCp1252WithCrLf) {
    buildTwoFrameExample(doc);
    std::vector<int> status;
    ASSERT_TRUE(save("two.scn", "Übung mit 30 °C", fixedDateHooks(&status)).ok());
    EXPECT_THAT(status, ElementsAre(40, 60, 100));

    const std::string file = written("two.scn");
    EXPECT_THAT(file, HasSubstr("# Comment:  \xDC"
                                "bung mit 30 \xB0"
                                "C\r\n"));
    EXPECT_THAT(file, HasSubstr("# File:      two.scn\r\n"));
    EXPECT_THAT(file, HasSubstr(std::string("# Written:   ") + kFixedDate + "\r\n"));
    EXPECT_THAT(file, HasSubstr("# Generator: 1.0-Corvel\r\n"));
    EXPECT_THAT(file, HasSubstr("\r\n  00   FF   FF   01   00   02   FF   FF   01   01   FF   "
                                "FF   FF   FF   \r\n  01   FF   FF   00   01   00"));
    EXPECT_THAT(file, HasSubstr("\r\n#BeginSavedDiagram\r\n#FrameIconComponents\r\n"));
    EXPECT_THAT(file, HasSubstr("#Frame1\tFrame0\t2\t1\tj\r\n#EndConnections\r\n"
                                "#EndSavedDiagram\r\n\r\n# End of scenario file\r\n"));
    // No bare line feeds, no temporary file left behind.
    for (std::size_t i = 0; i < file.size(); ++i) {
        if (file[i] == '\n') {
            ASSERT_GT(i, 0u);
            ASSERT_EQ(file[i - 1], '\r') << "at " << i;
        }
    }
    EXPECT_FALSE(std::filesystem::exists(base.scenarios() + "two.scn.saving"));
}

TEST_F(GeneratorFile, PlaceholdersInsideTheCommentAreNotExpanded) {
    doc.addFrame("Frame0", {100, 20});
    ASSERT_TRUE(save("c.scn", "see %Code% and %Comment% and %Diagram%").ok());
    const std::string file = written("c.scn");
    EXPECT_THAT(file, HasSubstr("# Comment:  see %Code% and %Comment% and %Diagram%\r\n"));
    EXPECT_EQ(std::count(file.begin(), file.end(), '\n'),
              std::count(file.begin(), file.end(), '\r'));
    // Exactly one table and one diagram.
    EXPECT_EQ(file.find("  13   FF"), file.rfind("  13   FF"));
    EXPECT_EQ(file.find("#BeginSavedDiagram"), file.rfind("#BeginSavedDiagram"));
}

TEST_F(GeneratorFile, LineBreaksInTheCommentStayOnTheCommentLine) {
    doc.addFrame("Frame0", {100, 20});
    ASSERT_TRUE(save("c.scn", "one\ntwo\r\nthree").ok());
    EXPECT_THAT(written("c.scn"), HasSubstr("# Comment:  one\ttwo\t\tthree\r\n"));
}

TEST_F(GeneratorFile, MissingTemplateWritesNothing) {
    std::filesystem::remove(base.dir() + "template/scenarioProlog.tcl");
    doc.addFrame("Frame0", {100, 20});
    const auto result = save("x.scn");
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.message(), "Cannot open template/scenarioProlog.tcl");
    EXPECT_EQ(result.failure, SaveFailure::MissingTemplate);
    EXPECT_THAT(doc.console, ElementsAre("Code generation error: Cannot open "
                                         "template/scenarioProlog.tcl"));
    EXPECT_EQ(doc.beeps, 1);
    EXPECT_FALSE(std::filesystem::exists(base.scenarios() + "x.scn"));
}

TEST_F(GeneratorFile, MissingDirectoryCannotBeOpened) {
    doc.addFrame("Frame0", {100, 20});
    const auto result =
        saveDiagram(doc, doc, io, "x.scn", base.dir() + "nowhere/", "", fixedDateHooks());
    EXPECT_EQ(result.message(), "Cannot open x.scn");
}

TEST_F(GeneratorFile, FrameNumberBeyondTheTableStopsBeforeTheFileIsOpened) {
    for (int i = 0; i < 21; ++i) {
        doc.addFrame("Frame" + std::to_string(i), {0, 0});
    }
    const auto result = save("big.scn");
    EXPECT_FALSE(result.ok());
    EXPECT_THAT(result.message(), HasSubstr("Frame20"));
    EXPECT_EQ(result.failure, SaveFailure::TooManyFrames);
    EXPECT_FALSE(std::filesystem::exists(base.scenarios() + "big.scn"));
    EXPECT_FALSE(std::filesystem::exists(base.scenarios() + "big.scn.saving"));
}

TEST_F(GeneratorFile, ReadOnlyTargetIsNotReplaced) {
    doc.addFrame("Frame0", {100, 20});
    const std::string path = base.write("scenarios/ro.scn", "old");
    std::filesystem::permissions(path, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    const auto result = save("ro.scn");
    EXPECT_EQ(result.message(), "Cannot open ro.scn");
    EXPECT_EQ(result.failure, SaveFailure::NoPermission);
    EXPECT_EQ(written("ro.scn"), "old");
}

// A writer that fails at a chosen line, or when it closes, as a full disk does.
class FailingWriter : public ScenarioLineWriter {
public:
    FailingWriter(std::string directory, int failAtLine, bool failClose)
        : real_(makeCharFileLineWriter(directory)), failAt_(failAtLine), failClose_(failClose) {}
    bool openWrite(const std::string& name) override { return real_->openWrite(name); }
    bool writeLine(std::string_view text) override {
        return ++lines_ != failAt_ && real_->writeLine(text);
    }
    bool closeFile() override { return real_->closeFile() && !failClose_; }
    std::error_code lastError() const override {
        return std::make_error_code(std::errc::no_space_on_device);
    }

private:
    std::unique_ptr<ScenarioLineWriter> real_;
    int failAt_;
    bool failClose_;
    int lines_ = 0;
};

// A folder that refuses new files, whatever the user running the tests may do.
class RefusingFolderWriter : public ScenarioLineWriter {
public:
    bool openWrite(const std::string&) override { return false; }
    bool writeLine(std::string_view) override { return false; }
    bool closeFile() override { return false; }
    std::error_code lastError() const override {
        return std::make_error_code(std::errc::permission_denied);
    }
};

TEST_F(GeneratorFile, WritableFileInAFolderThatRefusesNewFilesBlamesTheFolder) {
    doc.addFrame("Frame0", {100, 20});
    base.write("scenarios/w.scn", "old");
    GeneratorHooks hooks = fixedDateHooks();
    hooks.makeWriter = [](const std::string&) { return std::make_unique<RefusingFolderWriter>(); };
    const auto result = save("w.scn", "", hooks);
    EXPECT_EQ(result.failure, SaveFailure::FolderNotWritable);
    EXPECT_EQ(written("w.scn"), "old");
}

TEST_F(GeneratorFile, FailedWriteKeepsThePreviousScenario) {
    buildTwoFrameExample(doc);
    ASSERT_TRUE(save("keep.scn", "first").ok());
    const std::string before = written("keep.scn");

    for (const bool failClose : {false, true}) {
        GeneratorHooks hooks = fixedDateHooks();
        hooks.makeWriter = [failClose](const std::string& dir) {
            return std::make_unique<FailingWriter>(dir, failClose ? -1 : 30, failClose);
        };
        const auto result = save("keep.scn", "second", hooks);
        EXPECT_FALSE(result.ok());
        EXPECT_EQ(result.message(), "File write error keep.scn");
        EXPECT_EQ(result.failure, SaveFailure::DiskFull);
        EXPECT_EQ(written("keep.scn"), before);
        EXPECT_FALSE(std::filesystem::exists(base.scenarios() + "keep.scn.saving"));
    }
    EXPECT_THAT(doc.console.back(), HasSubstr("Code generation error: File write error"));
}

TEST_F(GeneratorFile, TemplateLineWithoutLineBreakAtTheEndIsNotCopied) {
    base.write("template/scenarioProlog.tcl", "# a %ScenarioFileName%\r\n\r\n%Code%\r\n# tail");
    doc.addFrame("Frame0", {100, 20});
    ASSERT_TRUE(save("t.scn").ok());
    const std::string file = written("t.scn");
    EXPECT_TRUE(file.starts_with("# a t.scn\r\n  00   FF"));
    EXPECT_THAT(file, Not(HasSubstr("tail")));
}

} // namespace
} // namespace crvl::test
