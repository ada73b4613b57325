#include "scenario/scenario_player.h"

#include <algorithm>

namespace crvl::scenario {

namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

// A chain of frames whose time events are 0 s would never end; the player
// stops following after this many moves in one step.
constexpr int kMaxMovesPerStep = 64;

} // namespace

ScenarioTable EmptyTable() {
    ScenarioTable t;
    t.cells.fill(cell::kUnset);
    for (std::size_t r = 0; r < ScenarioTable::kRows; ++r)
        t.At(r, cell::kFrame) = static_cast<std::uint8_t>(r);
    return t;
}

bool RowInUse(const ScenarioTable& table, std::size_t row) {
    for (std::size_t column = 1; column < ScenarioTable::kColumns; ++column)
        if (table.At(row, column) != cell::kUnset)
            return true;
    return false;
}

ScenarioTable BuiltInScenario() {
    ScenarioTable t = EmptyTable();
    auto frame = [&t](std::size_t r, std::uint8_t rhythm, std::uint8_t shockable,
                      std::uint8_t pulse) {
        t.At(r, cell::kElectrodes) = 0;
        t.At(r, cell::kMotion) = 0;
        t.At(r, cell::kShockable) = shockable;
        t.At(r, cell::kPulse) = pulse;
        t.At(r, cell::kRhythm) = rhythm;
        t.At(r, cell::kBattery) = 2;
        t.At(r, cell::kFailure) = 0;
    };
    frame(0, rhythm::kVf, 1, 0);
    t.At(0, cell::kShockCount) = 1;
    t.At(0, cell::kShockNext) = 1;
    t.At(0, cell::kCpr) = 60;
    t.At(0, cell::kCprNext) = 2;
    frame(1, rhythm::kSinus, 0, 1);
    frame(2, rhythm::kAsystole, 0, 0);
    t.At(2, cell::kTime) = 30;
    t.At(2, cell::kTimeNext) = 0;
    return t;
}

ScenarioPlayer::ScenarioPlayer() {
    Start(1, BuiltInScenario());
}

void ScenarioPlayer::Start(std::uint8_t number, const ScenarioTable& table) {
    table_ = table;
    record_ = MonitorRecord{};
    record_.scenario = number;
    record_.pulse = 1;
    record_.battery = 2;
    cprRunning_ = false;
    scenarioTime_ = milliseconds(0);
    Enter(0);
    Advance(milliseconds(0));
}

void ScenarioPlayer::Enter(std::uint8_t frame) {
    record_.frame = frame;
    shocks_ = 0;
    cprInFrame_ = milliseconds(0);
    timeInFrame_ = milliseconds(0);
    // Unset cells leave what the previous frame set.
    auto apply = [this](std::size_t column, std::uint8_t& field) {
        if (const std::uint8_t value = Cell(column); value != cell::kUnset)
            field = value;
    };
    apply(cell::kElectrodes, record_.electrodes);
    apply(cell::kMotion, record_.motion);
    apply(cell::kShockable, record_.shockable);
    apply(cell::kPulse, record_.pulse);
    apply(cell::kRhythm, record_.rhythm);
    apply(cell::kBattery, record_.battery);
    apply(cell::kFailure, record_.failure);
}

void ScenarioPlayer::Follow(std::uint8_t next) {
    if (!IsFrame(next))
        return;
    Enter(next);
    Advance(milliseconds(0)); // a 0 s time event moves on at once
}

void ScenarioPlayer::Shock() {
    ++shocks_;
    const std::uint8_t count = Cell(cell::kShockCount);
    if (count != cell::kUnset && shocks_ >= count)
        Follow(Cell(cell::kShockNext));
}

void ScenarioPlayer::CprStart() {
    cprRunning_ = true;
    if (Cell(cell::kCpr) == cell::kCprStarted)
        Follow(Cell(cell::kCprNext));
}

void ScenarioPlayer::CprStop() {
    cprRunning_ = false;
    if (Cell(cell::kCpr) == cell::kCprStopped)
        Follow(Cell(cell::kCprNext));
}

void ScenarioPlayer::Advance(milliseconds elapsed) {
    scenarioTime_ += std::max(milliseconds(0), elapsed);
    for (int moves = 0; moves < kMaxMovesPerStep; ++moves) {
        // Run up to the next timer of this frame, or to the end of elapsed.
        milliseconds step = elapsed;
        const std::uint8_t time = Cell(cell::kTime);
        const bool timeEvent = time != cell::kUnset && IsFrame(Cell(cell::kTimeNext));
        if (timeEvent)
            step = std::min(step, std::max(milliseconds(0), seconds(time) - timeInFrame_));
        const std::uint8_t cpr = Cell(cell::kCpr);
        const bool cprTimer = cprRunning_ && cpr != cell::kUnset && cpr > cell::kCprStopped &&
                              IsFrame(Cell(cell::kCprNext));
        if (cprTimer)
            step = std::min(step, std::max(milliseconds(0), seconds(cpr) - cprInFrame_));
        timeInFrame_ += step;
        if (cprRunning_)
            cprInFrame_ += step;
        elapsed -= step;
        if (timeEvent && timeInFrame_ >= seconds(time)) {
            Enter(Cell(cell::kTimeNext));
        } else if (cprTimer && cprInFrame_ >= seconds(cpr)) {
            Enter(Cell(cell::kCprNext));
        } else {
            return;
        }
    }
}

} // namespace crvl::scenario
