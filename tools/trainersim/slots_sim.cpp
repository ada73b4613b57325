#include "tools/trainersim/slots_sim.h"

#include "scenario/scenario_file.h"
#include "tools/trainersim/sim_numbers.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <limits>
#include <system_error>

namespace crvl::sim {

namespace {

// The Result byte of an upload the trainer refuses outright.
constexpr std::uint8_t kUploadRefused = 1;
constexpr int kLargestResult = std::numeric_limits<std::uint8_t>::max();

std::string SlotName(const SlotInfo& info) {
    return std::string(info.Name());
}

} // namespace

Status LoadSlotFromFile(TrainerModel& model, int slot, const std::string& path) {
    if (slot < 1 || slot > kSlotCount) {
        return Status::Error("slot must be 1, 2 or 3");
    }
    const ScenarioFile file = LoadScenarioFile(path);
    switch (file.status) {
    case ScenarioFileStatus::Ok:
        break;
    case ScenarioFileStatus::FormatError:
        return Status::Error("format error in scenario file " + path);
    case ScenarioFileStatus::CannotOpen:
    case ScenarioFileStatus::ReadFailed:
        return Status::Error("cannot read " + path);
    }
    SlotInfo& info = model.slots[static_cast<std::size_t>(slot - 1)];
    info.SetName(file.name);
    info.table = file.table;
    return Status::Ok();
}

std::vector<std::string> LessonDirectories() {
    std::vector<std::string> dirs;
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        dirs.push_back((self.parent_path() / "lessons").string());
    }
    dirs.push_back(CRVL_INSTALLED_LESSONS);
    return dirs;
}

std::string FindLesson(const std::string& name, const std::vector<std::string>& dirs) {
    std::string stem = name;
    if (stem.size() > 4 && stem.ends_with(".scn")) {
        stem.resize(stem.size() - 4);
    }
    const bool plain = !stem.empty() && std::all_of(stem.begin(), stem.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '-';
    });
    if (!plain) {
        return {};
    }
    for (const std::string& dir : dirs) {
        const std::filesystem::path path = std::filesystem::path(dir) / (stem + ".scn");
        std::error_code ec;
        if (std::filesystem::is_regular_file(path, ec)) {
            return path.string();
        }
    }
    return {};
}

std::string SlotSummary(const TrainerModel& model) {
    std::string text;
    for (int slot = 1; slot <= kSlotCount; ++slot) {
        if (slot > 1)
            text += " | ";
        text += std::to_string(slot) + ": " + SlotName(model.slots[slot - 1]);
    }
    return text;
}

void InstallSlotFeature(TrainerProtocol& protocol) {
    protocol.SetReadHandler(msg::kReadSlotInfo, [&protocol](std::span<const std::uint8_t> p) {
        if (p.size() < 3)
            return;
        const int slot = p[2] - kArgOffset;
        if (slot < 1 || slot > kSlotCount)
            return;
        // The wrong-slot fault answers with the next slot's number, so the
        // tool sees a reply for a slot it did not ask for.
        const int replySlot = protocol.Faults().wrongSlot == slot ? slot % kSlotCount + 1 : slot;
        protocol.Reply(MakeSlotReply(replySlot, protocol.Model().slots[slot - 1]));
    });
    protocol.SetHandler(msg::kUploadScenario, [&protocol](std::span<const std::uint8_t> p) {
        constexpr std::size_t kUploadSize = 2 + SlotInfo::kSize;
        const int slot = p.size() >= 2 ? p[1] - kArgOffset : 0;
        if (p.size() != kUploadSize || slot < 1 || slot > kSlotCount) {
            protocol.Log("upload refused: " + std::to_string(p.size()) + " bytes, slot " +
                         std::to_string(slot));
            protocol.Reply(MakeResult(kUploadRefused));
            return;
        }
        const std::uint8_t result = static_cast<std::uint8_t>(protocol.Faults().uploadResult);
        if (result == 0) {
            SlotInfo& info = protocol.Model().slots[static_cast<std::size_t>(slot - 1)];
            info = *SlotInfo::Decode(p.subspan(2));
            protocol.Log("slot " + std::to_string(slot) + " now holds '" + SlotName(info) + "'");
        }
        protocol.ReplyResult(result);
    });
}

