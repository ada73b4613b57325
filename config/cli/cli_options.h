// crvlctl's command line: the global options, the command and its
// arguments, and the help texts. Every command is listed in one table, so
// that --help always shows all of them.
#pragma once

#include "base/status.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace crvl::cli {

// The documented exit codes.
enum ExitCode : int {
    kExitDone = 0,
    kExitTrainer = 1,       // the trainer refused or did not answer, or the line was lost
    kExitUsage = 2,         // bad usage, bad value, malformed scenario file
    kExitNoTrainer = 3,     // no trainer found, or the port cannot be opened
    kExitInterrupted = 130, // Ctrl-C before the command was done
};

struct Invocation {
    std::optional<std::string> port; // --port COMn or a device path
    bool json = false;
    bool quiet = false;
    bool help = false;    // --help: of the program, or of the command
    bool version = false; // --version
    std::string command;
    std::vector<std::string> args; // the command's own arguments and options
};

// Parses argv without the program name. Global options may stand before or
// after the command. Fails with the reason on bad usage.
Result<Invocation> ParseInvocation(const std::vector<std::string>& argv);

// The ports a --port value stands for: COM1..COM16, or one device path that
// crvlctl opens under port number 1.
// crvlconfig searches COM1..COM16; so does crvlctl.
inline constexpr int kHighestPort = 16;

struct PortChoice {
    int first = 1;
    int last = kHighestPort;
    std::string device; // set for a device path
};
// Fails with the reason for "COM0", "COM17" or an empty value.
Result<PortChoice> ResolvePort(const std::optional<std::string>& port);
// How errors and results name port n of the choice: "COM3", or the path.
std::string PortLabel(const PortChoice& choice, int port);

// The command names in the order of the help text.
std::vector<std::string_view> CommandNames();
bool IsCommand(std::string_view name);

std::string ProgramHelp();
std::string CommandHelp(std::string_view command);

} // namespace crvl::cli
