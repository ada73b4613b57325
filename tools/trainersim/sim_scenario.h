#pragma once

// The simulated trainer playing a scenario: the shared scenario player
// (scenario/scenario_player.h) on the protocol's ticks. While the tool has
// monitor reports on, it sends a MonitorReport every 250 ms and a ShockEvent
// for every shock.

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "protocol/trainer_messages.h"
#include "scenario/scenario_player.h"
#include "tools/trainersim/trainer_protocol.h"

namespace crvl::sim {

class CommandTable;

namespace cell = crvl::scenario::cell;
using crvl::scenario::BuiltInScenario;

inline constexpr auto kMonitorReportPeriod = std::chrono::milliseconds(250);

class ScenarioPlayer {
public:
    using Send = std::function<void(const Bytes& payload)>;

    explicit ScenarioPlayer(Send send = {});

    // Starts scenario number (1..10 built in, 11..13 the custom slots) at
    // frame 0 with the given table.
    void Start(std::uint8_t number, const ScenarioTable& table) { play_.Start(number, table); }

    // Events; a shock is reported to the tool before it is played.
    void Shock();
    void CprStart() { play_.CprStart(); }
    void CprStop() { play_.CprStop(); }
    // Lets time pass: frames with a time event, or accumulated CPR, move on.
    void Advance(std::chrono::milliseconds elapsed) { play_.Advance(elapsed); }

    // MonitorReport and ShockEvent go out only while the tool wants them.
    void SetReports(bool on, SimTime now);
    bool ReportsOn() const { return reportsOn_; }
    void SetSend(Send send) { send_ = std::move(send); }

    // Real time: advances by the time since the last call and sends the
    // monitor report when one is due.
    void Tick(SimTime now);

    const MonitorRecord& Record() const { return play_.Record(); }
    std::uint8_t Frame() const { return play_.Frame(); }
    int ShocksInFrame() const { return play_.ShocksInFrame(); }
    bool CprRunning() const { return play_.CprRunning(); }
    std::chrono::milliseconds TimeInFrame() const { return play_.TimeInFrame(); }
    // "scenario 12 frame 3: ECG 02 shockable 1 ..." for the status command.
    std::string Describe() const;

private:
    Send send_;
    scenario::ScenarioPlayer play_;
    bool reportsOn_ = false;
    SimTime lastTick_{};
    SimTime nextReport_{};
    bool ticking_ = false;
};

// The table a scenario number plays on this trainer.
ScenarioTable TableForScenario(const TrainerModel& model, std::uint8_t number);

// SetMonitorReports switches the reports; the player starts with the
// trainer's default scenario and runs on the protocol's ticks.
void InstallScenarioFeature(TrainerProtocol& protocol, ScenarioPlayer& player);

// shock, cpr start|stop, wait S, play N, scenario.
void AddScenarioCommands(CommandTable& table);

} // namespace crvl::sim
