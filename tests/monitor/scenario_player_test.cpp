// The simulated trainer's scenario player, driven with its own clock.
#include "scenario_player.h"
#include "scenario_text.h"
#include "sim_options.h"
#include "trainer_sim.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

namespace crvl::sim {
namespace {

using namespace std::chrono_literals;

// A table with every cell unset except the row numbers.
ScenarioTable EmptyTable() {
    ScenarioTable t;
    t.cells.fill(cell::kUnset);
    for (std::size_t r = 0; r < ScenarioTable::kRows; ++r)
        t.At(r, cell::kFrame) = static_cast<std::uint8_t>(r);
    return t;
}

void SetEcg(ScenarioTable& t, std::size_t row, std::uint8_t rhythm, std::uint8_t shockable,
            std::uint8_t pulse) {
    t.At(row, cell::kRhythm) = rhythm;
    t.At(row, cell::kShockable) = shockable;
    t.At(row, cell::kPulse) = pulse;
}

class ScenarioPlayerTest : public ::testing::Test {
protected:
    ScenarioPlayerTest() : player([this](const Bytes& p) { sent.push_back(p); }) {}

    std::vector<Bytes> sent;
    ScenarioPlayer player;
    SimTime t0{};
};

TEST_F(ScenarioPlayerTest, BuiltInScenarioMovesOnAfterAShock) {
    player.Start(1, BuiltInScenario());
    EXPECT_EQ(player.Frame(), 0);
    EXPECT_EQ(player.Record().rhythm, 2);
    EXPECT_EQ(player.Record().shockable, 1);
    player.Shock();
    EXPECT_EQ(player.Frame(), 1);
    EXPECT_EQ(player.Record().rhythm, 0);
    EXPECT_EQ(player.Record().pulse, 1);
    EXPECT_TRUE(sent.empty()); // reports are off
}

TEST_F(ScenarioPlayerTest, FrameActionsSetTheRecordAndUnsetCellsKeepIt) {
    ScenarioTable t = EmptyTable();
    SetEcg(t, 0, 1, 1, 0);
    t.At(0, cell::kElectrodes) = 1;
    t.At(0, cell::kBattery) = 1;
    t.At(0, cell::kTime) = 5;
    t.At(0, cell::kTimeNext) = 1;
    t.At(1, cell::kFailure) = 1; // frame 1 sets only the failure
    player.Start(12, t);
    EXPECT_EQ(player.Record().scenario, 12);
    EXPECT_EQ(player.Record().electrodes, 1);
    EXPECT_EQ(player.Record().battery, 1);
    player.Advance(5s);
    EXPECT_EQ(player.Frame(), 1);
    EXPECT_EQ(player.Record().failure, 1);
    EXPECT_EQ(player.Record().rhythm, 1);
    EXPECT_EQ(player.Record().electrodes, 1);
}

TEST_F(ScenarioPlayerTest, ShockCountLeadsOn) {
    ScenarioTable t = EmptyTable();
    t.At(0, cell::kShockCount) = 2;
    t.At(0, cell::kShockNext) = 4;
    player.Start(11, t);
    player.Shock();
    EXPECT_EQ(player.Frame(), 0);
    EXPECT_EQ(player.ShocksInFrame(), 1);
    player.Shock();
    EXPECT_EQ(player.Frame(), 4);
    EXPECT_EQ(player.ShocksInFrame(), 0);
}

TEST_F(ScenarioPlayerTest, CprEvents) {
    ScenarioTable t = EmptyTable();
    t.At(0, cell::kCpr) = cell::kCprStarted;
    t.At(0, cell::kCprNext) = 1;
    t.At(1, cell::kCpr) = cell::kCprStopped;
    t.At(1, cell::kCprNext) = 2;
    t.At(2, cell::kCpr) = 10; // accumulated seconds
    t.At(2, cell::kCprNext) = 3;
    player.Start(11, t);
    player.CprStart();
    EXPECT_EQ(player.Frame(), 1);
    player.CprStop();
    EXPECT_EQ(player.Frame(), 2);
    player.Advance(20s); // no CPR running: nothing accumulates
    EXPECT_EQ(player.Frame(), 2);
    player.CprStart();
    player.Advance(6s);
    player.CprStop();
    player.Advance(30s);
    player.CprStart();
    EXPECT_EQ(player.Frame(), 2);
    player.Advance(4s);
    EXPECT_EQ(player.Frame(), 3);
}

TEST_F(ScenarioPlayerTest, TimeCarriesOverIntoTheNextFrame) {
    ScenarioTable t = EmptyTable();
    t.At(0, cell::kTime) = 30;
    t.At(0, cell::kTimeNext) = 1;
    t.At(1, cell::kTime) = 30;
    t.At(1, cell::kTimeNext) = 2;
    player.Start(11, t);
    player.Advance(70s);
    EXPECT_EQ(player.Frame(), 2);
    EXPECT_EQ(player.TimeInFrame(), 10s);
}

TEST_F(ScenarioPlayerTest, ZeroSecondLoopDoesNotHang) {
    ScenarioTable t = EmptyTable();
    t.At(0, cell::kTime) = 0;
    t.At(0, cell::kTimeNext) = 1;
    t.At(1, cell::kTime) = 0;
    t.At(1, cell::kTimeNext) = 0;
    player.Start(11, t);
    player.Advance(1s);
    EXPECT_LT(player.Frame(), 2);
}

TEST_F(ScenarioPlayerTest, NextFrameOutsideTheTableIsIgnored) {
    ScenarioTable t = EmptyTable();
    t.At(0, cell::kShockCount) = 1;
    t.At(0, cell::kShockNext) = 20;
    player.Start(11, t);
    player.Shock();
    EXPECT_EQ(player.Frame(), 0);
}

TEST_F(ScenarioPlayerTest, ReportsEvery250MsWhileOn) {
    player.Start(1, BuiltInScenario());
    player.Tick(t0);
    EXPECT_TRUE(sent.empty());
    player.SetReports(true, t0);
    player.Tick(t0);
    player.Tick(t0 + 100ms);
    player.Tick(t0 + 250ms);
    player.Tick(t0 + 499ms);
    player.Tick(t0 + 500ms);
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0], MakeMonitorReport(player.Record()));
    player.Shock();
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[3], MakeShockEvent());
    player.SetReports(false, t0 + 500ms);
    player.Tick(t0 + 2s);
    player.Shock();
    EXPECT_EQ(sent.size(), 4u);
}

