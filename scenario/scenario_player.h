#pragma once

// The trainer playing a scenario: it runs a 280-byte state table frame by
// frame. Entering a frame applies the frame's actions to the monitor record
// (unset cells keep what earlier frames set); the frame's events (shocks
// delivered, CPR started, stopped or accumulated, time in the frame) lead to
// the frames their cells name. The rules are written down in
// docs/scenario-play.md. The player has no clock of its own: time passes
// only through Advance, so callers drive it with real or made-up time.

#include "protocol/trainer_messages.h"
#include "scenario/table_columns.h"

#include <chrono>
#include <cstdint>

namespace crvl::scenario {

// The scenario played for the built-in numbers 1..10: VF until one shock,
// then sinus with a pulse; 60 s of CPR in VF leads to asystole, 30 s there
// back to VF.
ScenarioTable BuiltInScenario();

class ScenarioPlayer {
public:
    // Plays the built-in scenario as number 1 until Start is called.
    ScenarioPlayer();

    // Starts scenario number (1..10 built in, 11..13 the custom slots) at
    // frame 0 with the given table; the record starts with a pulse and a
    // good battery, everything else 0, and CPR not running.
    void Start(std::uint8_t number, const ScenarioTable& table);

    // Events.
    void Shock();
    void CprStart();
    void CprStop();
    // Lets time pass: frames with a time event, or accumulated CPR, move on.
    void Advance(std::chrono::milliseconds elapsed);

    const MonitorRecord& Record() const { return record_; }
    std::uint8_t Frame() const { return record_.frame; }
    const ScenarioTable& Table() const { return table_; }
    int ShocksInFrame() const { return shocks_; }
    bool CprRunning() const { return cprRunning_; }
    std::chrono::milliseconds TimeInFrame() const { return timeInFrame_; }
    std::chrono::milliseconds CprInFrame() const { return cprInFrame_; }
    // Time passed since Start.
    std::chrono::milliseconds ScenarioTime() const { return scenarioTime_; }

private:
    std::uint8_t Cell(std::size_t column) const { return table_.At(record_.frame, column); }
    void Enter(std::uint8_t frame);
    // Moves to next when it names a frame.
    void Follow(std::uint8_t next);

    ScenarioTable table_;
    MonitorRecord record_;
    int shocks_ = 0;
    bool cprRunning_ = false;
    std::chrono::milliseconds cprInFrame_{0};
    std::chrono::milliseconds timeInFrame_{0};
    std::chrono::milliseconds scenarioTime_{0};
};

} // namespace crvl::scenario
