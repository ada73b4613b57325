// Every shipped lesson: it is exactly what the lesson book draws, it loads
// in the builder and saves again to the same bytes, the configuration
// tool's reader accepts its table for upload, the scenario checks find no
// problem in it, and the trainer's player runs its drill as the comment
// tells it.

#include "builder/core/tcl_control.h"
#include "builder/editor/drawing_table.h"
#include "builder/io/scenario_saving.h"
#include "builder/io/tcl_code_loader.h"
#include "scenario/scenario_check.h"
#include "scenario/scenario_file.h"
#include "scenario/scenario_player.h"
#include "tests/builder_saveload/saveload_support.h"
#include "tests/lessons/lesson_book.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

namespace crvl::test {
namespace {

namespace fs = std::filesystem;

const fs::path kShipped = fs::path(CRVL_SOURCE_DIR) / "builder/data/lessons";

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

ScenarioFile uploadFile(const fs::path& path) {
    const std::string bytes = readBytes(path);
    return ParseScenarioFile(
        path.string(),
        std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

GeneratorHooks lessonDate() {
    GeneratorHooks hooks;
    hooks.dateText = [] { return std::string(kLessonDate); };
    return hooks;
}

class ShippedLesson : public ::testing::TestWithParam<std::tuple<Lesson, bool>> {
protected:
    const Lesson& lesson() const { return std::get<0>(GetParam()); }
    bool german() const { return std::get<1>(GetParam()); }
    fs::path shipped() const {
        return (german() ? kShipped / "de" : kShipped) / (lesson().name + ".scn");
    }
    std::string comment() const { return german() ? lesson().commentDe : lesson().comment; }

    BaseDir base;
    TclControl io{base.location()};
};

TEST_P(ShippedLesson, IsWhatTheBookDraws) {
    FakeDocument doc;
    drawLesson(doc, lesson());
    ASSERT_TRUE(
        saveDiagram(doc, doc, io, "drawn.scn", base.scenarios(), comment(), lessonDate()).ok());
    std::string drawn = readBytes(base.scenarios() + "drawn.scn");
    const std::string shippedBytes = readBytes(shipped());
    const std::string name = lesson().name + ".scn";
    // Only the file name line differs.
    drawn.replace(drawn.find("drawn.scn"), 9, name);
    EXPECT_EQ(drawn, shippedBytes) << shipped() << " is not what make_lessons writes";
}

TEST_P(ShippedLesson, LoadsAndSavesToTheSameBytes) {
    const std::string name = lesson().name + ".scn";
    fs::copy_file(shipped(), base.scenarios() + name);
    FakeDocument loaded;
    const LoadReport report =
        DiagramLoader(loaded, loaded, io).createDiagramFromFile(name, base.scenarios());
    ASSERT_EQ(report.outcome, LoadReport::Outcome::Loaded) << report.error;
    EXPECT_TRUE(report.skipped.empty());
    ASSERT_EQ(loaded.frameList.size(), lesson().frames.size());
    for (const auto& frame : loaded.frameList) {
        // Every frame says what the ECG shows: the trainer keeps no rhythm of
        // its own from the frame before.
        EXPECT_EQ(frame->getActionTypes().at(1), "SetECG") << frame->getTitle();
        // Events only in the output boxes the builder shows, so every one
        // of them can be seen and edited.
        for (int box = frame->eventBoxes() + 1; box <= 3; ++box) {
            EXPECT_FALSE(frame->output(box).text) << frame->getTitle() << " output " << box;
        }
    }
    for (const auto& connection : loaded.connectionList) {
        EXPECT_LE(connection->startArea(), connection->getSource().eventBoxes() + 1);
    }
    fs::create_directories(base.dir() + "again");
    ASSERT_TRUE(
        saveDiagram(loaded, loaded, io, name, base.dir() + "again/", comment(), lessonDate()).ok());
    EXPECT_EQ(readBytes(base.dir() + "again/" + name), readBytes(shipped()));
}

TEST_P(ShippedLesson, IsAcceptedForUpload) {
    const ScenarioFile file = uploadFile(shipped());
    ASSERT_EQ(file.status, ScenarioFileStatus::Ok);
    EXPECT_EQ(file.name, lesson().name);
    // Rows past the lesson's frames are unused.
    for (std::size_t row = lesson().frames.size(); row < 20; ++row) {
        for (std::size_t cell = 1; cell < 14; ++cell) {
            EXPECT_EQ(file.table.At(row, cell), 0xFF) << row << "/" << cell;
        }
    }
}

std::vector<std::string> problems(const std::vector<scenario::Finding>& findings) {
    std::vector<std::string> lines;
    for (const scenario::Finding& finding : findings) {
        if (finding.severity != scenario::Severity::Note) {
            lines.push_back(finding.key + " in row " + std::to_string(finding.frame));
        }
    }
    return lines;
}

// What the builder's Scenario Check says of the drawing, and what crvlctl's
// check says of the file's table: no error and no warning (the end frame's
// note is the lesson's end).
TEST_P(ShippedLesson, HasNoProblemUnderTheChecks) {
    const std::string name = lesson().name + ".scn";
    fs::copy_file(shipped(), base.scenarios() + name);
    FakeDocument loaded;
    ASSERT_EQ(
        DiagramLoader(loaded, loaded, io).createDiagramFromFile(name, base.scenarios()).outcome,
        LoadReport::Outcome::Loaded);
    const DrawingTable drawn = tableOfDrawing(loaded);
    EXPECT_EQ(problems(scenario::CheckDrawing(drawn.table, drawn.drawing)),
              std::vector<std::string>{});
    const ScenarioFile file = uploadFile(shipped());
    EXPECT_EQ(drawn.table, file.table);
    EXPECT_EQ(problems(scenario::CheckTable(file.table)), std::vector<std::string>{});
}

// A drill is what the student does, step by step, and what the trainer
// shows after each step.
enum class Act { Start, Shock, Cpr, Wait };

struct DrillStep {
    Act act;
    int seconds; // CPR or waiting
    int frame;
    std::uint8_t rhythm;
    std::uint8_t pulse = 0;
    std::uint8_t electrodes = 0; // 0 attached
    std::uint8_t motion = 0;
    std::uint8_t battery = 2; // 2 OK, 1 low, 0 replace now
    std::uint8_t failure = 0;
};

namespace rhythm = scenario::rhythm;

// Each lesson's drill, as its comment tells the student.
const std::map<std::string, std::vector<DrillStep>>& drills() {
    static const std::map<std::string, std::vector<DrillStep>> all = {
        {"vf-first-shock",
         {{Act::Start, 0, 0, rhythm::kVf},
          {Act::Wait, 60, 0, rhythm::kVf},
          {Act::Shock, 0, 1, rhythm::kSinus, 1}}},
        {"vf-shock-series",
         {{Act::Start, 0, 0, rhythm::kVf},
          {Act::Shock, 0, 1, rhythm::kVf},
          // CPR adds up over its stretches until 120 s.
          {Act::Cpr, 60, 1, rhythm::kVf},
          {Act::Cpr, 60, 2, rhythm::kVf},
          {Act::Shock, 0, 3, rhythm::kVf},
          {Act::Cpr, 120, 4, rhythm::kVf},
          {Act::Shock, 0, 5, rhythm::kSinus, 1}}},
        {"pulseless-vt",
         {{Act::Start, 0, 0, rhythm::kVt},
          {Act::Shock, 0, 1, rhythm::kVt},
          {Act::Cpr, 119, 1, rhythm::kVt},
          {Act::Cpr, 1, 2, rhythm::kSinus, 1}}},
        {"asystole-cpr",
         {{Act::Start, 0, 0, rhythm::kAsystole},
          // A shock changes nothing.
          {Act::Shock, 0, 0, rhythm::kAsystole},
          {Act::Cpr, 120, 1, rhythm::kAsystole},
          {Act::Cpr, 120, 0, rhythm::kAsystole},
          {Act::Wait, 300, 0, rhythm::kAsystole}}},
        {"sinus-with-pulse",
         {{Act::Start, 0, 0, rhythm::kSinus, 1},
          {Act::Shock, 0, 0, rhythm::kSinus, 1},
          {Act::Wait, 600, 0, rhythm::kSinus, 1}}},
        {"pads-come-loose",
         {{Act::Start, 0, 0, rhythm::kVf},
          {Act::Wait, 19, 0, rhythm::kVf},
          {Act::Wait, 1, 1, rhythm::kVf, 0, 1},
          // With loose pads a shock does not lead on.
          {Act::Shock, 0, 1, rhythm::kVf, 0, 1},
          {Act::Wait, 15, 2, rhythm::kVf},
          {Act::Shock, 0, 3, rhythm::kSinus, 1}}},
        {"motion-in-analysis",
         {{Act::Start, 0, 0, rhythm::kVf, 0, 0, 1},
          {Act::Shock, 0, 0, rhythm::kVf, 0, 0, 1},
          {Act::Wait, 15, 1, rhythm::kVf},
          {Act::Shock, 0, 2, rhythm::kSinus, 1}}},
        {"low-battery",
         {{Act::Start, 0, 0, rhythm::kVf, 0, 0, 0, 1},
          {Act::Shock, 0, 1, rhythm::kVf, 0, 0, 0, 1},
          {Act::Cpr, 120, 2, rhythm::kVf, 0, 0, 0, 0},
          {Act::Wait, 30, 3, rhythm::kVf},
          {Act::Shock, 0, 4, rhythm::kSinus, 1}}},
        {"device-failure",
         {{Act::Start, 0, 0, rhythm::kVf, 0, 0, 0, 2, 1},
          {Act::Shock, 0, 0, rhythm::kVf, 0, 0, 0, 2, 1},
          {Act::Cpr, 120, 1, rhythm::kVf},
          {Act::Shock, 0, 2, rhythm::kSinus, 1}}},
    };
    return all;
}

std::string shown(const MonitorRecord& r) {
    return "frame " + std::to_string(r.frame) + " rhythm " + std::to_string(r.rhythm) + " pulse " +
           std::to_string(r.pulse) + " electrodes " + std::to_string(r.electrodes) + " motion " +
           std::to_string(r.motion) + " battery " + std::to_string(r.battery) + " failure " +
           std::to_string(r.failure);
}

TEST_P(ShippedLesson, PlaysItsDrill) {
    const auto drill = drills().find(lesson().name);
    ASSERT_NE(drill, drills().end()) << "no drill for " << lesson().name;
    const ScenarioFile file = uploadFile(shipped());
    ASSERT_EQ(file.status, ScenarioFileStatus::Ok);
    scenario::ScenarioPlayer player;
    int step = 0;
    for (const DrillStep& s : drill->second) {
        const std::chrono::seconds time(s.seconds);
        switch (s.act) {
        case Act::Start:
            player.Start(11, file.table);
            break;
        case Act::Shock:
            player.Shock();
            break;
        case Act::Cpr:
            player.CprStart();
            player.Advance(time);
            player.CprStop();
            break;
        case Act::Wait:
            player.Advance(time);
            break;
        }
        MonitorRecord wanted = player.Record();
        wanted.frame = std::uint8_t(s.frame);
        wanted.rhythm = s.rhythm;
        wanted.pulse = s.pulse;
        wanted.electrodes = s.electrodes;
        wanted.motion = s.motion;
        wanted.battery = s.battery;
        wanted.failure = s.failure;
        EXPECT_EQ(shown(player.Record()), shown(wanted)) << "after step " << step;
        ++step;
    }
}

TEST_P(ShippedLesson, CommentIsTwoOrThreeLinesInTheRightLanguage) {
    const std::string bytes = readBytes(shipped());
    const auto at = bytes.find("# Comment:  ");
    ASSERT_NE(at, std::string::npos);
    const std::string line = bytes.substr(at, bytes.find("\r\n", at) - at);
    const auto lines = std::count(line.begin(), line.end(), '\t') + 1;
    EXPECT_GE(lines, 2);
    EXPECT_LE(lines, 3);
    // German comments carry Windows-1252 umlauts, English ones plain ASCII.
    const bool nonAscii =
        std::any_of(line.begin(), line.end(), [](char c) { return (unsigned char)c >= 0x80; });
    EXPECT_EQ(nonAscii, german());
}

std::string lessonName(const ::testing::TestParamInfo<std::tuple<Lesson, bool>>& info) {
    std::string name = std::get<0>(info.param).name + (std::get<1>(info.param) ? "_de" : "_en");
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(Lessons, ShippedLesson,
                         ::testing::Combine(::testing::ValuesIn(lessonBook()), ::testing::Bool()),
                         lessonName);

// The library holds nothing the book does not draw, and covers the drills
// a course needs.
TEST(LessonLibrary, HoldsExactlyTheBook) {
    std::set<std::string> book;
    for (const Lesson& lesson : lessonBook()) {
        book.insert(lesson.name + ".scn");
    }
    EXPECT_GE(book.size(), 8u);
    for (const fs::path& dir : {kShipped, kShipped / "de"}) {
        std::set<std::string> files;
        for (const auto& entry : fs::directory_iterator(dir)) {
            if (entry.is_regular_file()) {
                files.insert(entry.path().filename().string());
            }
        }
        EXPECT_EQ(files, book) << dir;
    }
    for (const auto& [name, drill] : drills()) {
        EXPECT_TRUE(book.contains(name + ".scn")) << "a drill for no lesson: " << name;
    }
}

} // namespace
} // namespace crvl::test
