#pragma once

// Puts the boot loader on a running simulator's line, and the command-line
// switches that configure it.

#include <memory>
#include <string>
#include <vector>

#include "bootloader_sim.h"
#include "trainer_sim.h"

namespace crvl::sim {

// Installs the boot loader as the protocol's byte interceptor and ticker.
// Call before sim.Start(); the returned object must outlive the simulator's
// thread.
std::unique_ptr<BootloaderSim> AttachBootloader(TrainerSim& sim, BootloaderOptions options,
                                                LogSink log = {});

// Takes the boot loader's switches out of args (the rest is left for the
// trainer's own switches). False with a reason on bad input.
bool TakeBootloaderSwitches(std::vector<std::string>& args, BootloaderOptions& options,
                            std::string& error);

// The switches' part of --help.
std::string BootloaderHelpText();

} // namespace crvl::sim
