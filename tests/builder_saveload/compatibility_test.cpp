// The configuration tool reads the state table out of the files the builder
// writes: every generated file must give back the same 280 bytes.

#include "builder/core/tcl_control.h"
#include "builder/io/scenario_saving.h"
#include "scenario/scenario_file.h"
#include "tests/builder_saveload/saveload_support.h"

#include <gtest/gtest.h>

#include <functional>

namespace crvl::test {
namespace {

ScenarioTable expectedTable(const FakeDocument& doc) {
    StateTable table;
    for (const ScenarioFrame* frame : doc.frames()) {
        table.writeProcedure(snapshotOf(*frame), *frameNumberFromTitle(frame->getTitle()));
    }
    ScenarioTable bytes;
    for (int r = 0; r < kStateTableRows; ++r) {
        for (int c = 0; c < kStateTableCells; ++c) {
            bytes.At(std::size_t(r), std::size_t(c)) =
                static_cast<std::uint8_t>(std::stoi(table.cell(r, c), nullptr, 16));
        }
    }
    return bytes;
}

struct Scenario {
    const char* name;
    std::function<void(FakeDocument&)> build;
    const char* comment;
};

class ReadByConfigTool : public ::testing::TestWithParam<Scenario> {};

TEST_P(ReadByConfigTool, TableBytesMatch) {
    BaseDir base;
    TclControl io(base.location());
    FakeDocument doc;
    GetParam().build(doc);
    const std::string name = std::string(GetParam().name) + ".scn";
    ASSERT_TRUE(saveDiagram(doc, doc, io, name, base.scenarios(), GetParam().comment).ok());

    const ScenarioFile file = LoadScenarioFile(base.scenarios() + name);
    ASSERT_EQ(file.status, ScenarioFileStatus::Ok);
    EXPECT_EQ(file.name, GetParam().name);
    EXPECT_EQ(file.table, expectedTable(doc));
    EXPECT_EQ(file.table.At(0, 1), 0xFF); // not a zero-filled table
}

void fullScenario(FakeDocument& doc) {
    for (int i = 0; i < 20; ++i) {
        auto& f = doc.addFrame("Frame" + std::to_string(i), {10 * i, 30 * i});
        addAction(f, "SetECG", i % 2 ? "s;P;Sinus;" : "S;p;VT;");
        addAction(f, "BatteryAction", i % 3 ? "B" : "b");
        addEvent(f, 1, "TimeEvent", "T" + std::to_string(i * 10));
        addEvent(f, 2, "CPREvent", "A" + std::to_string(5 + i));
    }
    const auto frames = doc.frames();
    for (int i = 0; i < 20; ++i) {
        doc.connect(*frames[std::size_t(i)], 1, *frames[std::size_t((i + 1) % 20)], i % 2 == 0);
        doc.connect(*frames[std::size_t(i)], 2, *frames[std::size_t((i + 7) % 20)]);
    }
}

INSTANTIATE_TEST_SUITE_P(
    GeneratedFiles, ReadByConfigTool,
    ::testing::Values(Scenario{"start",
                               [](FakeDocument& d) {
                                   d.addFrame("Frame0", {100, 20});
                               },
                               ""},
                      Scenario{"two_frames", buildTwoFrameExample,
                               "Hash # and\ttab in the comment"},
                      Scenario{"full", fullScenario, "twenty frames"},
                      Scenario{"placeholders", buildTwoFrameExample, "%Code% %Diagram% 0A 0B"}),
    [](const ::testing::TestParamInfo<Scenario>& p) { return std::string(p.param.name); });

} // namespace
} // namespace crvl::test
