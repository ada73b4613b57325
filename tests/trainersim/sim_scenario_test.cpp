// The simulated trainer's scenario reports and real-time ticks, and its
// slot switches.
#include "tests/monitor/scenario_text.h"
#include "tools/trainersim/sim_options.h"
#include "tools/trainersim/sim_scenario.h"
#include "tools/trainersim/trainer_sim.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

namespace crvl::sim {
namespace {

using namespace std::chrono_literals;

class ScenarioPlayerTest : public ::testing::Test {
protected:
    ScenarioPlayerTest() : player([this](const Bytes& p) { sent.push_back(p); }) {}

    std::vector<Bytes> sent;
    ScenarioPlayer player;
    SimTime t0{};
};

TEST_F(ScenarioPlayerTest, ShocksPlayWithoutReportsWhileReportsAreOff) {
    player.Start(1, BuiltInScenario());
    player.Shock();
    EXPECT_EQ(player.Frame(), 1);
    EXPECT_TRUE(sent.empty());
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
    ScenarioTable t = scenario::EmptyTable();
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
    ASSERT_EQ(
        ParseArguments({"--scenario", good, "--slot", "2", "--wrong-slot", "3"}, options).message(),
        "");
    TrainerSim sim(options.config);
    EXPECT_EQ(sim.Model().slots[1].Name(), "case");
    EXPECT_EQ(sim.Model().slots[1].table.At(19, 13), 0x01);
    EXPECT_EQ(sim.Model().slots[0].Name(), "Custom 1");
    EXPECT_EQ(sim.Protocol().Faults().wrongSlot, 3);

    SimOptions refused;
    EXPECT_FALSE(ParseArguments({"--scenario", bad}, refused).ok());
    EXPECT_FALSE(ParseArguments({"--slot", "4"}, refused).ok());
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace crvl::sim
