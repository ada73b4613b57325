#include "tools/trainersim/sim_options.h"

#include "tools/trainersim/bootloader_attach.h"
#include "tools/trainersim/parameters_sim.h"
#include "tools/trainersim/slots_sim.h"

#include <charconv>

namespace crvl::sim {

namespace {

// The column the switches' help texts begin in.
constexpr std::size_t kHelpColumn = 24;

} // namespace

bool ParseCount(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && value >= 0;
}

const std::vector<SwitchSpec>& Switches() {
    static const std::vector<SwitchSpec> table = [] {
        std::vector<SwitchSpec> t = {
            {"--link", "PATH", "make PATH a symbolic link to the terminal (for CRVL_COM<n>=PATH)",
             [](SimOptions& o, const std::string& v) {
                 o.config.linkPath = v;
                 return !v.empty();
             }},
            {"--count", "N",
             "play N trainers (1.." + std::to_string(kMaxTrainers) +
                 "), each on its own terminal; one path a line on standard output",
             [](SimOptions& o, const std::string& v) {
                 return ParseCount(v, o.count) && o.count >= 1 && o.count <= kMaxTrainers;
             }},
            {"--link-dir", "DIR",
             "make a link per trainer in DIR named like a USB adapter's by-id link "
             "(for CRVL_PORT_DIR=DIR)",
             [](SimOptions& o, const std::string& v) {
                 o.linkDir = v;
                 return !v.empty();
             }},
            {"--silent", "", "answer nothing (frames are still logged)",
             [](SimOptions& o, const std::string&) {
                 o.config.faults.silent = true;
                 return true;
             }},
            {"--bad-checksum", "", "answer with a wrong checksum",
             [](SimOptions& o, const std::string&) {
                 o.config.faults.badChecksum = true;
                 return true;
             }},
            {"--garbage", "", "send noise bytes between frames",
             [](SimOptions& o, const std::string&) {
                 o.config.faults.garbage = true;
                 return true;
             }},
            {"--hang-up-after", "N",
             "close the terminal once N frames have arrived (and been answered)",
             [](SimOptions& o, const std::string& v) {
                 return ParseCount(v, o.config.faults.hangUpAfter) &&
                        o.config.faults.hangUpAfter > 0;
             }},
            {"--delay", "MS", "answer only after MS milliseconds",
             [](SimOptions& o, const std::string& v) {
                 int ms = 0;
                 if (!ParseCount(v, ms))
                     return false;
                 o.config.faults.replyDelay = std::chrono::milliseconds(ms);
                 return true;
             }},
            {"--help", "", "show this text",
             [](SimOptions& o, const std::string&) {
                 o.help = true;
                 return true;
             }},
        };
        AddParameterSwitches(t);
        AddBootloaderSwitches(t);
        AddSlotSwitches(t);
        return t;
    }();
    return table;
}

Status ParseArguments(const std::vector<std::string>& args, SimOptions& options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string value;
        bool inlineValue = false;
        if (const auto eq = name.find('='); eq != std::string::npos && name.starts_with("--")) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
            inlineValue = true;
        }
        const SwitchSpec* spec = nullptr;
        for (const SwitchSpec& s : Switches())
            if (s.name == name)
                spec = &s;
        if (spec == nullptr) {
            return Status::Error("unknown option " + args[i]);
        }
        if (!spec->argument.empty() && !inlineValue) {
            if (i + 1 >= args.size()) {
                return Status::Error(name + " needs " + spec->argument);
            }
            value = args[++i];
        } else if (spec->argument.empty() && inlineValue) {
            return Status::Error(name + " takes no value");
        }
        if (!spec->apply(options, value)) {
            return Status::Error("bad value for " + name + ": " + value);
        }
    }
    if (!options.config.linkPath.empty() && (options.count > 1 || !options.linkDir.empty()))
        return Status::Error("--link names one trainer's link; use --link-dir with --count");
    return Status::Ok();
}

std::string HelpText() {
    std::string text =
        "Usage: trainersim [options]\n"
        "\n"
        "Plays the trainer on a pseudo-terminal. The first line on standard output is\n"
        "the terminal's path; point a serial program at it with CRVL_COM<n>=PATH.\n"
        "With --count N it plays N trainers and prints one path a line (their links\n"
        "with --link-dir); a command then goes to every trainer, or to one when its\n"
        "number comes first (\"2 unplug\").\n"
        "Every frame received is logged to standard error, one line each. Runs until\n"
        "it is stopped (Ctrl-C) or standard input closes; lines on standard input are\n"
        "commands (type 'help').\n"
        "\n"
        "Options:\n";
    for (const SwitchSpec& s : Switches()) {
        std::string left = "  " + s.name + (s.argument.empty() ? "" : " " + s.argument);
        if (left.size() < kHelpColumn)
            left.resize(kHelpColumn, ' ');
        else
            left += "  ";
        text += left + s.help + "\n";
    }
    return text;
}

} // namespace crvl::sim
