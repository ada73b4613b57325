#pragma once

// Puts the boot loader on a running simulator's line, and the command-line
// switches that configure it.

#include <memory>
#include <string>
#include <vector>

#include "tools/trainersim/bootloader_sim.h"
#include "tools/trainersim/sim_options.h"
#include "tools/trainersim/trainer_sim.h"

namespace crvl::sim {

// Installs the boot loader as the protocol's byte interceptor and ticker.
// Call before sim.Start(); the returned object must outlive the simulator's
// thread.
std::unique_ptr<BootloaderSim> AttachBootloader(TrainerSim& sim, BootloaderOptions options,
                                                LogSink log = {});

// The boot loader's switches (--flash, --baud-pacing and the faults), which
// set SimConfig::bootloader.
void AddBootloaderSwitches(std::vector<SwitchSpec>& table);

// How the boot loader is reached, for --help.
std::string BootloaderHelpText();

} // namespace crvl::sim
