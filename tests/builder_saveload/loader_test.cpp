// Reading scenarios back: round trips through the generator, the loader's
// passes over unknown text, and its fallback to the default start frame.

#include "builder/core/tcl_control.h"
#include "builder/io/scenario_saving.h"
#include "builder/io/tcl_code_loader.h"
#include "tests/builder_saveload/saveload_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

namespace crvl::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

struct FrameView {
    std::string title;
    Point location;
    std::vector<std::string> rows; // text | type | code | attributes
    std::vector<std::string> outputs;
    friend bool operator==(const FrameView&, const FrameView&) = default;
};

std::ostream& operator<<(std::ostream& os, const FrameView& f) {
    os << f.title << "@" << f.location.x << "," << f.location.y;
    for (const auto& r : f.rows) {
        os << " [" << r << "]";
    }
    for (const auto& o : f.outputs) {
        os << " {" << o << "}";
    }
    return os;
}

std::vector<FrameView> framesOf(const FakeDocument& doc) {
    std::vector<FrameView> out;
    for (const ScenarioFrame* f : doc.frames()) {
        FrameView v{f->getTitle(), f->location(), {}, {}};
        for (const auto& r : f->rows()) {
            v.rows.push_back(r.text + "|" + r.type + "|" + r.code + "|" + r.attributes);
        }
        for (int k = 1; k <= 3; ++k) {
            const auto& o = f->output(k);
            v.outputs.push_back(o.text ? *o.text + "|" + o.type + "|" + o.code + "|" + o.attributes
                                       : "-");
        }
        out.push_back(v);
    }
    // Loading puts the frames on the canvas in number order.
    std::sort(out.begin(), out.end(),
              [](const FrameView& a, const FrameView& b) { return a.title < b.title; });
    return out;
}

std::vector<std::string> connectionsOf(const FakeDocument& doc) {
    std::vector<std::string> out;
    for (const Connection* c : doc.connections()) {
        out.push_back(c->toString() + (c->form() == ConnectionForm::Loop   ? "loop"
                                       : c->form() == ConnectionForm::Jump ? "jump"
                                                                           : "line"));
    }
    return out;
}

// A saved diagram around the given frame and connection lines.
std::string diagram(const std::string& frames, const std::string& connections = "") {
    return "#BeginSavedDiagram\n#FrameIconComponents\n" + frames +
           "#EndFrameIconComponents\n#Connections\n" + connections +
           "#EndConnections\n#EndSavedDiagram\n";
}
std::string frame(const std::string& title, const std::string& body = "#End\n#End\n",
                  const std::string& position = "10\t20") {
    return "#FrameIconComponent\t" + title + "\t" + position + "\n#listOfactionItems\n" + body +
           "#EndFrameIconComponent\n";
}

class Loading : public ::testing::Test {
protected:
    LoadReport load(const std::string& name) {
        return DiagramLoader(loaded, loaded, io).createDiagramFromFile(name, base.scenarios());
    }
    void write(const std::string& name, const std::string& text) {
        base.write("scenarios/" + name, text);
    }
    std::string save(FakeDocument& doc, const std::string& name) {
        EXPECT_TRUE(saveDiagram(doc, doc, io, name, base.scenarios(), "c", fixedDateHooks()).ok());
        return base.read("scenarios/" + name);
    }
    BaseDir base;
    TclControl io{base.location()};
    FakeDocument loaded;
};

// Every kind of element, all three boxes, the three connection forms and
// gaps in the numbering that the save closes.
void buildRichDiagram(FakeDocument& doc) {
    auto& f0 = doc.addFrame("Frame0", {100, 20});
    auto& f4 = doc.addFrame("Frame4", {400, 250});
    auto& f2 = doc.addFrame("Frame2", {100, 250});
    addAction(f0, "SetECG", "S;p;VF;");
    addAction(f0, "ElectrodesAction", "+");
    addAction(f0, "MotionAction", "-");
    addEvent(f0, 1, "DefibEvent", "3");
    addEvent(f0, 2, "CPREvent", "A45");
    addEvent(f0, 3, "TimeEvent", "T120");
    addAction(f2, "BatteryAction", "-");
    addAction(f2, "FailureAction", "+");
    addEvent(f2, 1, "CPREvent", "B");
    addAction(f4, "SetECG", "s;P;Sinus;");
    addEvent(f4, 2, "TimeEvent", "T0");
    doc.connect(f0, 1, f2);
    doc.connect(f0, 2, f4, true);
    doc.connect(f0, 3, f0);
    doc.connect(f2, 1, f4);
    doc.connect(f4, 2, f0, true);
}

