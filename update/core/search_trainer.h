#pragma once

#include "update/core/boot_port.h"

#include <functional>
#include <string>

namespace crvl::update {

// Looks for a trainer on COM1..COM16 by sending the keep-alive Ping frame at
// 19200 baud and waiting for the start of an Alive answer (02 2A). Returns the
// first port number that answered, or 0. `show` receives the message box
// lines. A port that cannot be configured is skipped silently, and so is one
// that keeps sending and never goes quiet. Once `stop` is set the search
// ends at its next read, shows nothing more and returns 0.
int SearchTrainer(BootPortFactory& ports, const std::function<void(const std::string&)>& show,
                  const StopFlag& stop, const Clock& clock = SteadyNow);

} // namespace crvl::update
