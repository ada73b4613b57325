// crvlctl: the trainer's configuration from the command line.

#include "config/cli/cli_options.h"
#include "config/cli/commands.h"

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

void OnSignal(int signal) {
    g_interrupted = 1;
    // A second Ctrl-C ends the program at once.
    std::signal(signal, SIG_DFL);
}

void PrintLine(std::FILE* stream, const std::string& line) {
    std::fputs(line.c_str(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

} // namespace

int main(int argc, char** argv) {
    using namespace crvl::cli;
    const std::vector<std::string> args(argv + 1, argv + argc);
    Invocation invocation;
    std::string error;
    if (!ParseInvocation(args, invocation, error)) {
        PrintLine(stderr, "crvlctl: " + error + " (try 'crvlctl --help')");
        return kExitUsage;
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
#ifdef SIGPIPE
    std::signal(SIGPIPE, SIG_IGN);
#endif
    const Io io{
        [](const std::string& line) { PrintLine(stdout, line); },
        [](const std::string& line) { PrintLine(stderr, line); },
        [] { return g_interrupted != 0; },
    };
    return RunInvocation(invocation, io);
}
