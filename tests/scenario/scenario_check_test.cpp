// Scenario checks: one case per kind of finding, on tables and drawings
// made here, and the scenarios the project ships.
#include "scenario/check_text.h"
#include "scenario/scenario_check.h"
#include "scenario/scenario_file.h"
#include "scenario/table_columns.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace crvl::scenario {
namespace {

// Frame row with an ECG action (VF shockable unless told otherwise).
void SetRhythm(ScenarioTable& t, std::size_t row, std::uint8_t rhythm = rhythm::kVf,
               std::uint8_t shockable = 1) {
    t.At(row, cell::kRhythm) = rhythm;
    t.At(row, cell::kShockable) = shockable;
    t.At(row, cell::kPulse) = 0;
}

void SetEvent(ScenarioTable& t, std::size_t row, std::size_t trigger, std::uint8_t value,
              std::uint8_t next) {
    t.At(row, trigger) = value;
    t.At(row, trigger + 1) = next;
}

// VF, shock once to sinus, 30 s there back to VF.
ScenarioTable CleanTable() {
    ScenarioTable t = EmptyTable();
    SetRhythm(t, 0);
    SetEvent(t, 0, cell::kShockCount, 1, 1);
    SetRhythm(t, 1, rhythm::kSinus, 0);
    SetEvent(t, 1, cell::kTime, 30, 0);
    return t;
}

std::vector<std::string> Lines(const std::vector<Finding>& findings) {
    std::vector<std::string> lines;
    for (const Finding& f : findings)
        lines.push_back(FindingLine(f));
    return lines;
}

TEST(ScenarioCheck, CleanScenarioHasNoFindings) {
    EXPECT_TRUE(CheckTable(CleanTable()).empty());
    EXPECT_EQ(NoProblemsText(), "No problems found.");
}

TEST(ScenarioCheck, UnreachableFrameIsNamed) {
    ScenarioTable t = CleanTable();
    SetRhythm(t, 2, rhythm::kAsystole, 0);
    SetEvent(t, 2, cell::kTime, 10, 0);
    EXPECT_EQ(Lines(CheckTable(t)),
              std::vector<std::string>{"Warning: Frame2 cannot be reached from Frame0."});

    Drawing drawing{{{0, "Frame0", {}}, {1, "Frame1", {}}, {2, "Frame2", {}}, {3, "Frame3", {}}}};
    drawing.frames[1].outputs[0] = {Event::Time, true};
    drawing.frames[0].outputs[0] = {Event::Shock, true};
    const auto findings = CheckDrawing(CleanTable(), drawing);
    // An empty drawn frame is a frame even though its row looks unused.
    const auto unreached = std::find_if(findings.begin(), findings.end(), [](const Finding& f) {
        return f.kind == FindingKind::Unreachable && f.frame == 3;
    });
    ASSERT_NE(unreached, findings.end());
    EXPECT_EQ(FindingLine(*unreached), "Warning: Frame3 cannot be reached from Frame0.");
}

TEST(ScenarioCheck, HalfDefinedOutputsNameTheirOutput) {
    Drawing drawing{{{0, "Frame0", {}}, {1, "Frame1", {}}}};
    drawing.frames[0].outputs[0] = {Event::Shock, true};
    drawing.frames[1].outputs[0] = {Event::Time, true};
    drawing.frames[1].outputs[1] = {Event::Cpr, false};
    drawing.frames[1].outputs[2] = {Event::None, true};
    const auto findings = CheckDrawing(CleanTable(), drawing);
    ASSERT_EQ(findings.size(), 2u);
    EXPECT_EQ(findings[0].kind, FindingKind::EventNotConnected);
    EXPECT_EQ(findings[0].output, 2);
    EXPECT_EQ(FindingLine(findings[0]),
              "Warning: Frame1, output 2: the event has no connection and leads nowhere.");
    EXPECT_EQ(findings[1].kind, FindingKind::ConnectionWithoutEvent);
    EXPECT_EQ(findings[1].output, 3);
    EXPECT_EQ(FindingLine(findings[1]),
              "Warning: Frame1, output 3: the connection has no event and is never followed.");
}

TEST(ScenarioCheck, EventIntoAnUnusedRowIsAnError) {
    ScenarioTable t = CleanTable();
    SetEvent(t, 1, cell::kCpr, 20, 7);
    const auto findings = CheckTable(t);
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].severity, Severity::Error);
    EXPECT_EQ(findings[0].frame, 1);
    EXPECT_EQ(findings[0].event, Event::Cpr);
    EXPECT_EQ(FindingLine(findings[0]),
              "Error: Frame1: the CPR event leads to row 7, which no frame uses.");
}

