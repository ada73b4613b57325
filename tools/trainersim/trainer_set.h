#pragma once

// The trainers one trainersim plays: one, or with --count several, each on
// its own terminal with its own thread, boot loader and link. Command lines
// go to all of them, or to one when they begin with its number.

#include <memory>
#include <string>
#include <vector>

#include "base/status.h"
#include "tools/trainersim/bootloader_sim.h"
#include "tools/trainersim/sim_commands.h"
#include "tools/trainersim/sim_options.h"
#include "tools/trainersim/trainer_sim.h"

namespace crvl::sim {

// The name of trainer number's link in --link-dir, made like the link udev
// makes for a USB serial adapter: "usb-Corvel_Trainer_SIM0001-if00-port0".
std::string TrainerLinkName(int number);

class TrainerSet {
public:
    TrainerSet(const SimOptions& options, const LogSink& log);
    ~TrainerSet();
    TrainerSet(const TrainerSet&) = delete;
    TrainerSet& operator=(const TrainerSet&) = delete;

    // Opens every terminal and link (creating the link folder when missing).
    Status Open();
    // What to point a program at, one per trainer: its link, else its terminal.
    std::vector<std::string> Paths() const;
    void Start();
    void Stop();

    // Runs a command line: "3 unplug" on trainer 3, "status" on each (their
    // answers then begin with their number when there are several).
    std::string Execute(const std::string& line);

    TrainerSim& Trainer(int number) { return *members_.at(number - 1).sim; }
    int Count() const { return static_cast<int>(members_.size()); }

private:
    struct Member {
        std::unique_ptr<TrainerSim> sim;
        std::unique_ptr<BootloaderSim> bootloader;
    };
    std::string Run(TrainerSim& sim, const std::string& line);

    SimOptions options_;
    CommandTable commands_;
    std::vector<Member> members_;
};

} // namespace crvl::sim
