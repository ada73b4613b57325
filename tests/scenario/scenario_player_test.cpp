// The scenario player, driven with made-up time.
#include "scenario/scenario_player.h"

#include <gtest/gtest.h>

namespace crvl::scenario {
namespace {

using namespace std::chrono_literals;

void SetEcg(ScenarioTable& t, std::size_t row, std::uint8_t rhythm, std::uint8_t shockable,
            std::uint8_t pulse) {
    t.At(row, cell::kRhythm) = rhythm;
    t.At(row, cell::kShockable) = shockable;
    t.At(row, cell::kPulse) = pulse;
}

class ScenarioPlayerTest : public ::testing::Test {
protected:
    ScenarioPlayer player;
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

} // namespace
} // namespace crvl::scenario
