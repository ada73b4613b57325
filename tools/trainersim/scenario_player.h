#pragma once

// The trainer playing a scenario: it runs a 280-byte state table frame by
// frame. Entering a frame applies the frame's actions to the monitor record;
// the frame's events (shocks delivered, CPR started, stopped or accumulated,
// time in the frame) lead to the frames their cells name. While the tool has
// monitor reports on, the player sends a MonitorReport every 250 ms and a
// ShockEvent for every shock.

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "trainer_messages.h"
#include "trainer_protocol.h"

namespace crvl::sim {

class CommandTable;

// Columns of a state table row.
namespace cell {
inline constexpr std::size_t kFrame = 0;
inline constexpr std::size_t kElectrodes = 1;
inline constexpr std::size_t kMotion = 2;
inline constexpr std::size_t kShockable = 3;
inline constexpr std::size_t kPulse = 4;
inline constexpr std::size_t kRhythm = 5;
inline constexpr std::size_t kBattery = 6;
inline constexpr std::size_t kFailure = 7;
inline constexpr std::size_t kShockCount = 8;
inline constexpr std::size_t kShockNext = 9;
inline constexpr std::size_t kCpr = 10;
inline constexpr std::size_t kCprNext = 11;
inline constexpr std::size_t kTime = 12;
inline constexpr std::size_t kTimeNext = 13;
inline constexpr std::uint8_t kUnset = 0xFF;
inline constexpr std::uint8_t kCprStarted = 0x01;
inline constexpr std::uint8_t kCprStopped = 0x02;
} // namespace cell

inline constexpr auto kMonitorReportPeriod = std::chrono::milliseconds(250);

// The scenario played for the built-in numbers 1..10: VF until one shock,
// then sinus with a pulse; 60 s of CPR in VF leads to asystole, 30 s there
// back to VF.
ScenarioTable BuiltInScenario();

class ScenarioPlayer {
public:
    using Send = std::function<void(const Bytes& payload)>;

    explicit ScenarioPlayer(Send send = {});

    // Starts scenario number (1..10 built in, 11..13 the custom slots) at
    // frame 0 with the given table.
    void Start(std::uint8_t number, const ScenarioTable& table);

    // Events.
    void Shock();
    void CprStart();
    void CprStop();
    // Lets time pass: frames with a time event, or accumulated CPR, move on.
    void Advance(std::chrono::milliseconds elapsed);

    // MonitorReport and ShockEvent go out only while the tool wants them.
    void SetReports(bool on, SimTime now);
    bool ReportsOn() const { return reportsOn_; }
    void SetSend(Send send) { send_ = std::move(send); }

    // Real time: advances by the time since the last call and sends the
    // monitor report when one is due.
    void Tick(SimTime now);

    const MonitorRecord& Record() const { return record_; }
    std::uint8_t Frame() const { return record_.frame; }
    int ShocksInFrame() const { return shocks_; }
    bool CprRunning() const { return cprRunning_; }
    std::chrono::milliseconds TimeInFrame() const { return timeInFrame_; }
    // "scenario 12 frame 3: ECG 02 shockable 1 ..." for the status command.
    std::string Describe() const;

private:
    std::uint8_t Cell(std::size_t column) const { return table_.At(record_.frame, column); }
    void Enter(std::uint8_t frame);
    // Moves to next when it names a frame; true when it did.
    bool Follow(std::uint8_t next);
    void CheckTimers();

    Send send_;
    ScenarioTable table_;
    MonitorRecord record_;
    int shocks_ = 0;
    bool cprRunning_ = false;
    std::chrono::milliseconds cprInFrame_{0};
    std::chrono::milliseconds timeInFrame_{0};
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
