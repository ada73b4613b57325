#include "builder/core/builder_console.h"

#include <cstdio>
#include <utility>

namespace crvl {

namespace {
ConsoleSink& sink() {
    static ConsoleSink current;
    return current;
}
} // namespace

ConsoleSink setConsoleSink(ConsoleSink next) {
    return std::exchange(sink(), std::move(next));
}

ConsoleSink stdoutConsoleSink() {
    return [](std::string_view line) {
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    };
}

void consoleLine(std::string_view line) {
    if (const ConsoleSink& current = sink()) {
        current(line);
    }
}

} // namespace crvl
