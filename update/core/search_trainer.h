#pragma once

#include "boot_port.h"

#include <functional>
#include <string>

namespace crvl::update {

// Looks for a trainer on COM1..COM16 by sending the keep-alive Ping frame at
// 19200 baud and waiting for the start of an Alive answer (02 2A). Returns the
// first port number that answered, or 0. `show` receives the message box
// lines. A port that cannot be configured is skipped silently.
int SearchTrainer(BootPortFactory& ports, const std::function<void(const std::string&)>& show);

} // namespace crvl::update
