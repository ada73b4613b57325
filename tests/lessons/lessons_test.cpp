// Every shipped lesson: it is exactly what the lesson book draws, it loads
// in the builder and saves again to the same bytes, and the configuration
// tool's reader accepts its table for upload.

#include "lesson_book.h"
#include "saveload_support.h"
#include "scenario_file.h"
#include "scenario_saving.h"
#include "tcl_code_loader.h"
#include "tcl_control.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

namespace crvl::test {
namespace {

namespace fs = std::filesystem;

const fs::path kShipped = fs::path(CRVL_SOURCE_DIR) / "builder/data/lessons";

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
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
        saveDiagram(doc, doc, io, "drawn.scn", base.scenarios(), comment(), lessonDate()).ok);
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
    }
    fs::create_directories(base.dir() + "again");
    ASSERT_TRUE(
        saveDiagram(loaded, loaded, io, name, base.dir() + "again/", comment(), lessonDate()).ok);
    EXPECT_EQ(readBytes(base.dir() + "again/" + name), readBytes(shipped()));
}

TEST_P(ShippedLesson, IsAcceptedForUpload) {
    const std::string bytes = readBytes(shipped());
    const ScenarioFile file = ParseScenarioFile(
        shipped().string(),
        std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    ASSERT_EQ(file.status, ScenarioFileStatus::Ok);
    EXPECT_EQ(file.name, lesson().name);
    // Rows past the lesson's frames are unused.
    for (std::size_t row = lesson().frames.size(); row < 20; ++row) {
        for (std::size_t cell = 1; cell < 14; ++cell) {
            EXPECT_EQ(file.table.At(row, cell), 0xFF) << row << "/" << cell;
        }
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
}

} // namespace
} // namespace crvl::test
