#include "tools/trainersim/parameters_sim.h"

#include <cctype>
#include <charconv>

namespace crvl::sim {

namespace {

bool ParseByte(const std::string& text, std::uint8_t& value, int base = 10) {
    unsigned parsed = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, parsed, base);
    if (ec != std::errc() || ptr != end || text.empty() || parsed > 0xFF)
        return false;
    value = static_cast<std::uint8_t>(parsed);
    return true;
}

// "2.1.3": software major, minor, hardware.
bool ParseVersion(const std::string& text, std::array<std::uint8_t, kVersionSize>& version) {
    std::array<std::uint8_t, kVersionSize> parsed = version;
    std::size_t start = 0;
    for (std::size_t i = 0; i < 3; ++i) {
        const std::size_t dot = text.find('.', start);
        const std::string part = text.substr(start, dot == std::string::npos ? dot : dot - start);
        if (!ParseByte(part, parsed[i]) || (i < 2) == (dot == std::string::npos))
            return false;
        start = dot + 1;
    }
    version = parsed;
    return true;
}

bool ParseOnOff(const std::string& text, bool& value) {
    if (text == "on" || text == "1")
        value = true;
    else if (text == "off" || text == "0")
        value = false;
    else
        return false;
    return true;
}

// A switch that takes no value and sets one flag of the fault switches.
SwitchSpec FlagSwitch(const char* name, const char* help, bool FaultSwitches::*field) {
    return {name, "", help, [field](SimOptions& o, const std::string&) {
                o.config.faults.*field = true;
                return true;
            }};
}

CommandTable::Command FlagCommand(bool FaultSwitches::*field, std::string name) {
    return [field, name](TrainerSim& sim, const std::vector<std::string>& args) -> std::string {
        bool value = false;
        if (args.size() != 1 || !ParseOnOff(args[0], value))
            return "usage: " + name + " on|off";
        sim.Protocol().Faults().*field = value;
        return name + (value ? " on" : " off");
    };
}

std::string RecordText(const ParameterRecord& record) {
    const auto bytes = record.Encode();
    return HexBytes(bytes);
}

} // namespace

bool ParseParameterRecord(const std::string& text, ParameterRecord& record) {
    std::string digits;
    for (const char c : text) {
        if (std::isxdigit(static_cast<unsigned char>(c)))
            digits += c;
        else if (c != ' ' && c != ',' && c != ':')
            return false;
    }
    if (digits.size() != 2 * ParameterRecord::kSize)
        return false;
    std::array<std::uint8_t, ParameterRecord::kSize> bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (!ParseByte(digits.substr(2 * i, 2), bytes[i], 16))
            return false;
    }
    record = *ParameterRecord::Decode(bytes);
    return true;
}

void InstallParameterFeature(TrainerProtocol& protocol) {
    protocol.SetReadHandler(msg::kReadParameters, [&protocol](auto) {
        if (!protocol.Faults().noParametersReply)
            protocol.Reply(MakeParametersReply(protocol.Model().parameters));
    });
    protocol.SetReadHandler(msg::kReadVersion, [&protocol](auto) {
        if (protocol.Faults().noVersion)
            return;
        const auto& v = protocol.Model().version;
        protocol.Reply(MakeVersion(v[0], v[1], v[2], v[3]));
    });
    protocol.SetHandler(msg::kWriteParameters, [&protocol](std::span<const std::uint8_t> p) {
        const auto record = ParameterRecord::Decode(p.subspan(1));
        if (!record) {
            protocol.Log("WriteParameters too short, ignored");
            return;
        }
        const FaultSwitches& faults = protocol.Faults();
        if (faults.writeResult == 0)
            protocol.Model().parameters = *record;
        protocol.Log("parameters " + RecordText(protocol.Model().parameters));
        protocol.ReplyResult(static_cast<std::uint8_t>(faults.writeResult));
    });
    protocol.SetReadHandler(msg::kSetAttached, [&protocol](std::span<const std::uint8_t> p) {
        if (p.size() < 3)
            return;
        const bool attaching = p[2] == kOn && !protocol.Model().attached;
        protocol.Model().attached = p[2] == kOn;
        // Only the step to attached is reported: the tool answers a report
        // "on" with SetAttached on, which must not start an endless exchange.
        const int report = protocol.Faults().attachedReport;
        if (report >= 0 && attaching)
            protocol.Reply(MakeAttachedReport(report != 0));
    });
}