TEST_F(ScenarioPlayerTest, RealTimePasses) {
    ScenarioTable t = EmptyTable();
    t.At(0, cell::kTime) = 2;
    t.At(0, cell::kTimeNext) = 1;
    player.Start(11, t);
    player.Tick(t0);
    player.Tick(t0 + 1500ms);
    EXPECT_EQ(player.Frame(), 0);
    player.Tick(t0 + 2s);
    EXPECT_EQ(player.Frame(), 1);
}

TEST(TrainerSlotSwitches, ScenarioFilePreloadsASlot) {
    const auto dir = std::filesystem::temp_directory_path() / "crvl_slot_switch_test";
    std::filesystem::create_directories(dir);
    const std::string good = (dir / "case.old.scn").string();
    const std::string bad = (dir / "bad.scn").string();
    std::ofstream(good, std::ios::binary) << test::ScenarioText(0x01);
    std::ofstream(bad, std::ios::binary) << "# nothing here\n";

    SimOptions options;
    std::string error;
    ASSERT_TRUE(
        ParseArguments({"--scenario", good, "--slot", "2", "--wrong-slot", "3"}, options, error))
        << error;
    TrainerSim sim(options.config);
    EXPECT_EQ(sim.Model().slots[1].Name(), "case");
    EXPECT_EQ(sim.Model().slots[1].table.At(19, 13), 0x01);
    EXPECT_EQ(sim.Model().slots[0].Name(), "Custom 1");
    EXPECT_EQ(sim.Protocol().Faults().wrongSlot, 3);

    SimOptions refused;
    EXPECT_FALSE(ParseArguments({"--scenario", bad}, refused, error));
    EXPECT_FALSE(ParseArguments({"--slot", "4"}, refused, error));
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace crvl::sim
