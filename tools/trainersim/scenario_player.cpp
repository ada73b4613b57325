#include "scenario_player.h"

#include "sim_commands.h"
#include "sim_numbers.h"
#include "trainer_sim.h"

#include <algorithm>
#include <sstream>

namespace crvl::sim {

namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

// A chain of frames whose time events are 0 s would never end; the player
// stops following after this many moves in one step.
constexpr int kMaxMovesPerStep = 64;

bool IsFrame(std::uint8_t value) {
    return value < ScenarioTable::kRows;
}

} // namespace

ScenarioTable BuiltInScenario() {
    ScenarioTable t;
    t.cells.fill(cell::kUnset);
    for (std::size_t r = 0; r < ScenarioTable::kRows; ++r)
        t.At(r, cell::kFrame) = static_cast<std::uint8_t>(r);
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
    frame(0, 2, 1, 0); // VF
    t.At(0, cell::kShockCount) = 1;
    t.At(0, cell::kShockNext) = 1;
    t.At(0, cell::kCpr) = 60;
    t.At(0, cell::kCprNext) = 2;
    frame(1, 0, 0, 1); // sinus with a pulse
    frame(2, 3, 0, 0); // asystole
    t.At(2, cell::kTime) = 30;
    t.At(2, cell::kTimeNext) = 0;
    return t;
}

ScenarioPlayer::ScenarioPlayer(Send send) : send_(std::move(send)) {
    Start(1, BuiltInScenario());
}

void ScenarioPlayer::Start(std::uint8_t number, const ScenarioTable& table) {
    table_ = table;
    record_ = MonitorRecord{};
    record_.scenario = number;
    record_.pulse = 1;
    record_.battery = 2;
    cprRunning_ = false;
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

bool ScenarioPlayer::Follow(std::uint8_t next) {
    if (!IsFrame(next))
        return false;
    Enter(next);
    Advance(milliseconds(0)); // a 0 s time event moves on at once
    return true;
}

void ScenarioPlayer::Shock() {
    if (reportsOn_ && send_)
        send_(MakeShockEvent());
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

void ScenarioPlayer::SetReports(bool on, SimTime now) {
    if (on && !reportsOn_)
        nextReport_ = now;
    reportsOn_ = on;
}

void ScenarioPlayer::Tick(SimTime now) {
    if (!ticking_) {
        ticking_ = true;
        lastTick_ = now;
    }
    const auto elapsed = std::chrono::duration_cast<milliseconds>(now - lastTick_);
    if (elapsed.count() > 0) {
        lastTick_ += elapsed;
        Advance(elapsed);
    }
    if (reportsOn_ && now >= nextReport_) {
        if (send_)
            send_(MakeMonitorReport(record_));
        nextReport_ += kMonitorReportPeriod;
        if (nextReport_ <= now) // after a stall, do not send a burst
            nextReport_ = now + kMonitorReportPeriod;
    }
}

std::string ScenarioPlayer::Describe() const {
    std::ostringstream out;
    out << "scenario " << int(record_.scenario) << " frame " << int(record_.frame)
        << ": electrodes " << int(record_.electrodes) << ", motion " << int(record_.motion)
        << ", shockable " << int(record_.shockable) << ", pulse " << int(record_.pulse)
        << ", rhythm " << int(record_.rhythm) << ", battery " << int(record_.battery)
        << ", failure " << int(record_.failure) << "; " << shocks_ << " shocks, cpr "
        << (cprRunning_ ? "on" : "off") << ", "
        << std::chrono::duration_cast<seconds>(timeInFrame_).count() << " s in frame"
        << (reportsOn_ ? ", reporting" : "");
    return out.str();
}

ScenarioTable TableForScenario(const TrainerModel& model, std::uint8_t number) {
    if (number >= 11 && number <= 13)
        return model.slots[static_cast<std::size_t>(number - 11)].table;
    return BuiltInScenario();
}

void InstallScenarioFeature(TrainerProtocol& protocol, ScenarioPlayer& player) {
    player.SetSend([&protocol](const Bytes& payload) {
        if (!protocol.Faults().silent)
            protocol.Reply(payload);
    });
    const std::uint8_t number = protocol.Model().parameters.defaultScenario;
    player.Start(number, TableForScenario(protocol.Model(), number));
    protocol.SetReadHandler(msg::kSetMonitorReports,
                            [&protocol, &player](std::span<const std::uint8_t> p) {
                                if (p.size() < 3)
                                    return;
                                const bool on = p[2] == kOn;
                                protocol.Model().monitorReports = on;
                                player.SetReports(on, SimClock::now());
                            });
    protocol.AddTicker([&player](SimTime now) { player.Tick(now); });
}

void AddScenarioCommands(CommandTable& table) {
    auto describe = [](TrainerSim& sim) { return sim.Player().Describe(); };
    table.Add("shock", "shock  deliver one shock",
              [describe](TrainerSim& sim, const std::vector<std::string>&) -> std::string {
                  sim.Player().Shock();
                  return describe(sim);
              });
    table.Add("cpr", "cpr start|stop  start or stop CPR",
              [describe](TrainerSim& sim, const std::vector<std::string>& args) -> std::string {
                  if (args.size() == 1 && args[0] == "start")
                      sim.Player().CprStart();
                  else if (args.size() == 1 && args[0] == "stop")
                      sim.Player().CprStop();
                  else
                      return "usage: cpr start|stop";
                  return describe(sim);
              });
    table.Add("wait", "wait S  let S seconds pass at once",
              [describe](TrainerSim& sim, const std::vector<std::string>& args) -> std::string {
                  int secondsToPass = 0;
                  if (args.size() != 1 || !ParseNumber(args[0], 0, 24 * 3600, secondsToPass))
                      return "usage: wait S";
                  sim.Player().Advance(seconds(secondsToPass));
                  return describe(sim);
              });
    table.Add("play", "play N  start scenario N (1..10 built in, 11..13 custom slots)",
              [describe](TrainerSim& sim, const std::vector<std::string>& args) -> std::string {
                  int number = 0;
                  if (args.size() != 1 || !ParseNumber(args[0], 1, 13, number))
                      return "usage: play N";
                  const auto n = static_cast<std::uint8_t>(number);
                  sim.Player().Start(n, TableForScenario(sim.Model(), n));
                  return describe(sim);
              });
    table.Add("scenario", "scenario  show the running scenario",
              [describe](TrainerSim& sim, const std::vector<std::string>&) -> std::string {
                  return describe(sim);
              });
}

} // namespace crvl::sim