void AddParameterSwitches(std::vector<SwitchSpec>& table) {
    table.push_back({"--parameters", "HEX",
                     "start with this parameter record (10 bytes in hexadecimal)",
                     [](SimOptions& o, const std::string& v) {
                         return ParseParameterRecord(v, o.config.model.parameters);
                     }});
    table.push_back({"--version", "MAJ.MIN.HW", "report this software and hardware version",
                     [](SimOptions& o, const std::string& v) {
                         return ParseVersion(v, o.config.model.version);
                     }});
    table.push_back({"--battery", "RAW", "report this battery byte (0.04 V per step)",
                     [](SimOptions& o, const std::string& v) {
                         return ParseByte(v, o.config.model.batteryRaw);
                     }});
    table.push_back({"--write-result", "N",
                     "answer WriteParameters with Result N (not 0: failed, record kept)",
                     [](SimOptions& o, const std::string& v) {
                         std::uint8_t result = 0;
                         if (!ParseByte(v, result))
                             return false;
                         o.config.faults.writeResult = result;
                         return true;
                     }});
    table.push_back(FlagSwitch("--no-result", "do not answer WriteParameters or an upload",
                               &FaultSwitches::noResult));
    table.push_back({"--result-delay", "MS",
                     "send the Result of a write or an upload MS milliseconds late",
                     [](SimOptions& o, const std::string& v) {
                         int ms = 0;
                         if (!ParseCount(v, ms))
                             return false;
                         o.config.faults.resultDelay = std::chrono::milliseconds(ms);
                         return true;
                     }});
    table.push_back(
        FlagSwitch("--no-version", "do not answer ReadVersion", &FaultSwitches::noVersion));
    table.push_back(FlagSwitch("--no-parameters",
                               "do not answer ReadParameters (the tool's search moves on)",
                               &FaultSwitches::noParametersReply));
    table.push_back({"--attached-report", "on|off",
                     "answer the SetAttached that attaches the tool with AttachedReport on or off",
                     [](SimOptions& o, const std::string& v) {
                         bool on = false;
                         if (!ParseOnOff(v, on))
                             return false;
                         o.config.faults.attachedReport = on ? 1 : 0;
                         return true;
                     }});
}

void AddParameterCommands(CommandTable& table) {
    table.Add("parameters", "parameters [HEX]  show or set the parameter record",
              [](TrainerSim& sim, const std::vector<std::string>& args) -> std::string {
                  std::string joined;
                  for (const std::string& a : args)
                      joined += a;
                  if (!joined.empty() && !ParseParameterRecord(joined, sim.Model().parameters))
                      return "usage: parameters [10 bytes in hexadecimal]";
                  return "parameters " + RecordText(sim.Model().parameters);
              });
    table.Add("battery", "battery RAW  report this battery byte",
              [](TrainerSim& sim, const std::vector<std::string>& args) -> std::string {
                  if (args.size() != 1 || !ParseByte(args[0], sim.Model().batteryRaw))
                      return "usage: battery RAW";
                  return "battery " + args[0];
              });
    table.Add("write-result", "write-result N  answer WriteParameters with Result N",
              [](TrainerSim& sim, const std::vector<std::string>& args) -> std::string {
                  std::uint8_t result = 0;
                  if (args.size() != 1 || !ParseByte(args[0], result))
                      return "usage: write-result N";
                  sim.Protocol().Faults().writeResult = result;
                  return "write-result " + args[0];
              });
    table.Add("result-delay", "result-delay MS  send Results of writes and uploads late",
              [](TrainerSim& sim, const std::vector<std::string>& args) -> std::string {
                  int ms = 0;
                  if (args.size() != 1 || !ParseCount(args[0], ms))
                      return "usage: result-delay MS";
                  sim.Protocol().Faults().resultDelay = std::chrono::milliseconds(ms);
                  return "result-delay " + args[0] + " ms";
              });
    table.Add("no-result", "no-result on|off  leave writes and uploads unanswered",
              FlagCommand(&FaultSwitches::noResult, "no-result"));
    table.Add("no-version", "no-version on|off  leave ReadVersion unanswered",
              FlagCommand(&FaultSwitches::noVersion, "no-version"));
    table.Add("no-parameters", "no-parameters on|off  leave ReadParameters unanswered",
              FlagCommand(&FaultSwitches::noParametersReply, "no-parameters"));
    table.Add("attached-report", "attached-report on|off  send AttachedReport now",
              [](TrainerSim& sim, const std::vector<std::string>& args) -> std::string {
                  bool on = false;
                  if (args.size() != 1 || !ParseOnOff(args[0], on))
                      return "usage: attached-report on|off";
                  sim.Protocol().Reply(MakeAttachedReport(on));
                  return std::string("attached-report ") + (on ? "on" : "off");
              });
}

} // namespace crvl::sim