TEST_F(Loading, GeneratedFilesLoadIntoTheSameDiagramAndSaveAgainUnchanged) {
    FakeDocument original;
    buildRichDiagram(original);
    const std::string first = save(original, "rich.scn");

    load("rich.scn");
    EXPECT_EQ(framesOf(loaded), framesOf(original));
    EXPECT_EQ(connectionsOf(loaded), connectionsOf(original));
    EXPECT_THAT(connectionsOf(loaded),
                ElementsAre("#Frame0\tFrame1\t2\t1\nline", "#Frame0\tFrame2\t3\t1\tj\njump",
                            "#Frame0\tFrame0\t4\t1\nloop", "#Frame1\tFrame2\t2\t1\nline",
                            "#Frame2\tFrame0\t3\t1\tj\njump"));
    EXPECT_EQ(loaded.nIndex, 2);
    EXPECT_THAT(loaded.status, ElementsAre("1...", "2...", "3..."));
    EXPECT_THAT(loaded.console, IsEmpty());

    GeneratorHooks laterDate;
    laterDate.dateText = [] { return std::string("Thu Dec 10 08:00:00 UTC 2026"); };
    ASSERT_TRUE(saveDiagram(loaded, loaded, io, "rich.scn", base.scenarios(), "c", laterDate).ok());
    const std::string second = base.read("scenarios/rich.scn");
    const std::regex dateLine("# Written: [^\r]*\r\n");
    EXPECT_NE(first, second);
    EXPECT_EQ(std::regex_replace(first, dateLine, ""), std::regex_replace(second, dateLine, ""));
}

TEST_F(Loading, SavedLoopLineWithJumpFlagStaysALoop) {
    write("l.scn", diagram(frame("Frame0") + frame("Frame1"),
                           "#Frame0\tFrame0\t2\t1\tj\n#Frame0\tFrame1\t3\t1\tj\n"));
    load("l.scn");
    EXPECT_THAT(connectionsOf(loaded),
                ElementsAre("#Frame0\tFrame0\t2\t1\nloop", "#Frame0\tFrame1\t3\t1\tj\njump"));
}

TEST_F(Loading, CommentsTableAndLinesBeforeTheFramesArePassedOver) {
    write("x.scn", "# a comment\n  00   FF   FF\n#BeginSavedDiagram\n#something else\n"
                   "stray text\n" +
                       diagram(frame("Frame0")).substr(std::string("#BeginSavedDiagram\n").size()));
    load("x.scn");
    EXPECT_THAT(framesOf(loaded), ElementsAre(::testing::Field(&FrameView::title, "Frame0")));
    EXPECT_THAT(loaded.console, IsEmpty());
}

// A file without its whole drawing is no scenario to open: the start frame
// alone, and the report says what was missing.
TEST_F(Loading, FileWithoutItsWholeDiagramGivesTheStartFrameAlone) {
    const std::pair<std::string, LoadReport::Outcome> cases[] = {
        {"# only comments\n# here\n", LoadReport::Outcome::NoDiagram},
        {"", LoadReport::Outcome::NoDiagram},
        {"  00   FF   FF\n#BeginSavedDiagram\n#EndSavedDiagram\n", LoadReport::Outcome::NoDiagram},
        {"#BeginSavedDiagram\n#FrameIconComponents\n" + frame("Frame0") + frame("Frame1"),
         LoadReport::Outcome::DiagramCut},
    };
    for (const auto& [text, outcome] : cases) {
        write("part.scn", text);
        EXPECT_EQ(load("part.scn").outcome, outcome) << text;
        ASSERT_EQ(loaded.frames().size(), 1u) << text;
        EXPECT_EQ(loaded.frames()[0]->getTitle(), "Frame0");
        EXPECT_EQ(loaded.nIndex, 0);
    }
}

TEST_F(Loading, UnknownElementTypeIsSkippedWithItsAttributeLine) {
    write("t.scn", diagram(frame("Frame0", "#TrendAction\n#up;3;\n#SetECG\n#S;p;VT;\n#End\n"
                                           "#Output2\n#TrendEvent\n#x\n#End\n")));
    load("t.scn");
    ASSERT_EQ(loaded.frames().size(), 1u);
    const auto& rows = loaded.frames()[0]->rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].code, "1,1:ECG 01 01 00");
    EXPECT_FALSE(loaded.frames()[0]->output(2).text);
    EXPECT_EQ(loaded.beeps, 0);
}

// Each malformed input ends the load with the console line, a beep and only
// the default start frame: frames read before the error are gone.
struct BadInput {
    const char* name;
    std::string text;
    const char* error;
};

class LoaderFallback : public Loading, public ::testing::WithParamInterface<BadInput> {};

