#include "config/cli/cli_options.h"

#include "config/cli/option_parser.h"

#include <CLI/CLI.hpp>

#include "config/cli/parameter_text.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace crvl::cli {
namespace {

struct CommandSpec {
    std::string_view name;
    std::string_view usage;   // after "crvlctl [OPTIONS] "
    std::string_view summary; // one line for the program's help
    std::string_view details; // the command's own help, after the usage line
};

const std::vector<CommandSpec>& Commands() {
    static const std::vector<CommandSpec> commands = {
        {"find", "find [--all]", "find the first trainer (--all: every one)",
         "Searches COM1..COM16 (or the --port given), one port at a time as\n"
         "crvlconfig does, and prints the first trainer that answers:\n"
         "  COM3 software=2.1 hardware=03\n"
         "  --all   go on through every port and print one line per trainer\n"
         "The versions are left out when the trainer does not send them.\n"},
        {"info", "info", "versions, battery voltage and state",
         "Prints port, software, hardware, battery-volts and battery-state\n"
         "(ok above 8.0 V, low above 7.0 V, else depleted).\n"},
        {"params", "params", "the parameters, one \"name = value\" line each",
         "Prints the parameter record the trainer sent, in the order of the\n"
         "record. Times are in seconds.\n"},
        {"set", "set NAME=VALUE...", "write only the named parameters",
         "Reads the trainer's parameters, changes only the named ones (every other\n"
         "byte goes back as it was read), writes the record and reports the\n"
         "trainer's result. A bad name or value writes nothing (exit 2).\n"
         "Names and values:\n"},
        {"defaults", "defaults", "write the factory defaults (Load Defaults)",
         "Writes volume 8, default-scenario 1, cpr-pause short, shock-series 1,\n"
         "protocol-timeout 60, cpr-timer 120, no-shock-pause 120, prompt-interval 60,\n"
         "pad-tolerance 170 and all three options on, and reports the result.\n"},
        {"slots", "slots", "the names of custom slots C1..C3",
         "Prints C1 = NAME, C2 = NAME, C3 = NAME. A slot the trainer answered with\n"
         "another slot's reply shows \"Download Error\" and makes the exit code 1.\n"},
        {"upload", "upload SLOT FILE [--name NAME]", "send a scenario file's table into a slot",
         "SLOT is 1, 2, 3 or C1, C2, C3. The file's table is read and checked\n"
         "first; a malformed file sends nothing (exit 2). The slot's name is the\n"
         "file name up to its first dot, at most 20 characters, as crvlconfig\n"
         "names it, or NAME (1 to 20 characters of Latin-1).\n"},
        {"check", "check FILE", "the scenario checks of a file's table, without a trainer",
         "Reads the file's state table as upload does and prints the findings of\n"
         "the scenario checks, one line each, in the words of the builder's\n"
         "Scenario Check:\n"
         "  Warning: Frame3 cannot be reached from Frame0.\n"
         "or \"No problems found.\" (notes may follow it). --json prints one object\n"
         "per finding (severity, frame, text). Exit 1 when a finding is an error\n"
         "(the trainer would misbehave), 2 for a malformed file, else 0.\n"},
        {"monitor", "monitor [--seconds N] [--log FILE]", "print each change of the monitor record",
         "Opens the scenario monitor as crvlconfig does (the trainer is detached,\n"
         "2.5 s later monitor reports are switched on) and prints one line per\n"
         "event of the run, with the columns of the session log:\n"
         "  time_s=0.250 event=start scenario=01 frame=00 rhythm=VF shockable=yes\n"
         "    pulse=no pads=yes motion=no failure=no battery=ok\n"
         "event is start, frame (another frame), state (another condition), shock,\n"
         "lost (the trainer stopped answering), detached (the trainer let go of the\n"
         "tool: its remote control or buttons) or end; time_s counts seconds from\n"
         "the start of the reports.\n"
         "  --seconds N   end after N seconds (a decimal number); without it the\n"
         "                monitor runs until Ctrl-C. Both end with exit 0; a trainer\n"
         "                that stops answering or detaches ends it with exit 1.\n"
         "  --log FILE    also write the run to FILE as a session log (CSV, the\n"
         "                format of crvlconfig's sessions/); FILE must not exist.\n"},
    };
    return commands;
}

const CommandSpec* FindCommand(std::string_view name) {
    const auto& commands = Commands();
    const auto it = std::find_if(commands.begin(), commands.end(),
                                 [&](const CommandSpec& c) { return c.name == name; });
    return it == commands.end() ? nullptr : &*it;
}

bool SameWord(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

constexpr std::string_view kExitCodes = "Exit codes:\n"
                                        "  0    done\n"
                                        "  1    the trainer refused a request (Result not 0), did "
                                        "not answer it in time,\n"
                                        "       or the line to it was lost\n"
                                        "  2    bad usage, a bad value, or a malformed scenario "
                                        "file\n"
                                        "  3    no trainer found, or the port cannot be opened\n"
                                        "  130  interrupted by Ctrl-C, SIGTERM or SIGHUP (the "
                                        "trainer is left\n"
                                        "       detached, the port closed)\n";

} // namespace

Result<Invocation> ParseInvocation(const std::vector<std::string>& argv) {
    Invocation invocation;
    CLI::App app;
    app.set_help_flag(); // --help is crvlctl's own: the program's or the command's text
    std::vector<std::string> ports;
    app.add_option("--port", ports)->allow_extra_args(false);
    app.add_flag("--json", invocation.json);
    app.add_flag("--quiet", invocation.quiet);
    app.add_flag("-h,--help", invocation.help);
    app.add_flag("--version", invocation.version);
    std::vector<std::string> rest;
    if (const Status parsed = RunParser(app, argv, rest); !parsed.ok())
        return parsed.message() == "--port needs a value"
                   ? Status::Error("--port needs COMn or a device path")
                   : parsed;
    if (ports.size() > 1)
        return Status::Error("--port given " + std::to_string(ports.size()) +
                             " times; one crvlctl uses one port (start one per port)");
    if (!ports.empty())
        invocation.port = ports.front();
    if (!rest.empty()) {
        const std::string& command = rest.front();
        if (command.starts_with("-"))
            return Status::Error("unknown option " + command);
        if (!IsCommand(command))
            return Status::Error("unknown command '" + command + "'");
        invocation.command = command;
        invocation.args.assign(rest.begin() + 1, rest.end());
    }
    if (invocation.command.empty() && !invocation.help && !invocation.version) {
        return Status::Error("no command given");
    }
    return invocation;
}

Result<PortChoice> ResolvePort(const std::optional<std::string>& port) {
    PortChoice choice;
    if (!port)
        return choice;
    if (port->empty()) {
        return Status::Error("--port needs COMn or a device path");
    }
    if (port->size() > 3 && SameWord(std::string_view(*port).substr(0, 3), "COM")) {
        int number = 0;
        const char* begin = port->data() + 3;
        const char* end = port->data() + port->size();
        const auto [ptr, ec] = std::from_chars(begin, end, number);
        if (ec == std::errc() && ptr == end) {
            if (number < 1 || number > kHighestPort) {
                return Status::Error("port " + *port + " is not one of COM1..COM16");
            }
            choice.first = choice.last = number;
            return choice;
        }
    }
    choice.first = choice.last = 1;
    choice.device = *port;
    return choice;
}

std::string PortLabel(const PortChoice& choice, int port) {
    return choice.device.empty() ? std::string("COM") + std::to_string(port) : choice.device;
}

std::vector<std::string_view> CommandNames() {
    std::vector<std::string_view> names;
    for (const CommandSpec& c : Commands())
        names.push_back(c.name);
    return names;
}

bool IsCommand(std::string_view name) {
    return FindCommand(name) != nullptr;
}

std::string ProgramHelp() {
    std::string text =
        "Usage: crvlctl [--port COMn | --port PATH] [--json] [--quiet] COMMAND [ARGS]\n"
        "\n"
        "Reads and writes the trainer's configuration from the command line, with\n"
        "the connection logic of crvlconfig: the same search, handshake and waits,\n"
        "the trainer attached while connected and detached before crvlctl leaves.\n"
        "Nothing is stored on the PC. Each crvlctl holds one port; several run side\n"
        "by side on different ports.\n"
        "\n"
        "Options:\n"
        "  --port COMn   use port n (1..16) only; COMn is the device CRVL_COMn names,\n"
        "                or the built-in map (COM1..4 /dev/ttyS0..3, COM5..12\n"
        "                /dev/ttyUSB0..7, COM13..16 /dev/ttyACM0..3 on Linux)\n"
        "  --port PATH   use this device (for example /dev/ttyUSB0)\n"
        "                without --port: search COM1..COM16 as crvlconfig does\n"
        "  --json        print one JSON object (one per line for monitor and\n"
        "                find --all) with the names below as keys\n"
        "  --quiet       print nothing on standard output; the exit code tells\n"
        "  --help        this text; COMMAND --help: the command's own\n"
        "  --version     the program's version\n"
        "\n"
        "Commands:\n";
    for (const CommandSpec& c : Commands()) {
        std::string line = std::string("  ") + std::string(c.usage);
        line.resize(std::max<std::size_t>(line.size() + 2, 34), ' ');
        text += line + std::string(c.summary) + "\n";
    }
    text += "\nResults go to standard output; an error is one line on standard error,\n"
            "naming the port.\n\n";
    text += kExitCodes;
    return text;
}

std::string CommandHelp(std::string_view command) {
    const CommandSpec* spec = FindCommand(command);
    if (spec == nullptr)
        return ProgramHelp();
    std::string text = "Usage: crvlctl [--port COMn | --port PATH] [--json] [--quiet] " +
                       std::string(spec->usage) + "\n\n" + std::string(spec->summary) + ".\n" +
                       std::string(spec->details);
    if (spec->name == "set" || spec->name == "params")
        text += (spec->name == "params" ? "Names and values:\n" : "") + ParameterHelp();
    return text + "\n" + std::string(kExitCodes);
}

} // namespace crvl::cli
