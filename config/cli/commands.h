// crvlctl's commands over one trainer session. Results and the one error
// line go through the Io callbacks; the return value is the exit code.
#pragma once

#include "config/cli/cli_options.h"

#include <functional>
#include <string>

namespace crvl::cli {

struct Io {
    std::function<void(const std::string& line)> out; // standard output, one line
    std::function<void(const std::string& line)> err; // standard error, one line
    std::function<bool()> interrupted;                // Ctrl-C
};

int RunInvocation(const Invocation& invocation, const Io& io);

} // namespace crvl::cli
