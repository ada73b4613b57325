#pragma once

// The builder's console: diagnostic lines (refused gestures, the language
// file, generator and loader errors). Cores write lines here and never print;
// the program decides where they go (standard output in crvlbuilder).

#include <functional>
#include <string_view>

namespace crvl {

using ConsoleSink = std::function<void(std::string_view line)>;

// Replaces the sink; an empty sink discards lines. Set it at start-up. Returns the
// previous sink.
ConsoleSink setConsoleSink(ConsoleSink sink);

// A sink that writes each line and a line end to standard output.
ConsoleSink stdoutConsoleSink();

// Writes one line (without line end) to the current sink.
void consoleLine(std::string_view line);

} // namespace crvl
