#include "tools/trainersim/sim_commands.h"

#include "tools/trainersim/parameters_sim.h"
#include "tools/trainersim/sim_scenario.h"
#include "tools/trainersim/slots_sim.h"

#include <charconv>
#include <sstream>

namespace crvl::sim {

namespace {

// The "on"/"off" (or 1/0) argument of a switch command; false when missing.
bool ParseOnOff(const std::vector<std::string>& args, bool& value) {
    if (args.size() != 1)
        return false;
    if (args[0] == "on" || args[0] == "1")
        value = true;
    else if (args[0] == "off" || args[0] == "0")
        value = false;
    else
        return false;
    return true;
}

CommandTable::Command Toggle(bool FaultSwitches::*field, std::string name) {
    return [field, name](TrainerSim& sim, const std::vector<std::string>& args) -> std::string {
        bool value = false;
        if (!ParseOnOff(args, value))
            return "usage: " + name + " on|off";
        sim.Protocol().Faults().*field = value;
        return name + (value ? " on" : " off");
    };
}

} // namespace

CommandTable::CommandTable() {
    Add("silent", "silent on|off  answer nothing", Toggle(&FaultSwitches::silent, "silent"));
    Add("bad-checksum", "bad-checksum on|off  answer with a wrong checksum",
        Toggle(&FaultSwitches::badChecksum, "bad-checksum"));
    Add("garbage", "garbage on|off  send noise bytes between frames",
        Toggle(&FaultSwitches::garbage, "garbage"));
    Add("delay", "delay MS  answer only after MS milliseconds",
        [](TrainerSim& sim, const std::vector<std::string>& args) -> std::string {
            int ms = -1;
            if (args.size() == 1) {
                const auto& t = args[0];
                auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), ms);
                if (ec != std::errc() || ptr != t.data() + t.size())
                    ms = -1;
            }
            if (ms < 0)
                return "usage: delay MS";
            sim.Protocol().Faults().replyDelay = std::chrono::milliseconds(ms);
            return "delay " + std::to_string(ms) + " ms";
        });
    Add("hang-up", "hang-up  close the terminal now",
        [](TrainerSim& sim, const std::vector<std::string>&) -> std::string {
            sim.RequestHangUp();
            return "hanging up";
        });
    Add("unplug", "unplug  pull the cable: hang up and remove the link",
        [](TrainerSim& sim, const std::vector<std::string>&) -> std::string {
            sim.Unplug();
            return "unplugged";
        });
    Add("plug", "plug  plug the cable back in: a new terminal (and link)",
        [](TrainerSim& sim, const std::vector<std::string>&) -> std::string {
            if (sim.Plugged())
                return "already plugged in";
            if (const Status plugged = sim.Plug(); !plugged.ok())
                return "plug failed: " + plugged.message();
            return "plugged in at " + sim.SlavePath();
        });
    Add("status", "status  show the counters and switches",
        [](TrainerSim& sim, const std::vector<std::string>&) -> std::string {
            auto& p = sim.Protocol();
            const auto& f = p.Faults();
            std::ostringstream out;
            out << "frames " << p.FramesReceived() << ", discarded " << p.FramesDiscarded()
                << ", attached " << (p.Model().attached ? "on" : "off") << ", baud "
                << sim.Terminal().SlaveBaudRate() << (sim.HungUp() ? ", hung up" : "")
                << "; silent " << f.silent << ", bad-checksum " << f.badChecksum << ", garbage "
                << f.garbage << ", delay " << f.replyDelay.count() << " ms";
            return out.str();
        });
    AddParameterCommands(*this);
    AddSlotCommands(*this);
    AddScenarioCommands(*this);
}

void CommandTable::Add(const std::string& name, const std::string& usage, Command command) {
    commands_[name] = Entry{usage, std::move(command)};
}

std::string CommandTable::Execute(TrainerSim& sim, const std::string& line) const {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    if (words.empty())
        return {};
    if (words[0] == "help")
        return HelpText();
    const auto it = commands_.find(words[0]);
    if (it == commands_.end())
        return "unknown command '" + words[0] + "' (try 'help')";
    return it->second.command(sim, {words.begin() + 1, words.end()});
}

std::string CommandTable::HelpText() const {
    std::string text = "Commands:\n  help  this list\n  quit  stop the simulator\n";
    for (const auto& [name, entry] : commands_)
        text += "  " + entry.usage + "\n";
    return text;
}

} // namespace crvl::sim