void AddSlotSwitches(std::vector<SwitchSpec>& table) {
    table.push_back({"--scenario", "FILE",
                     "preload a custom slot (see --slot) with the table of a scenario file",
                     [](SimOptions& o, const std::string& v) {
                         TrainerModel check;
                         o.config.scenarioFile = v;
                         return LoadSlotFromFile(check, 1, v).ok();
                     }});
    table.push_back(
        {"--lesson", "NAME",
         "preload a custom slot (see --slot) with a shipped lesson, e.g. vf-first-shock",
         [](SimOptions& o, const std::string& v) {
             o.config.scenarioFile = FindLesson(v, LessonDirectories());
             return !o.config.scenarioFile.empty();
         }});
    table.push_back({"--slot", "N",
                     "the slot (1..3) that --scenario or --lesson fills; 1 by default",
                     [](SimOptions& o, const std::string& v) {
                         return ParseNumber(v, 1, kSlotCount, o.config.scenarioSlot);
                     }});
    table.push_back(
        {"--slot-name", "N=TEXT", "name slot N (1..3) TEXT (at most 20 characters)",
         [](SimOptions& o, const std::string& v) {
             const auto eq = v.find('=');
             int slot = 0;
             if (eq == std::string::npos || !ParseNumber(v.substr(0, eq), 1, kSlotCount, slot))
                 return false;
             o.config.model.slots[static_cast<std::size_t>(slot - 1)].SetName(v.substr(eq + 1));
             return true;
         }});
    table.push_back({"--wrong-slot", "N",
                     "answer ReadSlotInfo for slot N (1..3) with the next slot's number",
                     [](SimOptions& o, const std::string& v) {
                         return ParseNumber(v, 1, kSlotCount, o.config.faults.wrongSlot);
                     }});
    table.push_back({"--upload-result", "N",
                     "answer UploadScenario with Result N (not 0: failed, slot kept)",
                     [](SimOptions& o, const std::string& v) {
                         return ParseNumber(v, 0, kLargestResult, o.config.faults.uploadResult);
                     }});
}

void AddSlotCommands(CommandTable& table) {
    table.Add("slots", "slots  show the names of the custom slots",
              [](TrainerSim& sim, const std::vector<std::string>&) -> std::string {
                  return SlotSummary(sim.Model());
              });
    table.Add("table", "table N  show the state table custom slot N holds, one row a line",
              [](TrainerSim& sim, const std::vector<std::string>& args) -> std::string {
                  int slot = 0;
                  if (args.size() != 1 || !ParseNumber(args[0], 1, kSlotCount, slot))
                      return "usage: table N";
                  const ScenarioTable& rows =
                      sim.Model().slots[static_cast<std::size_t>(slot - 1)].table;
                  std::string text;
                  for (std::size_t row = 0; row < ScenarioTable::kRows; ++row) {
                      text += HexBytes({&rows.cells[row * ScenarioTable::kColumns],
                                        ScenarioTable::kColumns}) +
                              "\n";
                  }
                  return text;
              });
    table.Add("slot-name", "slot-name N TEXT  rename custom slot N",
              [](TrainerSim& sim, const std::vector<std::string>& args) -> std::string {
                  int slot = 0;
                  if (args.size() < 2 || !ParseNumber(args[0], 1, kSlotCount, slot))
                      return "usage: slot-name N TEXT";
                  std::string name = args[1];
                  for (std::size_t i = 2; i < args.size(); ++i)
                      name += " " + args[i];
                  sim.Model().slots[static_cast<std::size_t>(slot - 1)].SetName(name);
                  return SlotSummary(sim.Model());
              });
    table.Add("wrong-slot", "wrong-slot N  answer slot N with the wrong number (0: off)",
              [](TrainerSim& sim, const std::vector<std::string>& args) -> std::string {
                  int slot = 0;
                  if (args.size() != 1 || !ParseNumber(args[0], 0, kSlotCount, slot))
                      return "usage: wrong-slot N";
                  sim.Protocol().Faults().wrongSlot = slot;
                  return "wrong-slot " + std::to_string(slot);
              });
    table.Add("upload-result", "upload-result N  answer uploads with Result N",
              [](TrainerSim& sim, const std::vector<std::string>& args) -> std::string {
                  int result = 0;
                  if (args.size() != 1 || !ParseNumber(args[0], 0, kLargestResult, result))
                      return "usage: upload-result N";
                  sim.Protocol().Faults().uploadResult = result;
                  return "upload-result " + std::to_string(result);
              });
    table.Add("load", "load N FILE  put the table of a scenario file into slot N",
              [](TrainerSim& sim, const std::vector<std::string>& args) -> std::string {
                  int slot = 0;
                  if (args.size() != 2 || !ParseNumber(args[0], 1, kSlotCount, slot))
                      return "usage: load N FILE";
                  const Status loaded = LoadSlotFromFile(sim.Model(), slot, args[1]);
                  if (!loaded.ok())
                      return loaded.message();
                  return SlotSummary(sim.Model());
              });
}

} // namespace crvl::sim