TEST_P(LoaderFallback, ClearsThePartialDiagramAndLoadsTheStartFrame) {
    write("bad.scn", GetParam().text);
    const LoadReport report = load("bad.scn");
    EXPECT_EQ(report.outcome, LoadReport::Outcome::Damaged);
    EXPECT_THAT(report.error, HasSubstr(GetParam().error));
    ASSERT_FALSE(loaded.console.empty());
    EXPECT_THAT(loaded.console.front(), HasSubstr(std::string("Code loader error: ")));
    EXPECT_THAT(loaded.console.front(), HasSubstr(GetParam().error));
    EXPECT_EQ(loaded.beeps, 1);
    ASSERT_EQ(loaded.frames().size(), 1u);
    EXPECT_EQ(loaded.frames()[0]->getTitle(), "Frame0");
    EXPECT_EQ(loaded.frames()[0]->location(), (Point{100, 20}));
    EXPECT_EQ(loaded.frames()[0]->rows().size(), 1u);
    EXPECT_THAT(loaded.connections(), IsEmpty());
    EXPECT_EQ(loaded.nIndex, 0);
}

const std::string kGoodFrames =
    frame("Frame0", "#SetECG\n#S;p;VF;\n#End\n#Output1\n#DefibEvent\n#1\n#End\n") + frame("Frame1");

INSTANTIATE_TEST_SUITE_P(
    Malformed, LoaderFallback,
    ::testing::Values(BadInput{"NonNumericX",
                               diagram(kGoodFrames + frame("Frame2", "#End\n#End\n", "1O0\t20")),
                               "1O0"},
                      BadInput{"HeaderWithTooFewFields",
                               diagram(kGoodFrames + "#FrameIconComponent\tFrame2\t100\n#End\n"),
                               "too few fields"},
                      BadInput{"FrameBlockCutShort",
                               diagram(kGoodFrames + frame("Frame2", "#End\n#Output1\n")),
                               "Unexpected end"}),
    [](const ::testing::TestParamInfo<BadInput>& p) { return std::string(p.param.name); });

// An element pair or connection line that cannot be read costs that line
// only: the rest of the drawing loads and the report names what was left out.
struct BadLine {
    const char* name;
    std::string text;
    const char* skipped;
};

class LoaderSkip : public Loading, public ::testing::WithParamInterface<BadLine> {};

TEST_P(LoaderSkip, LeavesOutTheLineAndLoadsTheRest) {
    write("bad.scn", GetParam().text);
    const LoadReport report = load("bad.scn");
    EXPECT_EQ(report.outcome, LoadReport::Outcome::Loaded);
    EXPECT_THAT(report.skipped, ElementsAre(GetParam().skipped));
    EXPECT_EQ(loaded.beeps, 0);
    const auto frames = framesOf(loaded);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].rows.size(), 2u); // Frame0 keeps its ECG
    EXPECT_EQ(frames[0].outputs[0], "1 shocks|DefibEvent|SHK 01|1");
    EXPECT_EQ(frames[2].rows.size(), 2u); // the other action of Frame2
}

const std::string kGoodConnection = "#Frame0\tFrame1\t2\t1\n";

INSTANTIATE_TEST_SUITE_P(
    Malformed, LoaderSkip,
    ::testing::Values(
        BadLine{"MissingHash",
                diagram(kGoodFrames +
                            frame("Frame2", "SetECG\n#S;p;VF;\n#MotionAction\n#+\n#End\n#End\n"),
                        kGoodConnection),
                "Frame2: SetECG #S;p;VF;"},
        BadLine{"TypedTextInAField",
                diagram(kGoodFrames + frame("Frame2", "#MotionAction\n#+\n#End\n#Output1\n"
                                                      "#CPREvent\n#A1x\n#End\n"),
                        kGoodConnection),
                "Frame2: #CPREvent #A1x"},
        BadLine{"ValueBeyondItsCell",
                diagram(kGoodFrames + frame("Frame2", "#MotionAction\n#+\n#End\n#Output3\n"
                                                      "#TimeEvent\n#T300\n#End\n"),
                        kGoodConnection),
                "Frame2: #TimeEvent #T300"},
        BadLine{"ConnectionWithTooFewFields",
                diagram(kGoodFrames + frame("Frame2", "#MotionAction\n#+\n#End\n#End\n"),
                        kGoodConnection + "#Frame0\tFrame1\t2\n"),
                "#Frame0 Frame1 2"},
        BadLine{"ConnectionPartNotANumber",
                diagram(kGoodFrames + frame("Frame2", "#MotionAction\n#+\n#End\n#End\n"),
                        "#Frame0\tFrame1\tx\t1\n" + kGoodConnection),
                "#Frame0 Frame1 x 1"}),
    [](const ::testing::TestParamInfo<BadLine>& p) { return std::string(p.param.name); });

TEST_F(Loading, MissingFileFallsBack) {
    load("missing.scn");
    EXPECT_THAT(loaded.console, ElementsAre("Code loader error: Cannot open missing.scn"));
    EXPECT_EQ(loaded.frames().size(), 1u);
}

