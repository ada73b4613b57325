// trainersim: the simulated trainer on a pseudo-terminal.

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include <poll.h>
#include <unistd.h>

#include "tools/trainersim/bootloader_attach.h"
#include "tools/trainersim/sim_commands.h"
#include "tools/trainersim/sim_options.h"
#include "tools/trainersim/trainer_set.h"

namespace {

// Exit codes: a bad command line, a terminal that cannot be opened.
constexpr int kExitBadArguments = 2;
constexpr int kExitNoTerminal = 1;
// How often the command loop looks for a stop signal.
constexpr int kInputPollMs = 100;
constexpr std::size_t kInputChunk = 256;

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int) {
    g_stop = 1;
}

} // namespace

int main(int argc, char** argv) {
    using namespace crvl::sim;
    const std::vector<std::string> args(argv + 1, argv + argc);
    SimOptions options;
    if (const crvl::Status parsed = ParseArguments(args, options); !parsed.ok()) {
        std::cerr << "trainersim: " << parsed.message() << "\nTry 'trainersim --help'.\n";
        return kExitBadArguments;
    }
    CommandTable commands;
    if (options.help) {
        std::cout << HelpText() << "\n" << BootloaderHelpText() << "\n" << commands.HelpText();
        return 0;
    }

    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGHUP, OnSignal);
    std::signal(SIGPIPE, SIG_IGN);

    const LogSink log = [](const std::string& line) {
        std::fprintf(stderr, "%s\n", line.c_str());
        std::fflush(stderr);
    };
    TrainerSet trainers(options, log);
    if (const crvl::Status opened = trainers.Open(); !opened.ok()) {
        std::cerr << "trainersim: " << opened.message() << "\n";
        return kExitNoTerminal;
    }
    for (const std::string& path : trainers.Paths())
        std::cout << path << "\n";
    std::cout << std::flush;
    trainers.Start();

    // Standard input: one command per line; its end stops the simulator.
    std::string pending;
    while (g_stop == 0) {
        struct pollfd p {
            STDIN_FILENO, POLLIN, 0
        };
        if (::poll(&p, 1, kInputPollMs) <= 0)
            continue;
        char chunk[kInputChunk];
        const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        pending.append(chunk, static_cast<std::size_t>(n));
        for (std::size_t eol; (eol = pending.find('\n')) != std::string::npos;) {
            std::string line = pending.substr(0, eol);
            pending.erase(0, eol + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (line == "quit") {
                g_stop = 1;
                break;
            }
            if (const std::string answer = trainers.Execute(line); !answer.empty())
                std::cout << answer << (answer.back() == '\n' ? "" : "\n") << std::flush;
        }
    }
    trainers.Stop();
    return 0;
}
