// crvlctl: the trainer's configuration from the command line.

#include "base/utf8_files.h"
#include "config/cli/cli_options.h"
#include "config/cli/commands.h"

#include <csignal>
#include <cstdio>
#include <exception>
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
    // UTF-8 on every system: file names such as "Jürgen's drill.scn" stay whole.
    const std::vector<std::string> args = crvl::Utf8Arguments(argc, argv);
    const crvl::Result<Invocation> invocation = ParseInvocation(args);
    if (!invocation.ok()) {
        PrintLine(stderr, "crvlctl: " + invocation.message() + " (try 'crvlctl --help')");
        return kExitUsage;
    }
    // A service stop, Ctrl-C, a logout or a closed terminal: the command
    // ends as after Ctrl-C, with the trainer detached and the port closed.
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
#ifdef SIGHUP
    std::signal(SIGHUP, OnSignal);
#endif
#ifdef SIGPIPE
    std::signal(SIGPIPE, SIG_IGN);
#endif
    const Io io{
        [](const std::string& line) { PrintLine(stdout, line); },
        [](const std::string& line) { PrintLine(stderr, line); },
        [] { return g_interrupted != 0; },
    };
    try {
        return RunInvocation(invocation.value(), io);
    } catch (const std::exception& failure) {
        // Nothing the commands call should throw; should it happen all the
        // same, the user reads one line in crvlctl's own form.
        PrintLine(stderr, std::string("crvlctl: ") + failure.what());
        return kExitTrainer;
    }
}
