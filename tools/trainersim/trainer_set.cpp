#include "tools/trainersim/trainer_set.h"

#include "tools/trainersim/bootloader_attach.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <future>
#include <sstream>
#include <system_error>

namespace crvl::sim {

namespace {

// The serial number's digits in a link name.
constexpr int kSerialDigits = 4;

// The trainer a line names with its first word, 0 when it names none.
int TrainerNumber(const std::string& word, int count) {
    int number = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), number);
    if (error != std::errc() || end != word.data() + word.size() || number < 1 || number > count)
        return 0;
    return number;
}

} // namespace

std::string TrainerLinkName(int number) {
    std::string serial = std::to_string(number);
    if (serial.size() < kSerialDigits)
        serial.insert(0, kSerialDigits - serial.size(), '0');
    return "usb-Corvel_Trainer_SIM" + serial + "-if00-port0";
}

TrainerSet::TrainerSet(const SimOptions& options, const LogSink& log) : options_(options) {
    const bool several = options.count > 1;
    for (int number = 1; number <= options.count; ++number) {
        SimConfig config = options.config;
        if (!options.linkDir.empty())
            config.linkPath =
                (std::filesystem::path(options.linkDir) / TrainerLinkName(number)).string();
        // With several trainers each log line says whose it is.
        LogSink own = log;
        if (several && log)
            own = [log, prefix = std::to_string(number) + ": "](const std::string& line) {
                log(prefix + line);
            };
        Member member;
        member.sim = std::make_unique<TrainerSim>(config, own);
        member.bootloader = AttachBootloader(*member.sim, options.config.bootloader, own);
        members_.push_back(std::move(member));
    }
}

TrainerSet::~TrainerSet() {
    Stop();
}

Status TrainerSet::Open() {
    if (!options_.linkDir.empty()) {
        std::error_code error;
        std::filesystem::create_directories(options_.linkDir, error);
        if (error)
            return Status::Error(options_.linkDir + ": " + error.message());
    }
    for (Member& member : members_)
        if (Status opened = member.sim->Open(); !opened.ok())
            return opened;
    return Status::Ok();
}

std::vector<std::string> TrainerSet::Paths() const {
    std::vector<std::string> paths;
    for (int number = 1; number <= static_cast<int>(members_.size()); ++number) {
        if (!options_.linkDir.empty())
            paths.push_back(
                (std::filesystem::path(options_.linkDir) / TrainerLinkName(number)).string());
        else
            paths.push_back(members_[number - 1].sim->SlavePath());
    }
    return paths;
}

void TrainerSet::Start() {
    for (Member& member : members_)
        member.sim->Start();
}

void TrainerSet::Stop() {
    for (Member& member : members_)
        member.sim->Stop();
}

std::string TrainerSet::Run(TrainerSim& sim, const std::string& line) {
    std::promise<std::string> answer;
    auto result = answer.get_future();
    sim.Post([&] { answer.set_value(commands_.Execute(sim, line)); });
    return result.get();
}

std::string TrainerSet::Execute(const std::string& line) {
    std::istringstream in(line);
    std::string first;
    in >> first;
    if (first.empty())
        return {};
    if (first == "help")
        return commands_.HelpText() +
               (Count() > 1 ? "A command goes to every trainer, or to one when its number "
                              "comes first (\"2 unplug\").\n"
                            : "");
    if (const int number = TrainerNumber(first, Count()); number != 0) {
        std::string rest;
        std::getline(in, rest);
        return Run(Trainer(number), rest);
    }
    if (Count() == 1)
        return Run(Trainer(1), line);
    std::string answers;
    for (int number = 1; number <= Count(); ++number) {
        const std::string answer = Run(Trainer(number), line);
        std::istringstream lines(answer);
        for (std::string text; std::getline(lines, text);)
            answers += std::to_string(number) + ": " + text + "\n";
    }
    return answers;
}

} // namespace crvl::sim
