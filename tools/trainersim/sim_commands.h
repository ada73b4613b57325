#pragma once

// Commands typed on the simulator's standard input, one per line. Features
// register their own commands; each runs on the simulator's thread.

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tools/trainersim/trainer_sim.h"

namespace crvl::sim {

class CommandTable {
public:
    // Runs on the simulator's thread; returns the text to print (may be empty).
    using Command =
        std::function<std::string(TrainerSim& sim, const std::vector<std::string>& args)>;

    CommandTable();

    void Add(const std::string& name, const std::string& usage, Command command);

    // Splits the line into words and runs the command. Unknown commands give
    // an error text; an empty line gives "".
    std::string Execute(TrainerSim& sim, const std::string& line) const;

    std::string HelpText() const;

private:
    struct Entry {
        std::string usage;
        Command command;
    };
    std::map<std::string, Entry> commands_;
};

} // namespace crvl::sim
