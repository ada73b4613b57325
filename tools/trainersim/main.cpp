// trainersim: the simulated trainer on a pseudo-terminal.

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <future>
#include <iostream>
#include <string>
#include <vector>

#include <poll.h>
#include <unistd.h>

#include "tools/trainersim/bootloader_attach.h"
#include "tools/trainersim/sim_commands.h"
#include "tools/trainersim/sim_options.h"
#include "tools/trainersim/trainer_sim.h"

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

// Runs one command line on the simulator's thread and prints its answer.
void RunCommand(crvl::sim::TrainerSim& sim, const crvl::sim::CommandTable& commands,
                const std::string& line) {
    std::promise<std::string> answer;
    auto result = answer.get_future();
    sim.Post([&] { answer.set_value(commands.Execute(sim, line)); });
    const std::string text = result.get();
    if (!text.empty())
        std::cout << text << (text.back() == '\n' ? "" : "\n") << std::flush;
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
    TrainerSim sim(options.config, log);
    if (const crvl::Status opened = sim.Open(); !opened.ok()) {
        std::cerr << "trainersim: " << opened.message() << "\n";
        return kExitNoTerminal;
    }
    const auto bootloader = AttachBootloader(sim, options.config.bootloader, log);
    std::cout << sim.SlavePath() << std::endl;
    sim.Start();

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
            RunCommand(sim, commands, line);
        }
    }
    sim.Stop();
    return 0;
}