TEST(ScenarioCheck, EventBeyondTheTableIsAnError) {
    ScenarioTable t = CleanTable();
    SetEvent(t, 1, cell::kTime, 30, 0x20);
    EXPECT_EQ(Lines(CheckTable(t)),
              std::vector<std::string>{
                  "Error: Frame1: the time event leads to row 32, outside the table of 20 rows."});
}

TEST(ScenarioCheck, ZeroSecondTimeLoopsAreErrors) {
    ScenarioTable self = CleanTable();
    SetEvent(self, 1, cell::kTime, 0, 1);
    EXPECT_EQ(
        Lines(CheckTable(self)),
        std::vector<std::string>{"Error: Frame1: the 0 s time event leads round a loop of 0 s "
                                 "time events; the trainer would spin."});

    ScenarioTable cycle = CleanTable();
    SetEvent(cycle, 1, cell::kTime, 0, 2);
    SetRhythm(cycle, 2);
    SetEvent(cycle, 2, cell::kTime, 0, 1);
    const auto findings = CheckTable(cycle);
    ASSERT_EQ(CountOf(findings, Severity::Error), 2);
    EXPECT_EQ(findings[0].frame, 1);
    EXPECT_EQ(findings[1].frame, 2);

    // A 0 s step into a frame that stays is fine.
    ScenarioTable chain = CleanTable();
    SetEvent(chain, 1, cell::kTime, 0, 0);
    EXPECT_TRUE(CheckTable(chain).empty());
}

TEST(ScenarioCheck, FrameWithoutRhythmAndEndFrame) {
    ScenarioTable t = CleanTable();
    SetEvent(t, 0, cell::kCpr, cell::kCprStarted, 2);
    t.At(2, cell::kMotion) = 1;
    EXPECT_EQ(Lines(CheckTable(t)),
              (std::vector<std::string>{
                  "Warning: Frame2 sets no ECG rhythm; it keeps the rhythm of the frame before.",
                  "Note: Frame2 has no way out: the scenario ends there."}));
}

TEST(ScenarioCheck, ShockInANonShockableRhythmIsANote) {
    ScenarioTable t = CleanTable();
    SetEvent(t, 1, cell::kShockCount, 1, 0);
    const auto findings = CheckTable(t);
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].severity, Severity::Note);
    EXPECT_FALSE(HasProblems(findings));
    EXPECT_EQ(FindingLine(findings[0]),
              "Note: Frame1: a shock leads on, but the rhythm is not shockable.");
}

TEST(ScenarioCheck, DrawnFrameBeyondTheTableIsAnError) {
    Drawing drawing{{{0, "Frame0", {}}, {1, "Frame1", {}}, {20, "Frame20", {}}}};
    drawing.frames[0].outputs[0] = {Event::Shock, true};
    drawing.frames[1].outputs[0] = {Event::Time, true};
    EXPECT_EQ(
        Lines(CheckDrawing(CleanTable(), drawing)),
        std::vector<std::string>{"Error: Frame20 does not fit into the state table of 20 rows."});
}

TEST(ScenarioCheckText, TranslationReplacesPatternsAndEventNames) {
    ScenarioTable t = CleanTable();
    SetEvent(t, 1, cell::kCpr, 20, 7);
    const std::string pattern = "%1: %2 nach Zeile %3";
    const std::string cpr = "HLW";
    const std::string error = "Fehler";
    const TextLookup lookup = [&](std::string_view key) -> const std::string* {
        if (key == "checkUnusedRowText")
            return &pattern;
        if (key == "checkCprEventText")
            return &cpr;
        if (key == "checkErrorText")
            return &error;
        return nullptr;
    };
    EXPECT_EQ(FindingLine(CheckTable(t).at(0), lookup), "Fehler: Frame1: HLW nach Zeile 7");
    EXPECT_EQ(FillText("%1 %2 %%3", {"a"}), "a %2 %%3");
    EXPECT_EQ(EnglishDefault("noSuchKey"), nullptr);
}

TEST(ScenarioCheck, ShippedScenariosHaveNoProblems) {
    int checked = 0;
    const std::filesystem::path dist = std::filesystem::path(CRVL_SOURCE_DIR) / "dist";
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dist)) {
        if (entry.path().extension() != ".scn")
            continue;
        const ScenarioFile file = LoadScenarioFile(entry.path().string());
        ASSERT_EQ(file.status, ScenarioFileStatus::Ok) << entry.path();
        // Notes (a scenario that ends in a frame, say) are no problems.
        const auto findings = CheckTable(file.table);
        EXPECT_FALSE(HasProblems(findings)) << entry.path() << ": " << FindingLine(findings[0]);
        ++checked;
    }
    EXPECT_GT(checked, 0);
}

} // namespace
} // namespace crvl::scenario