TEST_F(Loading, ConnectionToAFrameNotInTheDiagramIsDropped) {
    write("c.scn", diagram(kGoodFrames, "#Frame0\tFrame9\t2\t1\n#Frame0\tFrame1\t3\t1\n"
                                        "#Frame7\tFrame0\t2\t1\tj\n"));
    const LoadReport report = load("c.scn");
    EXPECT_EQ(loaded.frames().size(), 2u);
    EXPECT_THAT(connectionsOf(loaded), ElementsAre("#Frame0\tFrame1\t3\t1\nline"));
    EXPECT_THAT(report.skipped, ElementsAre("#Frame0 Frame9 2 1", "#Frame7 Frame0 2 1 j"));
    ASSERT_EQ(loaded.console.size(), 2u);
    EXPECT_THAT(loaded.console[0], HasSubstr("Frame9"));
    EXPECT_THAT(loaded.console[1], HasSubstr("Frame7"));
    EXPECT_EQ(loaded.beeps, 0);
}

TEST_F(Loading, DefaultStartFrameComesFromTheTemplate) {
    DiagramLoader(loaded, loaded, io).loadFrame0();
    ASSERT_EQ(loaded.frames().size(), 1u);
    EXPECT_EQ(loaded.frames()[0]->getTitle(), "Frame0");
    EXPECT_EQ(loaded.frames()[0]->location(), (Point{100, 20}));
    EXPECT_THAT(loaded.console, IsEmpty());
}

TEST_F(Loading, UnreadableStartFrameTemplateGivesAnEmptyStartFrame) {
    for (const std::string& text : {std::string(), diagram(frame("Frame0", "#End\n", "x\t1"))}) {
        FakeDocument doc;
        base.write("template/DefaultFrame0.scn", text);
        DiagramLoader(doc, doc, io).loadFrame0();
        ASSERT_EQ(doc.frames().size(), 1u);
        EXPECT_EQ(doc.frames()[0]->getTitle(), "Frame0");
        EXPECT_EQ(doc.frames()[0]->location(), (Point{100, 20}));
        EXPECT_EQ(doc.beeps, 1);
        ASSERT_EQ(doc.console.size(), 1u);
        EXPECT_THAT(doc.console[0], HasSubstr("Code loader error: "));
        EXPECT_GE(doc.fits, 1);
    }
}

TEST(SavedLineReader, SkipsEmptyLinesAndCarriageReturns) {
    SavedLineReader lines("a\r\n\r\n\nb\rc");
    EXPECT_EQ(lines.next(), "a");
    EXPECT_EQ(lines.next(), "b");
    EXPECT_EQ(lines.next(), "c");
    EXPECT_EQ(lines.next(), std::nullopt);
}

TEST_F(Loading, LoadFileStopsAtTheEndOfTheSavedDiagram) {
    write("f.scn", "# x\r\n\r\n#EndSavedDiagram\r\n# after\r\n");
    EXPECT_EQ(TCLCodeLoader(io).loadFile("f.scn", base.scenarios()).value(),
              "# x\n#EndSavedDiagram\n");
    write("g.scn", "# x\r\n# y");
    EXPECT_EQ(TCLCodeLoader(io).loadFile("g.scn", base.scenarios()).value(), "# x\n# y\n");
}

TEST_F(Loading, LoadFileOfAMissingFileFailsWithItsName) {
    const Result<std::string> text = TCLCodeLoader(io).loadFile("none.scn", base.scenarios());
    ASSERT_FALSE(text.ok());
    EXPECT_EQ(text.message(), "Cannot open none.scn");
}

TEST(ReadFrameIconComponent, ReportsAFrameItCannotReadAsAFailure) {
    SavedLineReader few("");
    EXPECT_EQ(readFrameIconComponent("#FrameIconComponent\tFrame1\t10", few).message(),
              "Frame header has too few fields: \"#FrameIconComponent\tFrame1\t10\"");
    SavedLineReader place("");
    EXPECT_EQ(readFrameIconComponent("#FrameIconComponent\tFrame1\tten\t20", place).message(),
              "Not a whole number: \"ten\"");
    SavedLineReader cut("#listOfactionItems\n");
    EXPECT_EQ(readFrameIconComponent("#FrameIconComponent\tFrame1\t10\t20", cut).message(),
              "Unexpected end of the saved diagram in frame Frame1");
    SavedLineReader whole("#EndFrameIconComponent\n");
    const Result<SavedFrame> read =
        readFrameIconComponent("#FrameIconComponent\tFrame1\t10\t20", whole);
    ASSERT_TRUE(read.ok()) << read.message();
    EXPECT_EQ(read.value().title, "Frame1");
    EXPECT_EQ(read.value().location, (Point{10, 20}));
}

} // namespace
} // namespace crvl::test
