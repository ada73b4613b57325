#include "tools/trainersim/sim_scenario.h"

#include "tools/trainersim/sim_commands.h"
#include "tools/trainersim/sim_numbers.h"
#include "tools/trainersim/trainer_sim.h"

#include <sstream>

namespace crvl::sim {

using std::chrono::milliseconds;
using std::chrono::seconds;

namespace {

// Scenarios 1..10 are built in; the custom slots play as the numbers after.
constexpr int kFirstSlotScenario = 11;
constexpr int kLastScenario = kFirstSlotScenario + kSlotCount - 1;
// The longest "wait" a command may ask for: a day.
constexpr int kLongestWaitSeconds = 24 * 3600;

} // namespace

ScenarioPlayer::ScenarioPlayer(Send send) : send_(std::move(send)) {}

void ScenarioPlayer::Shock() {
    if (reportsOn_ && send_)
        send_(MakeShockEvent());
    play_.Shock();
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
            send_(MakeMonitorReport(play_.Record()));
        nextReport_ += kMonitorReportPeriod;
        if (nextReport_ <= now) // after a stall, do not send a burst
            nextReport_ = now + kMonitorReportPeriod;
    }
}

std::string ScenarioPlayer::Describe() const {
    const MonitorRecord& record = play_.Record();
    std::ostringstream out;
    out << "scenario " << int(record.scenario) << " frame " << int(record.frame) << ": electrodes "
        << int(record.electrodes) << ", motion " << int(record.motion) << ", shockable "
        << int(record.shockable) << ", pulse " << int(record.pulse) << ", rhythm "
        << int(record.rhythm) << ", battery " << int(record.battery) << ", failure "
        << int(record.failure) << "; " << ShocksInFrame() << " shocks, cpr "
        << (CprRunning() ? "on" : "off") << ", "
        << std::chrono::duration_cast<seconds>(TimeInFrame()).count() << " s in frame"
        << (reportsOn_ ? ", reporting" : "");
    return out.str();
}

ScenarioTable TableForScenario(const TrainerModel& model, std::uint8_t number) {
    if (number >= kFirstSlotScenario && number <= kLastScenario)
        return model.slots[static_cast<std::size_t>(number - kFirstSlotScenario)].table;
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
                  if (args.size() != 1 ||
                      !ParseNumber(args[0], 0, kLongestWaitSeconds, secondsToPass))
                      return "usage: wait S";
                  sim.Player().Advance(seconds(secondsToPass));
                  return describe(sim);
              });
    table.Add("play", "play N  start scenario N (1..10 built in, 11..13 custom slots)",
              [describe](TrainerSim& sim, const std::vector<std::string>& args) -> std::string {
                  int number = 0;
                  if (args.size() != 1 || !ParseNumber(args[0], 1, kLastScenario, number))
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
