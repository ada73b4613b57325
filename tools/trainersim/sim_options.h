#pragma once

// The simulator's command line. Every switch is listed in one table, so that
// --help always shows all of them.

#include <functional>
#include <string>
#include <vector>

#include "base/status.h"
#include "tools/trainersim/trainer_sim.h"

namespace crvl::sim {

// The most trainers one simulator plays (--count).
inline constexpr int kMaxTrainers = 64;

struct SimOptions {
    SimConfig config;    // every trainer's; with --link-dir each gets its own link
    int count = 1;       // trainers, each on its own terminal
    std::string linkDir; // a folder for a by-id style link per trainer
    bool help = false;
};

struct SwitchSpec {
    std::string name;     // "--link"
    std::string argument; // "PATH", empty for a plain switch
    std::string help;
    std::function<bool(SimOptions&, const std::string& value)> apply;
};

// The table of switches.
const std::vector<SwitchSpec>& Switches();

// A whole number of 0 or more (a count, milliseconds).
bool ParseCount(const std::string& text, int& value);

// Parses argv (without the program name); a failure names the bad input.
Status ParseArguments(const std::vector<std::string>& args, SimOptions& options);

// The text of --help.
std::string HelpText();

} // namespace crvl::sim
